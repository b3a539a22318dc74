#include "strobewerk/capture/StopSignals.h"

namespace {

constexpr int handledSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal)
{
    stopSignal = signal;
}

} // namespace

cStopSignals::cStopSignals()
{
    static_assert(sizeof handledSignals / sizeof handledSignals[0] == handledCount);
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < handledCount; ++i)
        sigaction(handledSignals[i], &action, &previous[i]);
}

cStopSignals::~cStopSignals()
{
    for (int i = 0; i < handledCount; ++i)
        sigaction(handledSignals[i], &previous[i], nullptr);
}

int cStopSignals::received()
{
    return stopSignal;
}
