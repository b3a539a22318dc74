// cStopSignals: while one exists, SIGINT (Ctrl-C), SIGTERM and SIGHUP (the
// terminal closed) only ask the capture to stop: it looks before every
// frame, finishes what it has and says so. The previous handlers come back
// when it goes.
//
//     cStopSignals signals;
//     while (... && cStopSignals::received() == 0) ... one frame
//     return 128 + cStopSignals::received();
#pragma once

#include <csignal>

class cStopSignals {
public:
    cStopSignals();
    ~cStopSignals();
    cStopSignals(const cStopSignals&) = delete;
    cStopSignals& operator=(const cStopSignals&) = delete;

    // The last stop signal received while one existed (0: none).
    static int received();

private:
    static constexpr int handledCount = 3;
    struct sigaction previous[handledCount] {};
};
