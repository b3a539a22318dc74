// cShader: one GLSL stage (vertex or fragment) of a cShaderProgram.
//
// The program appends the source lines read from its files to `lines`, then
// calls compile, which (re)creates the GL shader object from them. A failed
// compile writes the GL info log to the console and keeps the failed object.
#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

namespace vorn {

class cShader {
public:
    static constexpr GLuint none = GLuint(-1);

    explicit cShader(GLenum stageType) : type(stageType) {}

    // Compiles the joined lines (each followed by "\n"); true on success.
    bool compile();

    // The source as compile hands it to GL.
    std::string sourceText() const;

    GLenum getType() const { return type; }

    GLuint id = none;
    std::vector<std::string> lines;

private:
    GLenum type;
};

// The info log of a shader or program object, read with the matching pair
// of GL calls (glGetShaderiv and glGetShaderInfoLog, or the program ones).
std::string glInfoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter, PFNGLGETSHADERINFOLOGPROC getLog);

} // namespace vorn
