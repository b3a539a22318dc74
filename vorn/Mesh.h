// cMesh: a drawable mesh of vertex positions, indices and named per-vertex
// attribute buffers, all on the GPU.
//
//     auto* box = new vorn::cMesh();
//     box->load("aBox.obj.bin");          // reads data/aBox.obj.bin
//     box->draw(program, GL_TRIANGLES);   // or draw(nullptr, ...) for no program
//
// Attribute buffers are matched by name (case-sensitive) against the
// attribute names of the program it is drawn with; names the program lacks
// are skipped. Mode 0 (GL_POINTS) draws every vertex once, ignoring the
// indices. A mesh file that is damaged or ends early is read as far as it
// is whole (see MeshFile.h); a missing one leaves the mesh empty, and an
// empty mesh draws nothing. A buffer that sits under another target than
// its role needs (vertex data in the array buffer, indices in the element
// array) or holds fewer bytes than its type and counts call for is not
// handed to GL: a draw never asks GL for more elements than a buffer holds,
// nor points it at client memory. (Index values are not checked against
// the vertex count.)
// Meshes are never freed.
#pragma once

#include <GL/glew.h>

#include <istream>
#include <map>
#include <string>

#include "vorn/BufferObject.h"

namespace vorn {

class cShaderProgram;

class cMesh {
public:
    cMesh() = default;

    void load(const std::string& name);
    void read(std::istream& in);
    void draw(cShaderProgram* program, GLenum mode);

    cBufferObject positions;
    cBufferObject indices;
    std::map<std::string, cBufferObject> attributes;
};

} // namespace vorn
