#include "notegrind/MidiScan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace notegrind {

bool hasMidiExtension(const std::string& name)
{
    static const char ext[] = ".mid";
    if (name.size() < 4)
        return false;
    const char* tail = name.c_str() + name.size() - 4;
    for (int i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != ext[i])
            return false;
    }
    return true;
}

std::vector<std::string> findMidiFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (!hasMidiExtension(name))
            continue;
        std::error_code typeError;
        if (!fs::is_regular_file(it->path(), typeError))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace notegrind
