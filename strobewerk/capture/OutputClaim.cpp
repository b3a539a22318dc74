#include "strobewerk/capture/OutputClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "strobewerk/capture/CapturePlan.h"
#include "vorn/ConsoleLog.h"

namespace fs = std::filesystem;

namespace {

std::string reason(int error)
{
    return std::strerror(error);
}

// What the target is when it is not the capture's kind of thing.
std::string wrongKind(const std::string& path, bool folder, const cOutputClaim::NameTest& ownsName)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? "" : reason(errno);
    if (!folder)
        return S_ISREG(info.st_mode) ? "" : S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
    if (!S_ISDIR(info.st_mode))
        return "it is not a folder";
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(error) || !ownsName(name))
            return "it holds other files than this image sequence's (" + name + "): give a folder of its own";
    }
    return error ? error.message() : "";
}

} // namespace

cOutputClaim::~cOutputClaim()
{
    abandon();
}

bool cOutputClaim::lockWork(int descriptor)
{
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        lock = descriptor;
        return true;
    }
    close(descriptor);
    return false;
}

std::string cOutputClaim::refusal(const std::string& start) const
{
    if (const std::string problem = checkOutputPath(folder ? work : target); !problem.empty() && !folder)
        return problem;
    if (const std::string kind = wrongKind(target, folder, ownsName); !kind.empty())
        return start + kind;
    struct stat there {};
    if (noReplace && !folder && lstat(target.c_str(), &there) == 0)
        return start + "it exists and is not this capture's";
    const std::string parent = fs::path(work).has_parent_path() ? fs::path(work).parent_path().string() : ".";
    if (access(parent.c_str(), W_OK) != 0)
        return start + (errno == ENOENT ? "no folder " + parent : reason(errno));
    return {};
}

bool cOutputClaim::makeWork()
{
    if (folder)
        return mkdir(work.c_str(), 0755) == 0
               && lockWork(open(work.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const int fd = open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    return fd >= 0 && lockWork(fd);
}

cOutputClaim::eResult cOutputClaim::claim(const std::string& path, const NameTest& owns, std::string& line)
{
    abandon();
    target = path;
    work = path + ".part";
    ownsName = owns;
    folder = static_cast<bool>(owns);
    stale.clear();
    const std::string start = "strobewerk: cannot write the capture to \"" + target + "\": ";
    if (const std::string refused = refusal(start); !refused.empty()) {
        line = refused;
        return eResult::refused;
    }
    const std::string busy = "strobewerk: another capture is writing \"" + target + "\" (" + work + " is in use)";
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (makeWork())
            return eResult::claimed;
        if (errno != EEXIST) {
            line = start + "cannot create " + work + ": " + reason(errno);
            return eResult::refused;
        }
        // Someone's .part: held by a running capture, or left by a killed one.
        const int fd = open(work.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0 || (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))) {
            if (fd >= 0)
                close(fd);
            line = start + work + " is in the way and is not a " + (folder ? "folder" : "regular file")
                   + " left by a capture";
            return eResult::refused;
        }
        if (!lockWork(fd)) {
            line = busy;
            return eResult::busy;
        }
        std::error_code error;
        if (folder)
            fs::remove_all(work, error);
        else if (unlink(work.c_str()) != 0)
            error.assign(errno, std::generic_category());
        release();
        if (error) {
            line = start + "cannot replace " + work + ": " + error.message();
            return eResult::refused;
        }
        stale = "capture: " + work + " was left by a capture that did not finish; replacing it";
    }
    line = busy;
    return eResult::busy;
}

bool cOutputClaim::commit(std::string& line)
{
    const std::string start = "cannot rename " + work + " to " + target + ": ";
    if (const std::string kind = wrongKind(target, folder, ownsName); !kind.empty()) {
        line = start + kind;
        return false;
    }
    std::error_code error;
    if (folder && fs::exists(target, error)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(target, error))
            fs::remove(entry.path(), error);
        fs::remove(target, error);
    }
    if (noReplace && !folder) {
        // A link fails where a file appeared meanwhile; the rename would
        // replace it. (A file system without links gets the rename.)
        if (link(work.c_str(), target.c_str()) == 0) {
            unlink(work.c_str());
            work.clear();
            release();
            return true;
        }
        if (errno == EEXIST) {
            line = start + "it appeared meanwhile and is not this capture's";
            return false;
        }
    }
    if (error || std::rename(work.c_str(), target.c_str()) != 0) {
        line = start + (error ? error.message() : reason(errno));
        return false;
    }
    work.clear();
    release();
    return true;
}

void cOutputClaim::abandon()
{
    if (lock >= 0 && !work.empty()) {
        std::error_code ignored;
        fs::remove_all(work, ignored);
    }
    release();
}

void cOutputClaim::release()
{
    if (lock >= 0)
        close(lock);
    lock = -1;
}

int cOutputClaim::claimSaying(const std::string& target, const NameTest& ownsName)
{
    std::string line;
    switch (claim(target, ownsName, line)) {
    case eResult::claimed: break;
    case eResult::refused: vorn::consoleLog.line(line); return 2;
    case eResult::busy: vorn::consoleLog.line(line); return 1;
    }
    if (!stale.empty())
        vorn::consoleLog.line(stale);
    return 0;
}
