#include "vorn/ConsoleLog.h"

#include <iostream>

namespace vorn {

cConsoleLog consoleLog;

void cConsoleLog::setStream(std::ostream* stream)
{
    target = stream;
}

void cConsoleLog::writeLine(const std::string& text)
{
    std::ostream& out = target ? *target : std::cout;
    out << text << '\n';
    out.flush();
}

} // namespace vorn
