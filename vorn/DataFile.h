// Data-file lookup that forgives letter case.
//
// The production names its files with mixed spellings of the same folder
// ("Data/morvelane.mp3", "data/mvl.txt") and with the Windows prefix
// "data\". On a case-sensitive file system, resolveDataPath finds the file
// whose folder and file names differ from the requested ones only in
// letter case. Every data file the runtime and the engine open goes
// through it:
//     std::FILE* f = std::fopen(vorn::resolveDataPath("Data/song.mp3").c_str(), "rb");
#pragma once

#include <string>

namespace vorn {

// The prefix under which the engine finds shaders, images and meshes.
extern const char* const dataPrefix;

// "data/" followed by the bare file name.
std::string dataFile(const std::string& bareName);

// Returns the path of an existing entry that matches `path` component by
// component (exact spelling first, else the first entry in name order
// that matches ignoring ASCII case). Backslashes count as separators.
// When nothing matches, the path is returned with its separators made
// '/', so the caller's open fails with the name it asked for.
std::string resolveDataPath(const std::string& path);

} // namespace vorn
