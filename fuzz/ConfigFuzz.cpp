// Fuzz target: arbitrary bytes as the window configuration. Besides the
// sanitizers' checks it traps when the reader gives a window of no size or
// writes more than one console line.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "strobewerk/Config.h"
#include "vorn/ConsoleLog.h"

using fuzzsupport::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream console;
    vorn::consoleLog.setStream(&console);
    const sWindowConfig config = readWindowConfig(in, "res.conf");
    vorn::consoleLog.setStream(&fuzzsupport::nullStream());
    require(config.width > 0 && config.height > 0);
    size_t lines = 0;
    for (char c : console.str())
        lines += c == '\n';
    require(lines <= 1);
    return 0;
}
