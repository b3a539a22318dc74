#include "vorn/Shader.h"

#include <vector>

#include "vorn/ConsoleLog.h"
#include "vorn/ShaderDialect.h"

namespace vorn {

std::string cShader::sourceText() const
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

bool cShader::compile()
{
    const std::string text = shaderTextForContext(type, sourceText());
    if (id != none)
        glDeleteShader(id);
    id = glCreateShader(type);
    const GLchar* source = text.c_str();
    const GLint length = GLint(text.size());
    glShaderSource(id, 1, &source, &length);
    glCompileShader(id);

    GLint status = 0;
    glGetShaderiv(id, GL_COMPILE_STATUS, &status);
    if (status != 0)
        return true;

    consoleLog.line(glInfoLog(id, glGetShaderiv, glGetShaderInfoLog));
    return false;
}

std::string glInfoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter, PFNGLGETSHADERINFOLOGPROC getLog)
{
    GLint logLength = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength < 0)
        logLength = 0;
    std::vector<char> log(size_t(logLength) + 1, '\0');
    getLog(object, logLength, nullptr, log.data());
    return log.data();
}

} // namespace vorn
