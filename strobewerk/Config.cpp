#include "strobewerk/Config.h"

#include "vorn/ConsoleLog.h"
#include "vorn/DataFile.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <limits>

const char* const windowConfigFile = "res.conf";
const char* const dataFolder = "data";

namespace {

// Skips everything up to and including the next colon.
bool skipLabel(std::istream& in)
{
    in.ignore(std::numeric_limits<std::streamsize>::max(), ':');
    // ignore() reaching the end without a colon sets eof.
    return static_cast<bool>(in) && !in.eof();
}

sWindowConfig fallBack(const std::string& path, const char* problem)
{
    vorn::consoleLog.line(path, ": ", problem, ", using a window of 800x600");
    return sWindowConfig{};
}

} // namespace

sWindowConfig readWindowConfig(const std::string& path)
{
    std::ifstream in(vorn::resolveDataPath(path));
    if (!in)
        return fallBack(path, "cannot be opened");
    return readWindowConfig(in, path);
}

sWindowConfig readWindowConfig(std::istream& in, const std::string& path)
{
    sWindowConfig config;
    bool fullscreen = false;
    int32_t width = 0;
    int32_t height = 0;
    // The flag is read without boolalpha: only the digits 0 and 1 pass.
    if (!skipLabel(in) || !(in >> std::noboolalpha >> fullscreen))
        return fallBack(path, "no fullscreen flag (0 or 1)");
    if (!skipLabel(in) || !(in >> width))
        return fallBack(path, "no width");
    if (!skipLabel(in) || !(in >> height))
        return fallBack(path, "no height");
    // A window of no size cannot be opened.
    if (width <= 0 || height <= 0)
        return fallBack(path, "width and height must be above 0");

    config.fullscreen = fullscreen;
    config.width = width;
    config.height = height;
    return config;
}

bool checkDataFolder(const std::string& folder)
{
    struct stat info;
    if (::stat(vorn::resolveDataPath(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return true;
    std::string where = folder;
    if (!folder.empty() && folder[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            where = std::string(cwd) + "/" + folder;
    }
    vorn::consoleLog.line("data folder missing: looked for ", where);
    return false;
}
