// sNoteBlock: one finished note of a note list.
//
// Start and end in whole milliseconds of song time and the pitch class (the
// MIDI note number modulo 12). A block starts as all zeros; the converter
// fills it from a note-on and a note-off, so a note-off without a note-on
// gives a block that starts at 0.
#pragma once

#include <cstdint>

namespace notegrind {

struct sNoteBlock {
    int32_t startMs = 0;
    int32_t endMs = 0;
    int32_t pitchClass = 0;
};

} // namespace notegrind
