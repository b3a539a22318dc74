#include "strobewerk/ProgramPath.h"

#include <unistd.h>

#include <vector>

std::string programPath()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return {};
    return std::string(path.data(), static_cast<std::size_t>(length));
}

void execProgram(const std::vector<std::string>& words)
{
    if (words.empty())
        return;
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
}
