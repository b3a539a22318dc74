// The score, converted inside the production: the MIDI file goes through
// the converter library (the same conversion the notegrind tool does) into
// note-list text, which the note list then reads. A maker who edits the
// score sees the new cues without running the converter by hand.
#pragma once

#include <cstdint>
#include <string>

class cNoteList;

// Converts the MIDI file at `midiPath` (a data path) into note-list text.
// False when the file cannot be opened or is not read whole; `why` then
// says so (the reader's error and the byte where it stopped).
bool convertScore(const std::string& midiPath, std::string& noteListText, std::string& why);

// Converts the score and puts its notes in `notes`, resumed at
// `songTimeMs`; on failure the notes stay as they were and `why` says why.
bool reloadScore(cNoteList& notes, const std::string& midiPath, std::int32_t songTimeMs, std::string& why);
