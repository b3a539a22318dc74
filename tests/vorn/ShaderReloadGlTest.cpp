// Rebuilding a program from its edited files while the production runs:
// only a program that compiles and links replaces the one in use, and the
// uniforms set up once are set again.
#include "tests/glsupport/GlTestSupport.h"
#include "vorn/ShaderProgram.h"

#include <algorithm>
#include <filesystem>

using gltest::GlTest;
using gltest::rgba;
using vorn::cShaderProgram;

namespace {

const char* passVert = "#version 120\nvoid main() { gl_Position = gl_Vertex; }\n";
const char* greenFrag = "#version 120\nuniform float level;\n"
                        "void main() { gl_FragColor = vec4(0.0, level, 0.0, 1.0); }\n";
const char* redFrag = "#version 120\nuniform float level;\n"
                      "void main() { gl_FragColor = vec4(level, 0.0, 0.0, 1.0); }\n";

rgba drawnColour(cShaderProgram& program)
{
    gltest::ScratchTarget target(4, 4);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    program.use();
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    return target.pixel(2, 2);
}

bool listed(const cShaderProgram& program)
{
    const std::vector<cShaderProgram*>& all = cShaderProgram::loadedPrograms();
    return std::find(all.begin(), all.end(), &program) != all.end();
}

} // namespace

TEST_F(GlTest, ReloadSwapsInAnEditedProgramAndSetsItsUniformsAgain)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pass.vert", passVert);
    data.write("colour.frag", greenFrag);
    const cShaderProgram* gone = nullptr;
    {
        cShaderProgram program;
        gone = &program;
        program.load("pass.vert", "colour.frag");
        EXPECT_TRUE(listed(program));
        EXPECT_TRUE(program.usesFile("colour.frag"));
        EXPECT_FALSE(program.usesFile("other.frag"));
        int setUps = 0;
        program.setUpUniforms([&setUps](cShaderProgram& p) {
            ++setUps;
            glUniform1f(p.getUniformLocation("level"), 1.0f);
        });
        EXPECT_EQ(setUps, 1);
        EXPECT_EQ(drawnColour(program), rgba(0, 255, 0, 255));
        const std::uint32_t generation = program.generation();

        data.write("colour.frag", redFrag);
        EXPECT_TRUE(program.reload());
        EXPECT_EQ(setUps, 2);
        EXPECT_EQ(program.generation(), generation + 1);
        EXPECT_EQ(drawnColour(program), rgba(255, 0, 0, 255)) << "the uniform was set on the new program";
        EXPECT_EQ(console.text(), "");
        EXPECT_TRUE(gltest::takeGlErrors().empty());
    }
    // A program that is destroyed leaves the list the watcher walks.
    const std::vector<cShaderProgram*>& all = cShaderProgram::loadedPrograms();
    EXPECT_EQ(std::find(all.begin(), all.end(), gone), all.end());
}

TEST_F(GlTest, FailedReloadKeepsTheLastGoodProgramAndPrintsTheLog)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pass.vert", passVert);
    data.write("colour.frag", greenFrag);
    cShaderProgram program;
    program.load("pass.vert", "colour.frag");
    program.setUpUniforms([](cShaderProgram& p) { glUniform1f(p.getUniformLocation("level"), 1.0f); });
    const GLuint good = program.program;
    const std::vector<std::string> goodLines = program.fragment.lines;

    // Does not compile: the compiler's log, and the old program draws on.
    data.write("colour.frag", "#version 120\nvoid main() { gl_FragColor = oops; }\n");
    EXPECT_FALSE(program.reload());
    EXPECT_NE(console.text().find("oops"), std::string::npos) << console.text();
    EXPECT_EQ(program.program, good);
    EXPECT_EQ(program.fragment.lines, goodLines);
    EXPECT_EQ(drawnColour(program), rgba(0, 255, 0, 255));

    // Compiles but does not link (no main): the link log, the same result.
    console.reset();
    data.write("colour.frag", "#version 120\nvec4 unused() { return vec4(1.0); }\n");
    EXPECT_FALSE(program.reload());
    EXPECT_NE(console.text(), "");
    EXPECT_EQ(program.program, good);

    // A file that went away: "file error:" and the same result.
    console.reset();
    std::filesystem::remove(data.root() + "/data/colour.frag");
    EXPECT_FALSE(program.reload());
    EXPECT_EQ(console.text(), "file error:colour.frag\n");
    EXPECT_EQ(drawnColour(program), rgba(0, 255, 0, 255));

    // Fixed again: it comes back.
    data.write("colour.frag", redFrag);
    EXPECT_TRUE(program.reload());
    EXPECT_NE(program.program, good);
    EXPECT_EQ(drawnColour(program), rgba(255, 0, 0, 255));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(GlTest, ProgramBrokenAtStartComesToLifeWhenItsFileIsFixed)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pass.vert", passVert);
    data.write("colour.frag", "#version 120\nvoid main() { nothing here }\n");
    cShaderProgram program;
    program.load("pass.vert", "colour.frag");
    EXPECT_NE(console.text().find("compile and link failed"), std::string::npos);
    EXPECT_TRUE(listed(program));
    data.write("colour.frag", greenFrag);
    program.setUpUniforms([](cShaderProgram& p) { glUniform1f(p.getUniformLocation("level"), 1.0f); });
    EXPECT_TRUE(program.reload());
    EXPECT_EQ(drawnColour(program), rgba(0, 255, 0, 255));
}
