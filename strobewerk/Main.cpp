// strobewerk: the production. Run it from the folder that holds "res.conf"
// and data/; Escape or closing the window ends it. `strobewerk --help` lists
// the options.
#include <SDL.h>

#include "strobewerk/Options.h"
#include "strobewerk/ProcessSetup.h"
#include "strobewerk/capture/CaptureDriver.h"
#include "strobewerk/live/LivePlay.h"
#include "vorn/ConsoleLog.h"

int main(int argc, char** argv)
{
    const sOptionsResult parsed = parseOptions(argc, argv);
    if (!parsed.ok) {
        vorn::consoleLog.line(parsed.error);
        return 2;
    }
    if (parsed.options.help) {
        vorn::consoleLog.line(optionsHelp());
        return 0;
    }

    prepareProcess();
    // The production's first console lines, word for word as they have
    // always been: the end-to-end tests (tests/e2e/plays.sh,
    // startsWithoutData.sh, startsWithoutDisplay.sh) expect them first.
    vorn::consoleLog.line("hello world!");
    vorn::consoleLog.line("hahah HAI");
    vorn::consoleLog.line("ait:", 10);
    // A capture renders into a video file with no window and no audio
    // device: it has a start-up of its own.
    if (parsed.options.capturing())
        return runCapture(parsed.options);
    return runLivePlay(parsed.options);
}
