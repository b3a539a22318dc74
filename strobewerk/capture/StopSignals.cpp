#include "strobewerk/capture/StopSignals.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal)
{
    stopSignal = signal;
}

} // namespace

cStopSignals::cStopSignals()
{
    static_assert(sizeof kSignals / sizeof kSignals[0] == kCount);
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kCount; ++i)
        sigaction(kSignals[i], &action, &previous[i]);
}

cStopSignals::~cStopSignals()
{
    for (int i = 0; i < kCount; ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
}

int cStopSignals::received()
{
    return stopSignal;
}
