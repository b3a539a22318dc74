// frame_fidelity: renders the production's frames at chosen song times and
// compares them with reference frames kept in the repository, so a change
// meant to make a frame cheaper can show that it left the picture alone.
//
//   frame_fidelity [--size=WxH] [--at=MS,MS,...] [--reference=DIR] [--write]
//                  [--keep=DIR] [--replay-input=FILE] [--exact-field]
//
// Defaults: 1280x720, the render benchmark's song times, the reference
// folder beside this tool (a relative folder is taken from the
// repository root). Each frame is reached with the same frame deltas
// as render_bench's snapshots. --write stores the frames as the new
// references instead of comparing; --keep=DIR also writes the frames drawn
// now into DIR, for looking at; --replay-input=FILE draws the show with a
// recorded performance instead of an idle joystick; --exact-field draws
// every frame with the exact metaball field (full size).
//
// The references of the frames that the final composite's distortion
// ripples are drawn with the exact field: the ripple moves the picture by
// the field's slope, and the production's cheaper field (a quarter of the
// size) is held to that yardstick. A frame passes with
// PSNR >= 40 dB and SSIM >= 0.99, or PSNR >= 38 dB and SSIM >= 0.98 while
// it is rippled; the outermost pixels aside. The last lines name the worst
// frame of each kind. The exit code is 0 when all pass, 1 when one does
// not, 2 when a reference or the window is missing.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/Metaballs.h"
#include "strobewerk/show/InputLog.h"
#include "strobewerk/show/Show.h"
#include "tools/fidelity/FrameCompare.h"
#include "tools/fidelity/SongFrames.h"

namespace fs = std::filesystem;

namespace {

struct sKind {
    const char* name;
    double minPsnr;
    double minSsim;
    // The worst frame seen so far of this kind.
    int worstPsnrMs = -1;
    double worstPsnr = 0.0;
    int worstSsimMs = -1;
    double worstSsim = 0.0;

    void note(int ms, double psnr, double ssim)
    {
        if (worstPsnrMs < 0 || psnr < worstPsnr) {
            worstPsnrMs = ms;
            worstPsnr = psnr;
        }
        if (worstSsimMs < 0 || ssim < worstSsim) {
            worstSsimMs = ms;
            worstSsim = ssim;
        }
    }
};

// Whether the frame at song time ms is rippled by the distortion.
bool rippledAt(int ms)
{
    const sSceneState& state = showTimeline.stateAt(ms);
    return finalBoosts(state.cues.distortion, 0.0f, 0.0f).distBoost != 0.0f;
}

double shown(double psnr)
{
    return std::isinf(psnr) ? 999.0 : psnr;
}

struct sOptions {
    int width = 1280;
    int height = 720;
    std::vector<int> times = songFrameTimes();
    std::string reference = "tools/fidelity/reference";
    bool write = false;
    std::string keep;
    std::string replayInput;
    bool exactField = false;
};

bool parseOptions(int argc, char** argv, sOptions& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--size=", 0) == 0) {
            if (std::sscanf(arg.c_str() + 7, "%dx%d", &o.width, &o.height) != 2 || o.width < 16 || o.height < 16)
                return false;
        } else if (arg.rfind("--at=", 0) == 0) {
            o.times.clear();
            std::istringstream list(arg.substr(5));
            std::string item;
            while (std::getline(list, item, ','))
                o.times.push_back(std::stoi(item));
        } else if (arg.rfind("--reference=", 0) == 0) {
            o.reference = arg.substr(12);
        } else if (arg.rfind("--keep=", 0) == 0) {
            o.keep = arg.substr(7);
        } else if (arg.rfind("--replay-input=", 0) == 0) {
            o.replayInput = arg.substr(15);
        } else if (arg == "--write") {
            o.write = true;
        } else if (arg == "--exact-field") {
            o.exactField = true;
        } else {
            return false;
        }
    }
    return !o.times.empty();
}

} // namespace

int main(int argc, char** argv)
{
    sOptions o;
    if (!parseOptions(argc, argv, o)) {
        std::printf("usage: frame_fidelity [--size=WxH] [--at=MS,MS,...] [--reference=DIR] [--write] [--keep=DIR]\n"
                    "                      [--replay-input=FILE] [--exact-field]\n");
        return 2;
    }
    const std::string startFolder = fs::current_path().string();
    cInputLog performance;
    if (!o.replayInput.empty()) {
        if (const std::string why = performance.load(o.replayInput); !why.empty()) {
            std::printf("cannot replay %s: %s\n", o.replayInput.c_str(), why.c_str());
            return 2;
        }
    }
    // A relative reference folder is taken from the repository root, where
    // start-up moves to.
    if (!startUpSongFrames(o.width, o.height))
        return 2;
    if (!performance.empty())
        showTimeline.useInputs(performance);
    const fs::path reference = fs::absolute(o.reference);
    if (!o.keep.empty() && fs::path(o.keep).is_relative())
        o.keep = (fs::path(startFolder) / o.keep).string();
    fs::create_directories(reference);

    std::printf("%-10s %-12s %10s %8s\n", "song ms", "size", "PSNR dB", "SSIM");
    sKind kinds[2] = {{"still", 40.0, 0.99}, {"rippled", 38.0, 0.98}};
    int result = 0;
    for (int ms : o.times) {
        const bool rippled = rippledAt(ms);
        // A rippled frame's reference is drawn with the exact field.
        setExactMetaballField(o.exactField || (o.write && rippled));
        drawSongFrame(ms, o.width, o.height);
        const sRgbFrame frame = readWindowFrame(o.width, o.height);
        const std::string name = "frame" + std::to_string(ms) + "-" + std::to_string(o.width) + "x" +
                                 std::to_string(o.height) + ".png";
        const std::string path = (reference / name).string();
        if (!o.keep.empty()) {
            fs::create_directories(o.keep);
            savePngFrame((fs::absolute(o.keep) / name).string(), frame);
        }
        if (o.write) {
            if (!savePngFrame(path, frame)) {
                std::printf("could not write %s\n", path.c_str());
                return 2;
            }
            std::printf("%-10d %-12s written %s\n", ms, name.c_str(), path.c_str());
            continue;
        }
        sRgbFrame expected;
        if (!loadPngFrame(path, expected)) {
            std::printf("no reference frame %s\n", path.c_str());
            result = 2;
            continue;
        }
        const double psnr = framePsnr(frame, expected);
        const double ssim = frameSsim(frame, expected);
        sKind& kind = kinds[rippled ? 1 : 0];
        kind.note(ms, psnr, ssim);
        const bool pass = psnr >= kind.minPsnr && ssim >= kind.minSsim;
        std::printf("%-10d %4dx%-7d %10.2f %8.5f %-7s %s\n", ms, o.width, o.height, shown(psnr), ssim, kind.name,
                    pass ? "ok" : "DIFFERS");
        if (!pass) {
            if (result == 0)
                result = 1;
            const std::string seen = (fs::temp_directory_path() / ("seen-" + name)).string();
            if (savePngFrame(seen, frame))
                std::printf("  the frame drawn now: %s\n", seen.c_str());
        }
    }
    for (const sKind& kind : kinds)
        if (kind.worstPsnrMs >= 0)
            std::printf("worst %-7s PSNR %.2f dB at %d ms, SSIM %.5f at %d ms (bounds %.0f dB, %.2f)\n", kind.name,
                        shown(kind.worstPsnr), kind.worstPsnrMs, kind.worstSsim, kind.worstSsimMs, kind.minPsnr,
                        kind.minSsim);
    return result;
}
