// cCaptureProgress: the capture's progress lines.
//
// On a terminal one line is kept up to date in place (frames done of all,
// percent, frames a second, time left), at most a few times a second; in a
// log or a pipe a plain line is written at every tenth of the way. Before
// that, once the first frames show the pace, one line says how long the
// whole capture is expected to take.
//
// The texts are made by pure functions (tested without a console); update
// writes them through the console log.
#pragma once

#include <cstdint>
#include <string>

// "12/300 frames   4%   9.5 fps   0:30 left"
std::string progressText(std::int64_t done, std::int64_t total, double elapsedSeconds);

// "expecting about 5 min 20 s for 9000 frames (28.1 frames a second so far)"
std::string expectationText(std::int64_t done, std::int64_t total, double elapsedSeconds);

// A duration in seconds as "1 h 02 min", "5 min 20 s" or "12 s".
std::string durationText(double seconds);

// The tenth of the way (0 to 10) that `done` of `total` has reached.
int tenthReached(std::int64_t done, std::int64_t total);

class cCaptureProgress {
public:
    cCaptureProgress(std::int64_t total, bool terminal);

    // After each frame, with the seconds since the capture began.
    void update(std::int64_t done, double elapsedSeconds);
    // Ends an in-place line so that the next line starts below it.
    void close(std::int64_t done, double elapsedSeconds);

private:
    void show(const std::string& text);

    std::int64_t total;
    bool terminal;
    bool expectationShown = false;
    bool lineShown = false;
    int lastTenth = 0;
    double lastShown = -1.0;
};
