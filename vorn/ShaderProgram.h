// cShaderProgram: a GLSL program made of one vertex and one fragment stage
// whose sources are text files in the data folder.
//
//     auto* box = new vorn::cShaderProgram();
//     box->load("box.vert", "box.frag");            // once, at start-up
//     glUniform1f(box->getUniformLocation("time"), t); // makes it current
//     mesh->draw(box, GL_TRIANGLES);                  // asks getAttribLocation
//
// Several files for one stage are concatenated in order into one source.
// Failures are reported on the console ("file error:<name>", the compile log,
// "compile and link failed") and leave a program that draws nothing of its
// own; the run goes on. Attribute locations are cached per name (including
// the answer -1); uniform locations are not.
#pragma once

#include <GL/glew.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "vorn/Shader.h"

namespace vorn {

class cShaderProgram {
public:
    static constexpr GLuint none = GLuint(-1);

    cShaderProgram() = default;

    void load(const std::string& vertexFile, const std::string& fragmentFile);
    void load(const std::vector<std::string>& vertexFiles, const std::vector<std::string>& fragmentFiles);
    // load({"overlayShade.vert"}, {"horblur.frag", "postprocBlurh.frag"})
    void load(std::initializer_list<std::string> vertexFiles, std::initializer_list<std::string> fragmentFiles)
    {
        load(std::vector<std::string>(vertexFiles), std::vector<std::string>(fragmentFiles));
    }

    // (Re)creates the program from the current line lists: compiles the
    // vertex stage, then the fragment stage, attaches both and links. False
    // when a stage does not compile or the program does not link (the GL log
    // is written to the console).
    bool link();

    void use();
    GLint getUniformLocation(const std::string& name);
    GLint getAttribLocation(const std::string& name);

    cShader fragment{GL_FRAGMENT_SHADER};
    cShader vertex{GL_VERTEX_SHADER};
    GLuint program = none;

    const std::map<std::string, GLint>& attributeCache() const { return attribCache; }

private:
    bool readSource(const std::string& file, cShader& stage);

    std::map<std::string, GLint> attribCache;
};

} // namespace vorn
