// findMidiFiles: the MIDI files of a folder, as the converter takes them.
//
// Bare names of the regular files (or links to them) whose name ends in
// ".mid" in any letter case, sorted by name byte by byte, so that two runs
// on the same folder convert in the same order. An unreadable folder gives
// an empty list.
#pragma once

#include <string>
#include <vector>

namespace notegrind {

bool hasMidiExtension(const std::string& name);
std::vector<std::string> findMidiFiles(const std::string& folder);

} // namespace notegrind
