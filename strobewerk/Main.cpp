// strobewerk: the production. Run it from the folder that holds "res.conf"
// and data/; Escape or closing the window ends it. `strobewerk --help` lists
// the options.
#include <SDL.h>

#include "strobewerk/Options.h"
#include "strobewerk/ProcessSetup.h"
#include "strobewerk/Runtime.h"
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
    return runProduction(parsed.options);
}
