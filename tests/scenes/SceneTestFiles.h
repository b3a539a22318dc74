// Files the scene tests share: the repository's own data folder (so a test
// can copy a shader or the box template into its temporary data folder) and
// a whole-file reader.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace scenetest {

// The path of `name` in the repository's data/ folder.
inline std::string repositoryData(const std::string& name)
{
    return std::string(SCENE_TEST_REPOSITORY) + "/data/" + name;
}

// The bytes of a file, or "" when it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace scenetest
