// enterRepository: for the tools and benchmarks that read the production's
// own files, makes the repository (the nearest folder at or above the
// working folder that holds the production's data/) the working folder.
// False when there is none.
#pragma once

#include <filesystem>

inline bool enterRepository()
{
    namespace fs = std::filesystem;
    for (fs::path dir = fs::current_path();; dir = dir.parent_path()) {
        if (fs::exists(dir / "data" / "mvl.txt")) {
            fs::current_path(dir);
            return true;
        }
        if (dir == dir.root_path())
            return false;
    }
}
