// Frames of the whole composition drawn in a real GL context at chosen song
// times, from a note list and images made for the test, and read back.
//
// The scene set-ups run once per process and the song clock only moves
// forward, so the tests below run along one timeline; each renders at song
// times later than the one before.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/live/LivePlay.h"
#include "strobewerk/scenes/BlurChain.h"
#include "strobewerk/scenes/Composition.h"
#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/Metaballs.h"
#include "strobewerk/scenes/SceneResources.h"
#include "strobewerk/show/Show.h"
#include "tests/glsupport/GlTestSupport.h"
#include "tools/fidelity/FrameCompare.h"
#include "vorn/DirectFrameBuffer.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

namespace fs = std::filesystem;
using gltest::rgba;

namespace {

// The repository's data folder, found by walking up from the test's
// working folder (the build tree lies inside the repository).
fs::path repositoryData()
{
    for (fs::path dir = fs::current_path(); !dir.empty(); dir = dir.parent_path()) {
        if (fs::exists(dir / "data" / "lolvarlay.frag"))
            return dir / "data";
        if (dir == dir.root_path())
            break;
    }
    return {};
}

std::vector<uint8_t> solidPng(int size, int r, int g, int b, int a)
{
    std::vector<uint16_t> samples;
    for (int i = 0; i < size * size; ++i)
        samples.insert(samples.end(), {uint16_t(r), uint16_t(g), uint16_t(b), uint16_t(a)});
    return gltest::encodePng(size, size, gltest::pngRgba, 8, samples);
}

// A soft white disc fading to transparent at its rim.
std::vector<uint8_t> discPng(int size)
{
    std::vector<uint16_t> samples;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f) / size - 0.5f, dy = (y + 0.5f) / size - 0.5f;
            const float v = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy) * 2.0f);
            const uint16_t c = uint16_t(v * 255.0f);
            samples.insert(samples.end(), {c, c, c, c});
        }
    return gltest::encodePng(size, size, gltest::pngRgba, 8, samples);
}

// A cube of half-size 6 in the mesh file layout: positions, triangles, no
// attributes.
std::string boxMeshFile()
{
    std::string bytes;
    const auto put = [&](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); };
    const auto putInt = [&](int32_t v) { put(&v, 4); };
    const float h = 6.0f;
    const float corners[8][3] = {{-h, -h, -h}, {h, -h, -h}, {h, h, -h}, {-h, h, -h},
                                 {-h, -h, h},  {h, -h, h},  {h, h, h},  {-h, h, h}};
    const uint32_t triangles[12][3] = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                                       {2, 3, 7}, {2, 7, 6}, {1, 2, 6}, {1, 6, 5}, {0, 4, 7}, {0, 7, 3}};
    for (int32_t v : {int32_t(GL_STATIC_DRAW), int32_t(GL_ARRAY_BUFFER), 4, 8, 3, int32_t(GL_FLOAT)})
        putInt(v);
    put(corners, sizeof corners);
    for (int32_t v : {int32_t(GL_STATIC_DRAW), int32_t(GL_ELEMENT_ARRAY_BUFFER), 4, 12, 3, int32_t(GL_UNSIGNED_INT)})
        putInt(v);
    put(triangles, sizeof triangles);
    putInt(0);
    return bytes;
}

// Card k is a solid colour of its own; card 1 (the first title cue's) is
// pure green.
const rgba cardColours[9] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                             {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255},
                             {128, 0, 0, 255},   {0, 128, 0, 255},   {0, 0, 128, 255}};

// The timeline's cues: a fill flash at 1000 ms, the seed boxes at 2000 ms,
// a title card at 3000 ms, the first greetings card at 5500 ms, and from
// 6000 ms the three held notes of the final composite's boosts (of 1000,
// 2000 and 500 ms) with a flash image at 6250 ms.
const char* const noteListText = "21\n"
                                 "0\n"
                                 "2\nn 1000 0\nn 3000 1\n"
                                 "0\n0\n"
                                 "6\nn 2000 0\nn 5500 2\nhn 6000 7000 0\nhn 6000 8000 1\nhn 6000 6500 2\nn 6250 1\n"
                                 "0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n";

std::unique_ptr<gltest::TempDataFolder> folder;

// What the layer observer saw during the last frame.
std::vector<eLayer> layersSeen;
std::vector<rgba> afterBackground;
std::vector<rgba> afterPointLines;
std::vector<rgba> afterSeedBoxes;
// The viewport the background was drawn with.
GLint backgroundViewport[4] = {};

// The GL state a layer group leaves for the next one.
struct sLayerGlState {
    bool blend = false;
    bool depthTest = false;
    GLint blendSource = 0;
    GLint blendDestination = 0;
    GLfloat lineWidth = 0.0f;
    GLfloat pointSize = 0.0f;
    GLint program = 0;
    GLint textureOnUnit[3] = {};
};
std::map<eLayer, sLayerGlState> glStateAfter;

sLayerGlState currentGlState()
{
    sLayerGlState state;
    state.blend = glIsEnabled(GL_BLEND) == GL_TRUE;
    state.depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    glGetIntegerv(GL_BLEND_SRC_RGB, &state.blendSource);
    glGetIntegerv(GL_BLEND_DST_RGB, &state.blendDestination);
    glGetFloatv(GL_LINE_WIDTH, &state.lineWidth);
    glGetFloatv(GL_POINT_SIZE, &state.pointSize);
    glGetIntegerv(GL_CURRENT_PROGRAM, &state.program);
    GLint activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GLenum(GL_TEXTURE0 + unit));
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.textureOnUnit[unit]);
    }
    glActiveTexture(GLenum(activeUnit));
    return state;
}

void observeLayer(eLayer layer)
{
    layersSeen.push_back(layer);
    glStateAfter[layer] = currentGlState();
    if (layer == eLayer::background)
        glGetIntegerv(GL_VIEWPORT, backgroundViewport);
    const auto grab = [] { return gltest::readPixels(0, 0, gltest::windowWidth, gltest::windowHeight); };
    if (layer == eLayer::background)
        afterBackground = grab();
    else if (layer == eLayer::pointLines)
        afterPointLines = grab();
    else if (layer == eLayer::seedBoxes)
        afterSeedBoxes = grab();
}

double meanBrightness(const std::vector<rgba>& pixels)
{
    double sum = 0.0;
    for (const rgba& p : pixels)
        sum += (p.r + p.g + p.b) / 3.0;
    return pixels.empty() ? 0.0 : sum / double(pixels.size());
}

// The median brightness: the background's level, whatever a few bright
// blobs do.
double medianBrightness(const std::vector<rgba>& pixels)
{
    std::vector<int> levels;
    levels.reserve(pixels.size());
    for (const rgba& p : pixels)
        levels.push_back(p.r + p.g + p.b);
    if (levels.empty())
        return 0.0;
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    return levels[levels.size() / 2] / 3.0;
}

int differingPixels(const std::vector<rgba>& a, const std::vector<rgba>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += a[i].near(b[i], 2) ? 0 : 1;
    return count;
}

// The largest difference of one channel between two pictures.
int largestDifference(const std::vector<rgba>& a, const std::vector<rgba>& b)
{
    int largest = a.size() == b.size() ? 0 : 255;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max({largest, std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g), std::abs(a[i].b - b[i].b)});
    return largest;
}

std::vector<rgba> finalFrame()
{
    return gltest::readPixels(0, 0, gltest::windowWidth, gltest::windowHeight);
}

// The song time of the frame renderAt drew last.
int drawnMs = 0;

// Draws the frame at song time `ms`.
void renderAt(int ms)
{
    layersSeen.clear();
    drawShowFrame(ms);
    drawnMs = ms;
}

// The show's state the last frame drew.
const sSceneState& state()
{
    return showTimeline.stateAt(drawnMs);
}

// Draws a frame of a state made for the test.
void renderState(const sSceneState& made, int ms)
{
    layersSeen.clear();
    windowFrameBuffer.begin();
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    composeFrame(made, ms);
    windowFrameBuffer.end();
}

class CompositionFrames : public gltest::GlTest {
protected:
    static void SetUpTestSuite()
    {
        gltest::GlTest::SetUpTestSuite();
        if (folder)
            return;
        const fs::path data = repositoryData();
        ASSERT_FALSE(data.empty()) << "the repository's data folder was not found";
        productionData = data;
        folder = std::make_unique<gltest::TempDataFolder>();
        for (const auto& entry : fs::directory_iterator(data)) {
            const auto ext = entry.path().extension();
            if (ext == ".vert" || ext == ".frag")
                fs::copy_file(entry.path(), fs::path(folder->root()) / "data" / entry.path().filename());
        }
        for (const char* name : {"happy.png", "party.png", "colorscheme.png"})
            folder->write(name, solidPng(64, 90, 90, 110, 255));
        const char* cards[9] = {"OST.png",     "oc.png",      "cred.png",    "greets1.png", "greets2.png",
                                "greets3.png", "greets4.png", "greets5.png", "greets6.png"};
        for (int k = 0; k < 9; ++k)
            folder->write(cards[k], solidPng(64, cardColours[k].r, cardColours[k].g, cardColours[k].b, 255));
        for (const char* name : {"eye.png", "f1.png", "f2.png"})
            folder->write(name, solidPng(64, 200, 40, 200, 255));
        folder->write("grad2.png", discPng(64));
        folder->write("aBox.obj.bin", boxMeshFile());
        folder->write("mvl.txt", noteListText);

        windowWidth = gltest::windowWidth;
        windowHeight = gltest::windowHeight;
        onResize(windowWidth, windowHeight);
        {
            gltest::ConsoleCapture console;
            runSceneSetUps();
            setUpLines = console.lines();
        }
        noteList.load("data/mvl.txt");
        attachShowTimeline();
        setLayerObserver(observeLayer);
    }

    static std::vector<std::string> setUpLines;
    // The repository's data folder (the tests run in a folder of their own).
    static fs::path productionData;
};

std::vector<std::string> CompositionFrames::setUpLines;
fs::path CompositionFrames::productionData;

} // namespace

TEST_F(CompositionFrames, SetUpsLoadEverythingTheTestProvides)
{
    ASSERT_GE(setUpLines.size(), 2u);
    EXPECT_EQ(setUpLines[0], "initing scene1");
    EXPECT_EQ(setUpLines[1], "initing scene2");
    // Every shader compiles and every image loads: no failure line at all.
    for (size_t i = 2; i < setUpLines.size(); ++i)
        ADD_FAILURE() << "unexpected set-up line: " << setUpLines[i];
    EXPECT_EQ(cardImages.size(), 9u);
    EXPECT_EQ(flashImages.size(), 2u);
    EXPECT_EQ(screenCopy->getWidth(), gltest::windowWidth);
    EXPECT_EQ(metaballCopy->getHeight(), metaballFieldSize(gltest::windowHeight));
}

namespace {

// The active uniforms of a program by name, with their GL types (GL's own
// gl_ state left out).
std::map<std::string, GLenum> activeUniforms(const vorn::cShaderProgram* program)
{
    std::map<std::string, GLenum> uniforms;
    GLint count = 0;
    glGetProgramiv(program->program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program->program, GLuint(i), sizeof name, nullptr, &size, &type, name);
        if (std::string(name).rfind("gl_", 0) != 0)
            uniforms[name] = type;
    }
    return uniforms;
}

// The active generic attributes of a program (GL's own gl_ inputs left out).
std::vector<std::string> activeAttributes(const vorn::cShaderProgram* program)
{
    std::vector<std::string> attributes;
    GLint count = 0;
    glGetProgramiv(program->program, GL_ACTIVE_ATTRIBUTES, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program->program, GLuint(i), sizeof name, nullptr, &size, &type, name);
        if (std::string(name).rfind("gl_", 0) != 0)
            attributes.push_back(name);
    }
    return attributes;
}

std::vector<float> uniformValues(vorn::cShaderProgram* program, const char* name, size_t count)
{
    std::vector<float> values(count, -12345.0f);
    const GLint location = program->getUniformLocation(name);
    if (location != -1)
        glGetUniformfv(program->program, location, values.data());
    return values;
}

float uniformValue(vorn::cShaderProgram* program, const char* name)
{
    return uniformValues(program, name, 1)[0];
}

GLint samplerUnit(vorn::cShaderProgram* program, const char* name)
{
    GLint unit = -1;
    const GLint location = program->getUniformLocation(name);
    if (location != -1)
        glGetUniformiv(program->program, location, &unit);
    return unit;
}

void expectValues(const std::vector<float>& actual, const std::vector<float>& expected, const char* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-4f) << what << " component " << i;
}

} // namespace

// Each shader reads exactly the uniforms that the frame sets on its program,
// of the types the frame's glUniform calls need (a mismatch would be a GL
// error and the value would never arrive), plus the samplers of the units
// the frame binds its textures on.
TEST_F(CompositionFrames, EveryProgramReadsExactlyTheUniformsTheFrameSets)
{
    const GLenum f = GL_FLOAT, v4 = GL_FLOAT_VEC4, s2 = GL_SAMPLER_2D;
    using Uniforms = std::map<std::string, GLenum>;
    const std::vector<std::pair<const char*, std::pair<vorn::cShaderProgram*, Uniforms>>> programs{
        // The final composite without overlays, ripple or split, and with
        // all three.
        {"finalComposite",
         {finalCompositePrograms[0],
          {{"field", s2}, {"blur", s2}, {"frame", s2}, {"col", v4}, {"fill", v4}, {"flashCol", v4},
           {"flashFill", v4}, {"mixBoost", f}, {"sizeX", f}, {"sizeY", f}}}},
        {"finalCompositeWithOverlaysAndRipple",
         {finalCompositePrograms[sFinalCompositeParts{true, true, true, false, true, false, false}.variant()],
          {{"field", s2},      {"blur", s2},      {"frame", s2},       {"flashImage", s2}, {"eyeImage", s2},
           {"cardImage", s2},  {"col", v4},       {"fill", v4},        {"flashCol", v4},   {"flashFill", v4},
           {"flashLevel", f},  {"flashDisto", f}, {"cardFlash", f},    {"cardDisto", f},   {"t", f},
           {"distBoost", f},   {"slope", s2},     {"sizeX", f},        {"sizeY", f}}}},
        // A split frame: the first pass finishes the frame with every
        // overlay, the last ripples, splits and lights what it drew.
        {"finalFinishWithOverlays",
         {finalFinishPrograms[finalFinishVariants - 1],
          {{"field", s2},      {"blur", s2},      {"frame", s2},       {"flashImage", s2}, {"eyeImage", s2},
           {"cardImage", s2},  {"col", v4},       {"fill", v4},        {"flashCol", v4},   {"flashFill", v4},
           {"flashLevel", f},  {"flashDisto", f}, {"cardFlash", f},    {"cardDisto", f},   {"t", f},
           {"sizeX", f},       {"sizeY", f}}}},
        {"finalCompositeWithAll",
         {finalCompositePrograms[finalCompositeVariants - 1],
          {{"field", s2}, {"finished", s2}, {"slope", s2}, {"mixBoost", f}, {"specBoost", f}, {"distBoost", f},
           {"sizeX", f}, {"sizeY", f}}}},
        {"terskel",
         {terskelProgram,
          {{"tex", s2}, {"blackTer", f}, {"scroller", f}, {"whiteTer", f}, {"sizeX", f}, {"sizeY", f},
           {"col", v4}}}},
        {"line", {lineProgram, {{"tex", s2}, {"col", v4}}}},
        {"box2", {box2Program, {{"tex", s2}, {"anim", f}, {"powah", f}}}},
        {"metaball", {metaballProgram, {}}},
        {"fieldSlope", {fieldSlopeProgram, {{"field", s2}}}},
        {"horBlur", {horBlurProgram, {{"tex", s2}}}},
        {"verBlur", {verBlurProgram, {{"tex", s2}}}},
    };
    for (const auto& [name, entry] : programs) {
        const auto& [program, expected] = entry;
        EXPECT_EQ(activeUniforms(program), expected) << name;
        if (expected.count("tex") != 0) {
            EXPECT_EQ(samplerUnit(program, "tex"), 0) << name;
        }
        const std::vector<std::string> attributes = activeAttributes(program);
        if (program == box2Program)
            EXPECT_EQ(attributes, std::vector<std::string>{"seedHax"}) << name;
        else if (program == metaballProgram)
            EXPECT_EQ(attributes, std::vector<std::string>{"blob"}) << name;
        else
            EXPECT_TRUE(attributes.empty()) << name;
    }
    // Every final composite program reads each of its images from the unit
    // the frame binds it on, from the set-up on.
    for (vorn::cShaderProgram* program : finalCompositePrograms) {
        for (int unit = 0; unit < finalCompositeUnits; ++unit) {
            if (activeUniforms(program).count(finalCompositeSamplers[unit]) != 0) {
                EXPECT_EQ(samplerUnit(program, finalCompositeSamplers[unit]), unit) << finalCompositeSamplers[unit];
            }
        }
    }
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(CompositionFrames, WithoutNotesEveryLayerDrawsAndNothingFlashes)
{
    renderAt(500);
    const std::vector<eLayer> order{eLayer::metaballs, eLayer::background, eLayer::pointLines, eLayer::seedBoxes,
                                    eLayer::blur,      eLayer::finalComposite};
    EXPECT_EQ(layersSeen, order);
    EXPECT_EQ(state().effects.fillFlash, 0.0f);
    EXPECT_EQ(state().effects.cardFlash, 0.0f);
    EXPECT_EQ(state().effects.flashLevel, 0.0f);
    EXPECT_EQ(state().effects.bump, 0.0f);
    EXPECT_EQ(state().effects.cardIndex, 8u);

    // The background fills the window; the final frame is neither black nor
    // washed out.
    const double quiet = medianBrightness(finalFrame());
    EXPECT_GT(quiet, 10.0);
    EXPECT_LT(quiet, 200.0);
    // The metaball field was drawn and kept in its copy.
    std::vector<rgba> field(size_t(metaballCopy->getWidth()) * size_t(metaballCopy->getHeight()));
    metaballCopy->bind(0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, field.data());
    EXPECT_GT(meanBrightness(field), 0.05);
    // No card over the frame: the overlays leave it far from card 8's colour.
    const std::vector<rgba> frame = finalFrame();
    const rgba centre = frame[size_t(gltest::windowHeight / 2) * gltest::windowWidth + gltest::windowWidth / 2];
    EXPECT_FALSE(centre.near(cardColours[8], 30)) << centre;

    renderAt(984);
    EXPECT_NEAR(medianBrightness(finalFrame()), quiet, 12.0);
}

TEST_F(CompositionFrames, FillFlashHitBrightensTheFrame)
{
    renderAt(990);
    const double before = medianBrightness(finalFrame());
    renderAt(1000);
    EXPECT_GT(state().effects.fillFlash, 0.5f);
    const double flashed = medianBrightness(finalFrame());
    EXPECT_GT(flashed, before + 40.0) << "before " << before << ", flashed " << flashed;
    // 0.6 s later it has decayed and rests at 0.
    renderAt(1700);
    EXPECT_EQ(state().effects.fillFlash, 0.0f);
    EXPECT_NEAR(medianBrightness(finalFrame()), before, 12.0);
}

TEST_F(CompositionFrames, SeedBoxesAppearOnlyAfterTheirCue)
{
    renderAt(1990);
    EXPECT_FALSE(state().seedBoxes.seedBoxesOn);
    EXPECT_EQ(differingPixels(afterPointLines, afterSeedBoxes), 0);
    renderAt(2000);
    EXPECT_TRUE(state().seedBoxes.seedBoxesOn);
    EXPECT_GT(differingPixels(afterPointLines, afterSeedBoxes), 100);
    renderAt(2500);
    EXPECT_GT(differingPixels(afterPointLines, afterSeedBoxes), 100);
}

TEST_F(CompositionFrames, TitleCardShowsAfterItsCue)
{
    const auto centre = [] {
        return finalFrame()[size_t(gltest::windowHeight / 2) * gltest::windowWidth + gltest::windowWidth / 2];
    };
    renderAt(2990);
    EXPECT_FALSE(centre().near(cardColours[1], 40)) << centre();
    renderAt(3000);
    EXPECT_EQ(state().effects.cardIndex, 1u);
    EXPECT_TRUE(centre().near(cardColours[1], 40)) << centre();
    // It fades: 1.6 s after the cue the card is gone.
    renderAt(4700);
    EXPECT_FALSE(centre().near(cardColours[1], 40)) << centre();
}

TEST_F(CompositionFrames, ResizeKeepsAspectOneAndTheCopiesFollowTheWindow)
{
    onResize(1600, 900);
    EXPECT_EQ(windowWidth, 1600);
    EXPECT_FLOAT_EQ(projectionMatrix(0, 0), projectionMatrix(1, 1));
    GLint viewport[4] = {};
    windowFrameBuffer.begin();
    glGetIntegerv(GL_VIEWPORT, viewport);
    windowFrameBuffer.end();
    EXPECT_EQ(viewport[2], 1600);
    EXPECT_EQ(viewport[3], 900);

    // The copies take the window's new size in the next frame: a copy of
    // the start-up size would show the whole start-up region shrunk into
    // the smaller window.
    onResize(400, 300);
    renderAt(4800);
    EXPECT_EQ(screenCopy->getWidth(), 400);
    EXPECT_EQ(screenCopy->getHeight(), 300);
    EXPECT_EQ(metaballCopy->getWidth(), metaballFieldSize(400));
    EXPECT_EQ(metaballCopy->getHeight(), metaballFieldSize(300));
    onResize(gltest::windowWidth, gltest::windowHeight);
    renderAt(4810);
    EXPECT_EQ(screenCopy->getWidth(), gltest::windowWidth);
    EXPECT_EQ(metaballCopy->getWidth(), metaballFieldSize(gltest::windowWidth));
}

TEST_F(CompositionFrames, PointButtonStoresTheCameraPositionOnceAndLinesJoinThePoints)
{
    // The point button held from 5000 ms to 5032 ms adds one point, where
    // the camera is.
    sSceneInput held;
    held.buttons = 1u << 2;
    showTimeline.setInput(tickAtOrBefore(5000), held);
    showTimeline.setInput(tickAtOrBefore(5032), sSceneInput{});
    renderAt(5048);
    ASSERT_EQ(state().effects.points.size(), 1u);
    const vorn::vec3f stored = state().effects.points.back();
    EXPECT_EQ(stored, showTimeline.stateAtTick(tickAtOrBefore(5000)).camera.cameraPosition);
    // The camera hangs on a sphere around the origin.
    EXPECT_NEAR(std::sqrt(vorn::dot(stored, stored)), std::fabs(state().camera.cameraDistance), 1.0f);
    showTimeline.useInputs(cInputLog());

    // One point draws no line; three points around the origin draw two.
    sSceneState made = showTimeline.stateAt(5048);
    made.effects.points = {{0, 0, 0}};
    renderState(made, 5048);
    EXPECT_EQ(differingPixels(afterBackground, afterPointLines), 0);
    made.effects.points = {{-150, -80, 0}, {0, 120, 0}, {150, -80, 0}};
    renderState(made, 5064);
    EXPECT_GT(differingPixels(afterBackground, afterPointLines), 500);
}

TEST_F(CompositionFrames, EachLayerLeavesTheGlStateTheNextOneDrawsWith)
{
    renderAt(5080);
    const auto programOf = [](vorn::cShaderProgram* p) { return GLint(p->program); };
    const auto textureOf = [](vorn::cTexture* t) { return GLint(t->getId()); };

    // The metaballs and the background leave blending and depth testing off.
    EXPECT_FALSE(glStateAfter[eLayer::metaballs].blend);
    EXPECT_FALSE(glStateAfter[eLayer::metaballs].depthTest);
    const sLayerGlState& background = glStateAfter[eLayer::background];
    EXPECT_FALSE(background.blend);
    EXPECT_FALSE(background.depthTest);
    EXPECT_EQ(background.program, programOf(terskelProgram));
    EXPECT_EQ(background.textureOnUnit[0], textureOf(happyTexture));

    // Point lines: alpha blending, no depth test, wide lines, the party image.
    const sLayerGlState& lines = glStateAfter[eLayer::pointLines];
    EXPECT_TRUE(lines.blend);
    EXPECT_EQ(lines.blendSource, GL_SRC_ALPHA);
    EXPECT_EQ(lines.blendDestination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_FALSE(lines.depthTest);
    EXPECT_EQ(lines.lineWidth, 7.0f);
    EXPECT_EQ(lines.pointSize, 20.0f);
    EXPECT_EQ(lines.program, programOf(lineProgram));
    EXPECT_EQ(lines.textureOnUnit[0], textureOf(partyTexture));

    // The seed boxes are drawn opaque with depth testing on.
    const sLayerGlState& boxes = glStateAfter[eLayer::seedBoxes];
    EXPECT_TRUE(boxes.depthTest);
    EXPECT_FALSE(boxes.blend);

    // The final composite replaces the window's pixels: no blending, no
    // depth test; it reads the field, the blur and the window's copy, and
    // with no overlay, ripple or split its program has nothing else.
    const sLayerGlState& last = glStateAfter[eLayer::finalComposite];
    EXPECT_FALSE(last.blend);
    EXPECT_FALSE(last.depthTest);
    EXPECT_EQ(last.program, programOf(finalCompositePrograms[0]));
    EXPECT_EQ(last.textureOnUnit[0], textureOf(metaballCopy));
    EXPECT_EQ(last.textureOnUnit[1], textureOf(blurTargetA));
    EXPECT_EQ(last.textureOnUnit[2], textureOf(screenCopy));
}

// The final composite's program leaves out the overlays while their level
// is 0 and the ripple and split while their boosts are 0: those parts must
// be ones that could not have changed the picture. The same frame drawn
// again with every part shows the same picture (to within the one level
// that a split frame's finished frame, kept in 8 bits, may round off).
TEST_F(CompositionFrames, PartsLeftOutOfTheFinalCompositeWouldNotHaveChangedThePicture)
{
    renderAt(5090);
    ASSERT_EQ(finalCompositeParts(state().effects, finalBoosts(state().cues.distortion, state().cues.colourSplit,
                                                                state().cues.fieldMix))
                  .variant(),
              0);
    const std::vector<rgba> partsLeftOut = finalFrame();
    ASSERT_GT(meanBrightness(partsLeftOut), 5.0);

    setDrawEveryLayer(true);
    renderAt(5090);
    setDrawEveryLayer(false);
    EXPECT_LE(largestDifference(partsLeftOut, finalFrame()), 1);
}

// The eye and the card left out where their images cannot reach, and the
// flash image and the eye kicked together sharing their swirl: with the
// production's own eye and a greetings card, split or not and with the
// swirls apart or alike, the frame is the one drawn in one pass with every
// part (an overlay left out where it shows would be tens of levels off).
TEST_F(CompositionFrames, OverlaysLeftOutWhereTheyCannotReachWouldNotHaveChangedThePicture)
{
    for (const char* name : {"eye.png", "greets1.png"})
        fs::copy_file(productionData / name, fs::path(folder->root()) / "data" / (std::string("real-") + name),
                      fs::copy_options::overwrite_existing);
    vorn::cTexture eye(false), card(false);
    eye.load("real-eye.png", GL_TEXTURE_2D, false);
    card.load("real-greets1.png", GL_TEXTURE_2D, false);
    ASSERT_LT(eye.coverage().litRadius, 0.45f); // or nothing is left out
    ASSERT_GT(card.coverage().opaqueFromT, 0.1f);
    vorn::cTexture* const kept[2] = {eyeTexture, cardImages[3]};
    eyeTexture = &eye;
    cardImages[3] = &card;

    sSceneState made = showTimeline.stateAt(5090);
    made.effects.flashIndex = 1;
    made.effects.cardIndex = 3;
    made.effects.flashLevel = made.effects.cardFlash = 1.4f;
    made.effects.flashDisto = 1.3f;
    for (float cardDisto : {1.3f, 0.6f})
        for (float split : {0.0f, 0.25f}) {
            made.effects.cardDisto = cardDisto;
            made.cues.colourSplit = split;
            renderState(made, 5090);
            const std::vector<rgba> inCells = finalFrame();
            setDrawEveryLayer(true);
            renderState(made, 5090);
            setDrawEveryLayer(false);
            // Drawn with everything, a frame is split, so finished in 8 bits
            // first: a level off, two where the frame is not split.
            EXPECT_LE(largestDifference(inCells, finalFrame()), split > 0.0f ? 1 : 2) << cardDisto << ", " << split;
        }
    eyeTexture = kept[0];
    cardImages[3] = kept[1];
}

namespace {

sRgbFrame rgbOf(const std::vector<rgba>& pixels)
{
    sRgbFrame frame{gltest::windowWidth, gltest::windowHeight, {}};
    for (const rgba& p : pixels)
        frame.rgb.insert(frame.rgb.end(), {p.r, p.g, p.b});
    return frame;
}

} // namespace

// The distortion ripples the frame along the metaball field's slope. The
// production's field (a quarter of the size) must ripple it as the exact
// field (full size) does, and the ripple must be there at all.
TEST_F(CompositionFrames, ARippledFrameDrawnThroughTheCheapFieldMatchesTheExactOne)
{
    renderAt(6250);
    ASSERT_EQ(finalBoosts(state().cues.distortion, 0.0f, 0.0f).distBoost, 0.2f);
    ASSERT_LT(metaballCopy->getWidth(), gltest::windowWidth);
    const sRgbFrame cheap = rgbOf(finalFrame());

    setExactMetaballField(true);
    renderAt(6250);
    setExactMetaballField(false);
    EXPECT_EQ(metaballCopy->getWidth(), gltest::windowWidth);
    const sRgbFrame exact = rgbOf(finalFrame());
    const double cheapToExact = framePsnr(cheap, exact);
    EXPECT_GE(cheapToExact, 38.0);
    EXPECT_GE(frameSsim(cheap, exact), 0.98);

    // The same state without the ripple is far from both.
    sSceneState calm = showTimeline.stateAt(6250);
    calm.cues.distortion = 0.0f;
    renderState(calm, 6250);
    const sRgbFrame unrippled = rgbOf(finalFrame());
    const double cheapToUnrippled = framePsnr(cheap, unrippled);
    EXPECT_LT(cheapToUnrippled, cheapToExact - 10.0) << cheapToUnrippled << " against " << cheapToExact;
}

namespace {

// Runs the main loop on the events queued so far (plus `events`) and
// returns the number of frames it drew.
long framesOfMainLoop(std::vector<SDL_Event> events)
{
    SDL_Event stale;
    while (SDL_PollEvent(&stale) != 0) {
    }
    for (SDL_Event& event : events)
        EXPECT_EQ(SDL_PushEvent(&event), 0);
    layersSeen.clear();
    runMainLoop();
    return std::count(layersSeen.begin(), layersSeen.end(), eLayer::finalComposite);
}

} // namespace

TEST_F(CompositionFrames, MainLoopHandlesEveryQueuedEventBeforeTheFrameAndEndsOneFrameAfterAQuit)
{
    // A quit queued before a resize: the resize is still handled before
    // the one frame that is drawn after the quit.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event resize{};
    resize.type = SDL_VIDEORESIZE;
    resize.resize.w = 1000;
    resize.resize.h = 700;
    EXPECT_EQ(framesOfMainLoop({quit, resize}), 1);
    EXPECT_EQ(windowWidth, 1000);
    EXPECT_EQ(windowHeight, 700);
    EXPECT_EQ(backgroundViewport[2], 1000);
    EXPECT_EQ(backgroundViewport[3], 700);
    onResize(gltest::windowWidth, gltest::windowHeight);

    // Escape ends the loop the same way, however short the press.
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.state = SDL_PRESSED;
    escape.key.keysym.sym = SDLK_ESCAPE;
    EXPECT_EQ(framesOfMainLoop({escape}), 1);
}

// The values the frame hands each layer: a frame with the flash image just
// cued, a greetings card fading and the three boosts' held notes sounding.
TEST_F(CompositionFrames, UniformsCarryTheFramesEffectValues)
{
    renderAt(5490);
    renderAt(5500); // the first greetings cue shows card 2
    EXPECT_EQ(state().effects.cardIndex, 2u);
    renderAt(6240);
    gltest::takeGlErrors();
    renderAt(6250); // flash image cue
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    // The card was kicked to 1.6 by the tick at 5500 and has decayed over
    // the 767 ms from the tick before it (its distortion twice as fast);
    // the flash was kicked by this frame's tick, 17 ms after the last.
    const float cardFlash = 1.6f - 0.767f, cardDisto = 1.6f - 1.534f;
    const float flashLevel = 1.6f - 0.017f, flashDisto = 1.6f - 0.034f;
    const float t = 6.25f;

    // Final composite: (4, 0) is a quarter through its 1000 ms, at the
    // curve's peak; (4, 1) an eighth through its 2000 ms, on the rise; (4, 2)
    // halfway through its 500 ms, on the middle key.
    vorn::cShaderProgram* composite = finalCompositePrograms[finalCompositeVariants - 1];
    EXPECT_NEAR(uniformValue(composite, "distBoost"), 0.2f, 1e-5f);
    EXPECT_NEAR(uniformValue(composite, "specBoost"), 0.53125f * 0.3f, 1e-5f);
    EXPECT_NEAR(uniformValue(composite, "mixBoost"), 0.5f * 0.3f, 1e-5f);

    // Flash image, eye and card layers: the frame is split, so they are
    // drawn by its first pass (the flash image and the eye were kicked
    // apart: each swirls on its own).
    composite = finalFinishPrograms[sFinalCompositeParts{true, true, true, false, false, true, false}.overlayBits()];
    EXPECT_NEAR(uniformValue(composite, "flashLevel"), flashLevel, 1e-4f);
    EXPECT_NEAR(uniformValue(composite, "flashDisto"), flashDisto, 1e-4f);
    EXPECT_NEAR(uniformValue(composite, "cardFlash"), cardFlash, 1e-4f);
    EXPECT_NEAR(uniformValue(composite, "cardDisto"), cardDisto, 1e-4f);
    EXPECT_NEAR(uniformValue(composite, "t"), t, 1e-5f);
    EXPECT_EQ(samplerUnit(composite, "flashImage"), 3);
    EXPECT_EQ(samplerUnit(composite, "eyeImage"), 4);
    EXPECT_EQ(samplerUnit(composite, "cardImage"), 5);
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE5);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), cardImages[2]->getId());
    glActiveTexture(GL_TEXTURE0);

    // Glow and fill flash; no flash running.
    EXPECT_EQ(state().effects.fillFlash, 0.0f);
    expectValues(uniformValues(composite, "col", 4), {1.0f, 1.0f, 1.0f, 1.0f}, "glow col");
    expectValues(uniformValues(composite, "fill", 4), {0.0f, 0.0f, 0.0f, 0.0f}, "glow fill");
    expectValues(uniformValues(composite, "flashCol", 4), {1.0f, 0.95f, 0.6f, 0.4f}, "flash col");
    expectValues(uniformValues(composite, "flashFill", 4), {1.0f, 0.95f, 0.6f, 0.0f}, "flash fill");

    // Background, with the energy at rest (silent spectrum).
    EXPECT_EQ(state().effects.energy, 0.0f);
    EXPECT_NEAR(uniformValue(terskelProgram, "blackTer"), std::cos(6250.0f * 0.0001f) * 0.5f + 0.5f, 1e-5f);
    EXPECT_NEAR(uniformValue(terskelProgram, "scroller"), 6250.0f * 0.0001f, 1e-5f);
    EXPECT_NEAR(uniformValue(terskelProgram, "whiteTer"), std::sin(6250.0f * 0.000113f) * 0.5f + 0.5f, 1e-5f);
    expectValues(uniformValues(terskelProgram, "col", 4), {1.0f, 1.0f, 1.0f, 1.0f}, "background col");

    expectValues(uniformValues(lineProgram, "col", 4), {1.0f, 1.0f, 1.0f, 0.6f}, "line col");

    // Seed boxes, on since 2000 ms and long past their kick.
    EXPECT_NEAR(uniformValue(box2Program, "anim"), 2.0f, 1e-6f);
    EXPECT_NEAR(uniformValue(box2Program, "powah"), 0.3f * (std::sin(6.25f) * 1.4f + 1.4f), 1e-5f);

    // The final composite is drawn at sizeX = sizeY = 1; the background
    // upside down, as every layer below the blur is.
    EXPECT_EQ(uniformValue(composite, "sizeX"), 1.0f);
    EXPECT_EQ(uniformValue(composite, "sizeY"), 1.0f);
    EXPECT_EQ(uniformValue(terskelProgram, "sizeX"), 1.0f);
    EXPECT_EQ(uniformValue(terskelProgram, "sizeY"), -1.0f);
}
