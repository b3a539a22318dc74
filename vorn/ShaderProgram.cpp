#include "vorn/ShaderProgram.h"

#include <algorithm>
#include <fstream>

#include "vorn/ConsoleLog.h"
#include "vorn/DataFile.h"

namespace vorn {

void cShaderProgram::load(const std::string& vertexFile, const std::string& fragmentFile)
{
    load(std::vector<std::string>{vertexFile}, std::vector<std::string>{fragmentFile});
}

namespace {

std::vector<cShaderProgram*>& programRegistry()
{
    static std::vector<cShaderProgram*> programs;
    return programs;
}

} // namespace

cShaderProgram::~cShaderProgram()
{
    std::vector<cShaderProgram*>& registry = programRegistry();
    registry.erase(std::remove(registry.begin(), registry.end(), this), registry.end());
}

const std::vector<cShaderProgram*>& cShaderProgram::loadedPrograms()
{
    return programRegistry();
}

void cShaderProgram::load(const std::vector<std::string>& vertexFiles, const std::vector<std::string>& fragmentFiles,
                          const std::vector<std::string>& fragmentDefines)
{
    defines = fragmentDefines;
    // Listed even when the files are missing or broken: fixing them while
    // the production runs brings the program to life.
    std::vector<cShaderProgram*>& registry = programRegistry();
    if (std::find(registry.begin(), registry.end(), this) == registry.end())
        registry.push_back(this);
    vertexSources.insert(vertexSources.end(), vertexFiles.begin(), vertexFiles.end());
    fragmentSources.insert(fragmentSources.end(), fragmentFiles.begin(), fragmentFiles.end());
    for (const std::string& file : vertexFiles)
        if (!readSource(file, vertex))
            return;
    for (const std::string& file : fragmentFiles)
        if (!readSource(file, fragment))
            return;
    insertDefines(fragment);
    if (!link()) {
        consoleLog.line("compile and link failed");
        consoleLog.line(failedFilesLine());
    }
}

std::string cShaderProgram::failedFilesLine() const
{
    // The stage that did not compile, or both files when they do not link.
    auto compiled = [](const cShader& stage) {
        GLint status = 0;
        if (stage.id != cShader::none)
            glGetShaderiv(stage.id, GL_COMPILE_STATUS, &status);
        return status != 0;
    };
    std::vector<std::string> files;
    if (!compiled(vertex))
        files = vertexSources;
    else if (!compiled(fragment))
        files = fragmentSources;
    else {
        files = vertexSources;
        files.insert(files.end(), fragmentSources.begin(), fragmentSources.end());
    }
    std::string names;
    for (const std::string& file : files)
        names += (names.empty() ? "" : " + ") + file;
    return compiled(vertex) && compiled(fragment) ? "shader files " + names + ": do not link"
                                                    : "shader " + names + ": does not compile";
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

void cShaderProgram::insertDefines(cShader& stage) const
{
    // After the version line, which must come first.
    auto at = stage.lines.begin();
    if (at != stage.lines.end() && at->rfind("#version", 0) == 0)
        ++at;
    std::vector<std::string> lines;
    for (const std::string& name : defines)
        lines.push_back("#define " + name);
    stage.lines.insert(at, lines.begin(), lines.end());
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
    if (status != 0) {
        ++links;
        return true;
    }
    consoleLog.line(glInfoLog(program, glGetProgramiv, glGetProgramInfoLog));
    return false;
}

bool cShaderProgram::linked() const
{
    if (program == none)
        return false;
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status != 0;
}

bool cShaderProgram::reload()
{
    cShader newVertex{GL_VERTEX_SHADER};
    cShader newFragment{GL_FRAGMENT_SHADER};
    for (const std::string& file : vertexSources)
        if (!readSource(file, newVertex))
            return false;
    for (const std::string& file : fragmentSources)
        if (!readSource(file, newFragment))
            return false;
    insertDefines(newFragment);

    // Built beside the current program, which stays until this one links.
    auto discard = [&](GLuint newProgram) {
        if (newProgram != none)
            glDeleteProgram(newProgram);
        if (newVertex.id != cShader::none)
            glDeleteShader(newVertex.id);
        if (newFragment.id != cShader::none)
            glDeleteShader(newFragment.id);
        return false;
    };
    if (!newVertex.compile() || !newFragment.compile())
        return discard(none);
    const GLuint newProgram = glCreateProgram();
    glAttachShader(newProgram, newFragment.id);
    glAttachShader(newProgram, newVertex.id);
    glLinkProgram(newProgram);
    GLint status = 0;
    glGetProgramiv(newProgram, GL_LINK_STATUS, &status);
    if (status == 0) {
        consoleLog.line(glInfoLog(newProgram, glGetProgramiv, glGetProgramInfoLog));
        return discard(newProgram);
    }

    if (program != none)
        glDeleteProgram(program);
    if (vertex.id != cShader::none)
        glDeleteShader(vertex.id);
    if (fragment.id != cShader::none)
        glDeleteShader(fragment.id);
    vertex.id = newVertex.id;
    vertex.lines = std::move(newVertex.lines);
    fragment.id = newFragment.id;
    fragment.lines = std::move(newFragment.lines);
    program = newProgram;
    attribCache.clear();
    ++links;
    if (uniformSetUp) {
        use();
        uniformSetUp(*this);
    }
    return true;
}

void cShaderProgram::setUpUniforms(std::function<void(cShaderProgram&)> setUp)
{
    uniformSetUp = std::move(setUp);
    if (uniformSetUp && linked()) {
        use();
        uniformSetUp(*this);
    }
}

bool cShaderProgram::usesFile(const std::string& bareName) const
{
    return std::find(vertexSources.begin(), vertexSources.end(), bareName) != vertexSources.end()
           || std::find(fragmentSources.begin(), fragmentSources.end(), bareName) != fragmentSources.end();
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
