#include "TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

cTempFolder::cTempFolder()
{
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        throw std::runtime_error("no working directory");
    oldDir = cwd;
    char pattern[] = "/tmp/runtimetestXXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("cannot make a temporary folder");
    root = pattern;
    if (chdir(root.c_str()) != 0)
        throw std::runtime_error("cannot enter the temporary folder");
}

cTempFolder::~cTempFolder()
{
    if (chdir(oldDir.c_str()) != 0)
        return;
    std::string command = "rm -rf '" + root + "'";
    if (std::system(command.c_str()) != 0)
        return;
}

void cTempFolder::write(const std::string& name, const std::string& text) const
{
    for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
        mkdir(name.substr(0, slash).c_str(), 0755);
    std::ofstream out(name, std::ios::binary);
    out << text;
}
