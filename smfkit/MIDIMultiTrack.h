// MIDIMultiTrack: the song in memory, a fixed number of event lists.
//
// Built with its track count, which never changes. An owning store creates
// and destroys its tracks; a non-owning one starts with no tracks at all
// (every track pointer null). Events stay in each track in the order they
// were appended; the store never sorts or merges them.
//     MIDIMultiTrack store(64, true);
//     MIDIEventList* t = store.GetTrack(3);
#pragma once

#include "smfkit/MIDIEventList.h"

namespace smfkit {

class MIDIMultiTrack {
public:
    MIDIMultiTrack(int trackCount, bool ownsTracks);
    virtual ~MIDIMultiTrack();
    MIDIMultiTrack(const MIDIMultiTrack&) = delete;
    MIDIMultiTrack& operator=(const MIDIMultiTrack&) = delete;

    int GetNumTracks() const { return trackCount; }
    // i must be below GetNumTracks(); null when the track does not exist.
    MIDIEventList* GetTrack(int i) { return tracks[i]; }
    const MIDIEventList* GetTrack(int i) const { return tracks[i]; }

    // Ticks per quarter note, taken from the file header (0 until set).
    int GetClksPerBeat() const { return clksPerBeat; }
    void SetClksPerBeat(int clocks) { clksPerBeat = clocks; }

private:
    MIDIEventList** tracks;
    int trackCount;
    bool ownsTracks;
    int clksPerBeat = 0;
};

} // namespace smfkit
