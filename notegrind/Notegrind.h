// The converter's driver: one file at a time, and the whole program.
//
// convertStream parses a MIDI byte source into a 64-track store, prints the
// file's report (header lines flushed one by one, then the tracks, tempo
// changes and notes) and returns one note list per store track. A file
// that cannot be read still gives a report and (empty or partial) lists.
// convertFile does the same for a path and writes the note list beside it.
// runNotegrind is the program: every MIDI file of the current folder in
// name order, then every path on the command line; it always returns 0.
#pragma once

#include "notegrind/NoteConverter.h"
#include "smfkit/MIDIFileReadStream.h"

#include <ostream>
#include <string>

namespace notegrind {

constexpr int kStoreTracks = 64;
constexpr int kMessageCapacity = 8192;

cNoteLists convertStream(smfkit::MIDIFileReadStream& in, const std::string& name,
                         std::ostream& report);
void convertFile(const std::string& name, std::ostream& report);
int runNotegrind(int argc, const char* const* argv, std::ostream& report);

} // namespace notegrind
