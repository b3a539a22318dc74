// strobewerk: the production. Run it from the folder that holds "res.conf"
// and data/; Escape or closing the window ends it. `strobewerk --help` lists
// the options.
#include <SDL.h>

#include <cstdlib>

#include "strobewerk/Options.h"
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

    // The production binds the window's framebuffer itself between its
    // offscreen passes. A windowing layer that draws the program into a
    // scaling framebuffer of its own and shows only that would hide every
    // layer drawn after such a bind, so ask it to draw into the window
    // directly (unless the user has chosen otherwise).
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    return runProduction(parsed.options);
}
