// The converter's driver: one file at a time, and the whole program.
//
// Converting one MIDI file in memory (a program that reloads an edited
// score while it runs calls this directly):
//     notegrind::sConversion c = notegrind::convertMidiFile("score.mid");
//     if (!c.readWhole)
//         log(c.error + " at byte " + std::to_string(c.errorOffset));
//     std::string text = notegrind::formatNoteList(c.lists); // NoteListFile.h
// convertMidiBytes does the same for a file already in memory. Neither
// prints anything unless given a report stream, and then exactly the
// report the program prints for that file (without its warning lines);
// with no stream (the default) no report text is built at all. Both
// always give one note list per store track (kStoreTracks): a file that
// cannot be read whole gives the notes read before reading stopped, an
// unreadable one empty lists. Nothing is thrown for a bad file; only
// running out of memory throws (std::bad_alloc). Conversions share no
// state, so any thread may run one.
//
// convertFile is one file as the program does it: report, note list
// written beside the input, and a "warning: " line for a file not read
// whole or a note list not written. runNotegrind is the program: every
// MIDI file of the current folder in name order, then every path on the
// command line; it returns 0 when every input was read whole and every
// note list written, 1 otherwise.
#pragma once

#include "notegrind/TrackNotes.h"
#include "smfkit/MIDIFileReadStream.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace notegrind {

constexpr int kStoreTracks = 64;
constexpr int kMessageCapacity = 8192;

// What converting one MIDI file gave.
struct sConversion {
    // One list per store track, each in the order its notes ended.
    cNoteLists lists;
    // True when the header and every announced track chunk were read
    // without error.
    bool readWhole = false;
    // Otherwise: the reader's first error text ("Unexpected Byte", ...)
    // and the byte offset, from the start of the file, where reading
    // stopped (see smfkit::MIDIFileRead::GetErrorOffset).
    std::string error;
    uint64_t errorOffset = 0;
    // The system's reason when a file could not be opened or read (as
    // the C library words it); empty otherwise.
    std::string systemError;
    // Events the converter could not keep because their store track was
    // full (smfkit::MIDIEventList::kMaxEvents), and the first such track
    // (-1 when none): the notes among them are missing from the lists.
    uint64_t droppedEvents = 0;
    int firstFullTrack = -1;
};

sConversion convertMidiFile(const std::string& path, std::ostream* report = nullptr);
// name is what the report's "file:" line shows.
sConversion convertMidiBytes(const void* data, size_t size, const std::string& name,
                             std::ostream* report = nullptr);
// The same from any byte source.
sConversion convertStream(smfkit::MIDIFileReadStream& in, const std::string& name,
                          std::ostream* report);

// Converts name and writes its note list; true when the file was read
// whole and the note list written.
bool convertFile(const std::string& name, std::ostream& report);
int runNotegrind(int argc, const char* const* argv, std::ostream& report);

} // namespace notegrind
