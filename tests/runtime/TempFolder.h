// A fresh temporary folder that a test works in: it becomes the current
// directory for the test's lifetime and is removed afterwards.
#pragma once

#include <string>

class cTempFolder {
public:
    cTempFolder();
    ~cTempFolder();
    cTempFolder(const cTempFolder&) = delete;
    cTempFolder& operator=(const cTempFolder&) = delete;

    // Writes `text` to `name` (relative to the folder), creating folders.
    void write(const std::string& name, const std::string& text) const;
    const std::string& path() const { return root; }

private:
    std::string oldDir;
    std::string root;
};
