// cTrackNotes: where the notes of each finished store track go.
//
// The conversion hands over every store track once, in store-track order,
// the empty ones too, as soon as the track is done. cCollectedNotes keeps
// them all in memory (one list per store track); the note-list file
// (NoteListFile.h) writes them out as they come instead.
#pragma once

#include "notegrind/NoteBlock.h"

#include <cstddef>
#include <vector>

namespace notegrind {

using cNoteLists = std::vector<std::vector<sNoteBlock>>;

class cTrackNotes {
public:
    virtual ~cTrackNotes() = default;
    // The receiver may take notes (swap it out); it is cleared afterwards.
    virtual void trackDone(int track, std::vector<sNoteBlock>& notes) = 0;
};

class cCollectedNotes : public cTrackNotes {
public:
    explicit cCollectedNotes(size_t trackCount) : lists(trackCount) {}
    void trackDone(int track, std::vector<sNoteBlock>& notes) override
    {
        if (track >= 0 && static_cast<size_t>(track) < lists.size())
            lists[static_cast<size_t>(track)].swap(notes);
    }

    cNoteLists lists;
};

} // namespace notegrind
