// notegrind: converts the MIDI files of the current folder, and those named
// on the command line, into note lists. It has no options and always
// exits with 0.
#include "notegrind/Notegrind.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    try {
        notegrind::runNotegrind(argc, argv, std::cout);
    } catch (...) {
        // Out of memory on a huge input: whatever was converted stays.
    }
    std::cout.flush();
    return 0;
}
