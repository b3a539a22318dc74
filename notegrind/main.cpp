// notegrind: converts the MIDI files of the current folder, and those named
// on the command line, into note lists. It has no options. The exit code
// is 0 when every input was read whole and every note list written, and 1
// otherwise; the report says which with its "warning: " lines.
#include "notegrind/Notegrind.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
    // A reader of the report that goes away (notegrind | head) must not
    // stop the conversions: writes to it then simply fail.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    int code = 1;
    try {
        code = notegrind::runNotegrind(argc, argv, std::cout);
    } catch (...) {
        // Out of memory outside any one file's conversion: whatever was
        // converted stays, and the run counts as failed.
    }
    std::cout.flush();
    return code;
}
