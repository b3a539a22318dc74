#include "vorn/DataFile.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace vorn {

const char* const dataPrefix = "data/";

std::string dataFile(const std::string& bareName)
{
    return dataPrefix + bareName;
}

namespace {

bool exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The entry of `folder` whose name matches `name` ignoring case, or "".
std::string findIgnoringCase(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::vector<std::string> matches;
    while (dirent* entry = ::readdir(dir)) {
        if (sameIgnoringCase(entry->d_name, name))
            matches.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    if (matches.empty())
        return {};
    std::sort(matches.begin(), matches.end());
    return matches.front();
}

} // namespace

std::string resolveDataPath(const std::string& path)
{
    std::string wanted = path;
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    if (wanted.empty() || exists(wanted))
        return wanted;

    std::string resolved;
    size_t start = 0;
    if (wanted[0] == '/') {
        resolved = "/";
        start = 1;
    }
    while (start <= wanted.size()) {
        size_t end = wanted.find('/', start);
        if (end == std::string::npos)
            end = wanted.size();
        std::string part = wanted.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        std::string candidate = resolved + part;
        if (part != "." && part != ".." && !exists(candidate)) {
            std::string found = findIgnoringCase(resolved.empty() ? std::string() : resolved, part);
            if (found.empty())
                return wanted;
            candidate = resolved + found;
        }
        resolved = candidate + (end < wanted.size() ? "/" : "");
    }
    return resolved;
}

} // namespace vorn
