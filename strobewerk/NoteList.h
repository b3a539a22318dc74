// cNoteList: the notes of the soundtrack, read from the note-list file that
// notegrind writes, with each note's playback state.
//
// The production loads it once before playback. The show asks it, for two
// song times in a row, which note of a track, pitch code and kind sounds at
// the second and how far through it the song is (findNoteBetween), so the
// answer depends on the song times alone:
//     noteList.load(noteListFile);
//     noteList.findNoteBetween(3, 0, false, previous, now).active  // a hit
// The list also plays itself along (update, rewind, resume, the queries
// on its playback state): a hit is active in exactly one update (the first
// at or after its start); a held note from its start up to and including
// the update that reaches its end. A note never becomes active again until
// the list is rewound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// The note list's file name as the production asks for it ("data/mvl.txt").
extern const char* const noteListFile;

// One note of the note list and its playback state. A new record is all zero.
struct sNote {
    int32_t startMs = 0;
    int32_t endMs = 0;       // held notes only; 0 for hits
    bool held = false;       // "hn" line: true, "n" line: false
    int32_t pitchCode = 0;
    bool active = false;     // sounding at the current song time
    float progress = 0.0f;   // held: 0 to below 1 while active; hit: 1 in its update
    float invDuration = 0.0f;// 1 / (end - start) of an active held note
    bool done = false;       // passed; never cleared
};

class cNoteList {
public:
    // Reads the note list at `path` (looked up ignoring letter case),
    // replacing what the store held. A missing file gives an empty store;
    // a file that breaks off keeps the notes read whole before the break.
    // Returns "" for a whole file, else what is wrong with it and what the
    // production does about it, as a phrase for the console line that
    // names the file ("cannot be opened ..., playing without note cues").
    std::string load(const std::string& path);
    // The same from a stream that is already open.
    std::string load(std::istream& in);

    // Advances every note to the song time `songTimeMs`.
    void update(int32_t songTimeMs);

    // Replaces the notes while the production plays (an edited note list
    // or a converted score), keeping the song where it is: the notes read
    // are resumed at `songTimeMs` (see resume). The text must be a whole
    // note list: when it cannot be read, or breaks off, or holds a line
    // that is no note, the store keeps its notes and `why` says what was
    // wrong. Returns whether the notes were replaced.
    bool reload(const std::string& path, int32_t songTimeMs, std::string& why);
    bool reloadText(std::istream& in, int32_t songTimeMs, std::string& why);

    // After a reload at the song time of the last update: notes that have
    // already been met there are done (hits and held notes at or before
    // it; held notes that have ended), so nothing fires twice in one pass;
    // a held note that is sounding goes on sounding from the next update.
    void resume(int32_t songTimeMs);

    size_t noteCount() const;

    // Moves the list to a new song time without firing anything: notes that
    // start before `songTimeMs` are done, the others fresh, so after a seek
    // each note fires once for each pass over it.
    void rewind(int32_t songTimeMs);

    // The first active note of `track` (file order) with this pitch code
    // and kind, as a copy; a record with active false, progress 0 and
    // invDuration 0 when none matches or the track does not exist.
    sNote findNote(uint32_t track, int32_t pitchCode, bool held) const;
    float noteProgress(uint32_t track, int32_t pitchCode, bool held) const;
    bool isNoteActive(uint32_t track, int32_t pitchCode, bool held) const;

    // The same query worked out from the notes alone, without the playback
    // state: the first note that would be active after an update at `now`
    // that followed one at `previous` (previous < now; -1 for the first
    // update of a pass from 0). A hit sounds when previous < start <= now;
    // a held note from its start while before its end, and in the update
    // that reaches its end it keeps the values it had at `previous`. The
    // show steps through the song with it, so any two song times give the
    // same answer however the song got there.
    sNote findNoteBetween(uint32_t track, int32_t pitchCode, bool held, int32_t previous, int32_t now) const;

    size_t trackCount() const { return tracks.size(); }
    // The notes of one track in file order (empty when out of range).
    const std::vector<sNote>& trackNotes(uint32_t track) const;

private:
    const sNote* firstActive(uint32_t track, int32_t pitchCode, bool held) const;

    std::vector<std::vector<sNote>> tracks;
};

// The production's one note list.
extern cNoteList noteList;
