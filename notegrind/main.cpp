// notegrind: converts the MIDI files of the current folder, and those named
// on the command line, into note lists. It has no options and always
// exits with 0.
#include "notegrind/Notegrind.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
    // A reader of the report that goes away (notegrind | head) must not
    // stop the conversions: writes to it then simply fail.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    try {
        notegrind::runNotegrind(argc, argv, std::cout);
    } catch (...) {
        // Out of memory on a huge input: whatever was converted stays.
    }
    std::cout.flush();
    return 0;
}
