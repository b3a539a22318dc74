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
// "compile and link failed" and a line naming the files that failed) and
// leave a program that draws nothing of its own; the run goes on. Attribute locations are cached per name (including
// the answer -1); uniform locations are not.
//
// Every program that was loaded is listed in loadedPrograms(), with the
// files it was made from, so a watcher can rebuild the ones whose files
// changed while the production runs (reload). A reload that fails keeps
// the program that worked. Uniforms that a scene sets once rather than per
// frame go in setUpUniforms, which runs after every successful link.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <functional>
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
    // Leaves loadedPrograms (the production's programs never go; tests'
    // do).
    ~cShaderProgram();
    cShaderProgram(const cShaderProgram&) = delete;
    cShaderProgram& operator=(const cShaderProgram&) = delete;

    void load(const std::string& vertexFile, const std::string& fragmentFile);
    // `fragmentDefines` are names defined ("#define NAME") at the top of the
    // fragment stage, after its version line: one set of files can make
    // several programs that leave out what they do not need.
    void load(const std::vector<std::string>& vertexFiles, const std::vector<std::string>& fragmentFiles,
              const std::vector<std::string>& fragmentDefines = {});
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

    // Reads the program's files again and builds a new program from them.
    // Only when both stages compile and the program links does it replace
    // the current one (then the attribute cache is emptied and
    // setUpUniforms runs again); otherwise the failure is written to the
    // console (the file error or the GL log) and the current program stays.
    bool reload();

    // Runs `setUp` now when the program is linked, and after every later
    // successful link (a reload). It may set uniforms: the program is
    // current while it runs.
    void setUpUniforms(std::function<void(cShaderProgram&)> setUp);

    // The files the program was loaded from, in load order.
    const std::vector<std::string>& vertexFiles() const { return vertexSources; }
    const std::vector<std::string>& fragmentFiles() const { return fragmentSources; }
    bool usesFile(const std::string& bareName) const;

    // Counts successful links, so a cache of uniform locations can tell
    // that the program was rebuilt.
    std::uint32_t generation() const { return links; }

    // Every program whose load was called, in load order; programs live for
    // the whole run.
    static const std::vector<cShaderProgram*>& loadedPrograms();

    void use();
    GLint getUniformLocation(const std::string& name);
    GLint getAttribLocation(const std::string& name);

    cShader fragment{GL_FRAGMENT_SHADER};
    cShader vertex{GL_VERTEX_SHADER};
    GLuint program = none;

    const std::map<std::string, GLint>& attributeCache() const { return attribCache; }

private:
    bool readSource(const std::string& file, cShader& stage);
    void insertDefines(cShader& stage) const;
    // "shader NAME: does not compile" for the stage that failed, or the
    // files that do not link together.
    std::string failedFilesLine() const;
    bool linked() const;

    std::map<std::string, GLint> attribCache;
    std::vector<std::string> vertexSources;
    std::vector<std::string> fragmentSources;
    std::vector<std::string> defines;
    std::function<void(cShaderProgram&)> uniformSetUp;
    std::uint32_t links = 0;
};

} // namespace vorn
