#include "vorn/ShaderProgram.h"

#include <fstream>

#include "vorn/ConsoleLog.h"
#include "vorn/DataFile.h"

namespace vorn {

void cShaderProgram::load(const std::string& vertexFile, const std::string& fragmentFile)
{
    load(std::vector<std::string>{vertexFile}, std::vector<std::string>{fragmentFile});
}

void cShaderProgram::load(const std::vector<std::string>& vertexFiles, const std::vector<std::string>& fragmentFiles)
{
    for (const std::string& file : vertexFiles)
        if (!readSource(file, vertex))
            return;
    for (const std::string& file : fragmentFiles)
        if (!readSource(file, fragment))
            return;
    if (!link())
        consoleLog.line("compile and link failed");
}

bool cShaderProgram::readSource(const std::string& file, cShader& stage)
{
    std::ifstream in(resolveDataPath(dataFile(file)));
    if (!in.is_open()) {
        consoleLog.line("file error:", file);
        return false;
    }
    // The last line read is kept even when the read failed: a file ending in
    // a newline contributes a final empty line.
    std::string line;
    std::getline(in, line);
    while (in.good()) {
        stage.lines.push_back(line);
        std::getline(in, line);
    }
    stage.lines.push_back(line);
    return true;
}

bool cShaderProgram::link()
{
    attribCache.clear();
    if (program != none)
        glDeleteProgram(program);
    program = glCreateProgram();
    if (!vertex.compile())
        return false;
    if (!fragment.compile())
        return false;
    glAttachShader(program, fragment.id);
    glAttachShader(program, vertex.id);
    glLinkProgram(program);

    // A program that does not link cannot be used: report it like a compile
    // failure instead of answering success.
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != 0)
        return true;
    consoleLog.line(glInfoLog(program, glGetProgramiv, glGetProgramInfoLog));
    return false;
}

void cShaderProgram::use()
{
    if (program != none)
        glUseProgram(program);
}

GLint cShaderProgram::getUniformLocation(const std::string& name)
{
    if (program == none)
        return -1;
    use();
    return glGetUniformLocation(program, name.c_str());
}

GLint cShaderProgram::getAttribLocation(const std::string& name)
{
    if (program == none)
        return -1;
    auto found = attribCache.find(name);
    if (found != attribCache.end())
        return found->second;
    use();
    const GLint location = glGetAttribLocation(program, name.c_str());
    attribCache[name] = location;
    return location;
}

} // namespace vorn
