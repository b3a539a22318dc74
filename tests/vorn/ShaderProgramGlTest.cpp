// cShaderProgram in a real context: sources from several files, the
// attribute cache, and the failure states with their console lines.
#include "tests/glsupport/GlTestSupport.h"
#include "vorn/ShaderProgram.h"

using gltest::GlTest;
using gltest::rgba;
using vorn::cShaderProgram;

namespace {

const char* passVert = "#version 120\nattribute float seedHax;\nvarying float seed;\n"
                       "void main() { seed = seedHax; gl_Position = gl_Vertex; }\n";

void fullQuad()
{
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
}

GLint currentProgram()
{
    GLint p = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &p);
    return p;
}

} // namespace

TEST_F(GlTest, ProgramFromTwoFragmentFilesDraws)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pass.vert", passVert);
    // The first file declares what the second one uses: the order counts.
    data.write("colour.frag", "#version 120\nvec4 tint() { return vec4(0.0, 1.0, 0.0, 1.0); }");
    data.write("main.frag", "void main() { gl_FragColor = tint(); }\n");
    cShaderProgram program;
    program.load({"pass.vert"}, {"colour.frag", "main.frag"});
    EXPECT_EQ(console.text(), "");
    ASSERT_NE(program.program, cShaderProgram::none);

    // No final newline: the last line is kept once; a final newline adds an
    // empty line, so the joined text ends in two newlines.
    EXPECT_EQ(program.fragment.lines,
              (std::vector<std::string>{"#version 120", "vec4 tint() { return vec4(0.0, 1.0, 0.0, 1.0); }",
                                        "void main() { gl_FragColor = tint(); }", ""}));
    EXPECT_EQ(program.vertex.sourceText(), std::string(passVert) + "\n");

    gltest::ScratchTarget target(8, 8);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    program.use();
    fullQuad();
    EXPECT_EQ(target.pixel(4, 4), rgba(0, 255, 0, 255));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(GlTest, AttributeLocationsAreCachedUniformLocationsAreNot)
{
    gltest::TempDataFolder data;
    data.write("pass.vert", passVert);
    data.write("seed.frag", "#version 120\nvarying float seed;\nuniform float gain;\n"
                            "void main() { gl_FragColor = vec4(seed * gain); }\n");
    cShaderProgram program;
    program.load("pass.vert", "seed.frag");
    ASSERT_NE(program.program, cShaderProgram::none);

    // A miss asks GL and so makes the program current; a hit does not.
    glUseProgram(0);
    const GLint seed = program.getAttribLocation("seedHax");
    EXPECT_GE(seed, 0);
    EXPECT_EQ(currentProgram(), GLint(program.program));
    glUseProgram(0);
    EXPECT_EQ(program.getAttribLocation("seedHax"), seed);
    EXPECT_EQ(currentProgram(), 0);

    // Unknown names are cached too, as -1; names are case-sensitive.
    EXPECT_EQ(program.getAttribLocation("seedhax"), -1);
    glUseProgram(0);
    EXPECT_EQ(program.getAttribLocation("seedhax"), -1);
    EXPECT_EQ(currentProgram(), 0);
    EXPECT_EQ(program.attributeCache().at("seedhax"), -1);

    // getUniformLocation always asks and leaves the program current, ready
    // for the caller's glUniform call.
    const GLint gain = program.getUniformLocation("gain");
    EXPECT_GE(gain, 0);
    EXPECT_EQ(currentProgram(), GLint(program.program));
    glUniform1f(gain, 1.0f);
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    // Linking again forgets the cache.
    EXPECT_TRUE(program.link());
    EXPECT_TRUE(program.attributeCache().empty());
}

TEST_F(GlTest, MissingSourceFileLeavesProgramNew)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pass.vert", passVert);
    data.write("late.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
    cShaderProgram program;
    program.load({"pass.vert"}, {"missing.frag", "late.frag"});
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"file error:missing.frag"}));
    EXPECT_EQ(program.program, cShaderProgram::none);
    EXPECT_EQ(program.vertex.id, cShaderProgram::none);
    EXPECT_TRUE(program.fragment.lines.empty()); // later files are skipped

    cShaderProgram other;
    other.load("pass.vert", "late.frag");
    other.use();
    program.use(); // does nothing: the other program stays current
    EXPECT_EQ(currentProgram(), GLint(other.program));
    EXPECT_EQ(program.getAttribLocation("seedHax"), -1);
    EXPECT_EQ(program.getUniformLocation("gain"), -1);
    EXPECT_EQ(currentProgram(), GLint(other.program));
    EXPECT_TRUE(program.attributeCache().empty());
}

TEST_F(GlTest, FileNamesForgiveLetterCase)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("Pass.VERT", passVert);
    data.write("flat.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
    cShaderProgram program;
    program.load("pass.vert", "FLAT.frag");
    EXPECT_EQ(console.text(), "");
    EXPECT_NE(program.program, cShaderProgram::none);
}

TEST_F(GlTest, VertexCompileFailureStopsBeforeFragment)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("broken.vert", "void main() { gl_Position = undefinedThing; }\n");
    data.write("flat.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
    cShaderProgram program;
    program.load("broken.vert", "flat.frag");
    const std::vector<std::string> lines = console.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(console.text().find("undefinedThing"), std::string::npos); // the GL log, verbatim
    EXPECT_EQ(lines[lines.size() - 2], "compile and link failed");
    EXPECT_EQ(lines.back(), "shader broken.vert: does not compile");
    EXPECT_NE(program.program, cShaderProgram::none); // created, never linked
    EXPECT_NE(program.vertex.id, cShaderProgram::none);
    EXPECT_EQ(program.fragment.id, cShaderProgram::none);
    EXPECT_EQ(program.getAttribLocation("seedHax"), -1);
    gltest::takeGlErrors();
}

TEST_F(GlTest, FragmentCompileFailureKeepsCurrentProgram)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pass.vert", passVert);
    data.write("broken.frag", "void main() { gl_FragColor = vec4(1.0) }\n");
    data.write("flat.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
    cShaderProgram good;
    good.load("pass.vert", "flat.frag");
    cShaderProgram program;
    program.load("pass.vert", "broken.frag");
    EXPECT_EQ(console.lines().back(), "shader broken.frag: does not compile");
    EXPECT_NE(program.fragment.id, cShaderProgram::none);
    GLint status = 1;
    glGetShaderiv(program.fragment.id, GL_COMPILE_STATUS, &status);
    EXPECT_EQ(status, 0); // the failed object is kept

    good.use();
    program.use(); // GL refuses the unlinked program
    EXPECT_EQ(currentProgram(), GLint(good.program));
    gltest::takeGlErrors();
}

TEST_F(GlTest, LinkFailureIsReportedNotHidden)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    // Both stages compile, but the fragment stage calls a function nobody
    // defines, so the program cannot link.
    data.write("pass.vert", passVert);
    data.write("dangling.frag", "vec4 nowhere();\nvoid main() { gl_FragColor = nowhere(); }\n");
    cShaderProgram program;
    program.load("pass.vert", "dangling.frag");
    const std::vector<std::string> lines = console.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "compile and link failed");
    EXPECT_EQ(lines.back(), "shader files pass.vert + dangling.frag: do not link");
    EXPECT_FALSE(program.link());
    GLint linked = 1;
    glGetProgramiv(program.program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, 0);
}
