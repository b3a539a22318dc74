// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes; enter() makes it the working
// folder until then.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace ngtest {

class cTempFolder {
public:
    cTempFolder()
    {
        static int serial = 0;
        path = std::filesystem::temp_directory_path() /
               ("notegrind-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~cTempFolder()
    {
        if (!previous.empty())
            std::filesystem::current_path(previous);
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    void enter()
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(path / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(path / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path / name); }

    std::filesystem::path path;

private:
    std::filesystem::path previous;
};

} // namespace ngtest
