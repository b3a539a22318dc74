// The production's command line.
//
// Without options strobewerk plays live in its window from the start of the
// song. `--from TIME` starts live play (or a capture) at a song time;
// `--capture FILE` renders the production into a video file instead of a
// window, with `--fps N`, `--size WxH` and `--to TIME` choosing its frame
// rate, size and end. TIME is milliseconds ("135000") or minutes and seconds
// ("2:15", "2:15.250"). A capture can be split: `--jobs N` renders it in N
// processes and joins them; `--part K/N` renders part K alone and
// `--join N` joins the N parts (on several machines). `--record-input FILE`
// writes what the joystick did in live play; `--replay-input FILE` plays it
// again (live or captured).
//
// parseOptions never prints: it returns the options or the one line that
// names what is wrong; main prints it and exits with code 2.
#pragma once

#include <cstdint>
#include <string>

struct sOptions {
    bool help = false;
    // Start of play or capture, in song milliseconds.
    std::int32_t from = 0;
    // Capture: the output file; empty for live play.
    std::string captureFile;
    int fps = 60;
    // 0 x 0: the size of "res.conf".
    int width = 0;
    int height = 0;
    // End of the capture in song milliseconds; -1: the end of the soundtrack.
    std::int32_t to = -1;
    // Split capture: --jobs N, or part K of N (--part K/N), or the join of
    // N parts (--join N, part 0).
    int jobs = 1;
    int part = 0;
    int parts = 0;
    // Live play: the file the joystick's inputs are written to at the end.
    std::string recordInput;
    // Live play or capture: the recorded inputs played instead of the
    // joystick's.
    std::string replayInput;

    bool capturing() const { return !captureFile.empty(); }
};

struct sOptionsResult {
    bool ok = true;
    // The line naming the problem when !ok.
    std::string error;
    sOptions options;
};

sOptionsResult parseOptions(int argc, const char* const* argv);

// Milliseconds ("135000") or m:ss with optional fraction ("2:15", "2:15.25")
// into milliseconds; false for anything else, a negative time included.
bool parseSongTime(const std::string& text, std::int32_t& milliseconds);

// Song time as m:ss.mmm, as the window title and the capture lines show it.
std::string formatSongTime(std::int32_t milliseconds);

// The lines `strobewerk --help` prints.
std::string optionsHelp();
