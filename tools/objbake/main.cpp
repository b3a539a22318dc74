// objbake: converts a Wavefront OBJ into an .obj.bin mesh file for the engine.
//
//   objbake <input.obj> <output.obj.bin>
//
// Prints one line with the vertex and triangle counts; on failure prints the
// reason and exits with 1, leaving no output file behind.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/objbake/ObjBake.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cout << "usage: objbake <input.obj> <output.obj.bin>\n";
        return 2;
    }
    const std::string input = argv[1], output = argv[2];
    std::ifstream file(input);
    if (!file) {
        std::cout << "objbake: cannot open " << input << "\n";
        return 1;
    }
    objbake::sBakedMesh mesh;
    std::string error;
    if (!objbake::bakeObj(file, mesh, error)) {
        std::cout << "objbake: " << input << ": " << error << "\n";
        return 1;
    }
    if (!objbake::writeMeshFile(mesh, output, error)) {
        std::remove(output.c_str());
        std::cout << "objbake: " << error << "\n";
        return 1;
    }
    std::cout << "objbake: " << output << ": " << mesh.vertexCount() << " vertices, "
              << mesh.triangleCount() << " triangles\n";
    return 0;
}
