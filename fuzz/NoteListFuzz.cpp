// Fuzz target: arbitrary bytes as a note list, loaded, advanced through a
// song whose times come from the input's own numbers and queried on every
// track. Besides the sanitizers' checks it traps when the store holds more
// notes or tracks than the file has words for, a load that reports nothing
// wrong kept fewer notes than a whole file gives, or a hit stays active
// for more than one update.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "strobewerk/NoteList.h"

using fuzzsupport::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    cNoteList list;
    list.load(in);

    // Every track needs a count word and every note three words, each word
    // at least one byte and a separator.
    size_t notes = 0;
    for (uint32_t t = 0; t < list.trackCount(); ++t)
        notes += list.trackNotes(t).size();
    require(list.trackCount() <= size / 2 + 1);
    require(notes * 6 <= size + 1);

    // Song times: 0, then the notes' own starts and ends in order of the
    // file, then far beyond.
    std::vector<int32_t> times = {0};
    for (uint32_t t = 0; t < list.trackCount() && times.size() < 64; ++t)
        for (const sNote& n : list.trackNotes(t))
            times.push_back(n.held ? n.endMs : n.startMs);
    times.push_back(INT32_MAX);
    std::vector<int> hitActive;
    int32_t now = INT32_MIN;
    for (int32_t t : times) {
        // The song time only grows.
        now = std::max(now, t);
        list.update(now);
        for (uint32_t track = 0; track <= list.trackCount(); ++track) {
            for (int32_t code = -1; code < 5; ++code) {
                for (bool held : {false, true}) {
                    const sNote found = list.findNote(track, code, held);
                    require(found.active == list.isNoteActive(track, code, held));
                    require(found.progress == list.noteProgress(track, code, held));
                    if (!found.active)
                        require(found.progress == 0.0f && found.invDuration == 0.0f);
                }
            }
        }
        size_t i = 0;
        for (uint32_t track = 0; track < list.trackCount(); ++track) {
            for (const sNote& n : list.trackNotes(track)) {
                if (hitActive.size() <= i)
                    hitActive.push_back(0);
                if (!n.held && n.active)
                    require(++hitActive[i] == 1);
                ++i;
            }
        }
    }
    return 0;
}
