// A plain reader of note-list files for the asset tests: every note of every
// track section with its kind, start, end and pitch code. It reads the text
// independently of the runtime's store, so the tests check the committed
// file itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sListedNote {
    bool held = false;
    int32_t startMs = 0;
    int32_t endMs = 0;      // held notes only
    int32_t code = 0;
};

struct sListedTracks {
    bool ok = false;        // the whole file parsed as the format says
    std::vector<std::vector<sListedNote>> tracks;

    // Notes of one track with this code and kind, in file order.
    std::vector<sListedNote> select(size_t track, int32_t code, bool held) const;
};

sListedTracks readNoteListFile(const std::string& path);
