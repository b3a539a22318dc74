// cConsoleLog: the one place where the production writes its console lines.
//
// Every message is one line on standard output, ended by a newline and a
// flush, so a line is visible at once even when the output is a pipe.
// Use it as
//     consoleLog.line("initing scene1");
//     consoleLog.line("num axes:", axisCount);
// Parts of a line are written one after another without separators.
// Tests may point the log at a stream of their own with setStream.
#pragma once

#include <ostream>
#include <sstream>
#include <string>

namespace vorn {

class cConsoleLog {
public:
    template <typename... Parts>
    void line(const Parts&... parts)
    {
        std::ostringstream text;
        ((text << parts), ...);
        writeLine(text.str());
    }

    // Redirects the log (nullptr restores standard output).
    void setStream(std::ostream* stream);

private:
    void writeLine(const std::string& text);
    std::ostream* target = nullptr;
};

extern cConsoleLog consoleLog;

} // namespace vorn
