// The window configuration read from "res.conf" at start-up.
//
// The file holds three values, each after a label that ends with a colon
// (the labels are free text and are skipped):
//     fullscreen:0
//     width:1024
//     height:768
// The flag is the digit 0 or 1; width and height are decimal integers.
// When the file is missing or a value cannot be read, readWindowConfig
// writes one console line naming the problem and gives a window of
// 800 x 600.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

struct sWindowConfig {
    bool fullscreen = false;
    int32_t width = 800;
    int32_t height = 600;
};

// The file start-up reads.
extern const char* const windowConfigFile;

// Reads the configuration at `path` (looked up ignoring letter case).
sWindowConfig readWindowConfig(const std::string& path = windowConfigFile);
// The same from a stream that is open; `path` names it in the console line.
sWindowConfig readWindowConfig(std::istream& in, const std::string& path);

// The folder the production reads its shaders, images, meshes, soundtrack
// and note list from (looked up ignoring letter case).
extern const char* const dataFolder;

// True when the data folder is there. When it is not, writes one console
// line saying where it was looked for, before the lines of the files it
// would hold.
bool checkDataFolder(const std::string& folder = dataFolder);
