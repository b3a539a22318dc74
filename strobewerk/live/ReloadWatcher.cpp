#include "strobewerk/live/ReloadWatcher.h"

#include <filesystem>
#include <system_error>

#include "vorn/DataFile.h"

cReloadWatcher::sStamp cReloadWatcher::stampOf(const std::string& path)
{
    namespace fs = std::filesystem;
    sStamp stamp;
    std::error_code error;
    const fs::path found = vorn::resolveDataPath(path);
    if (fs::is_directory(found, error)) {
        stamp.folder = true;
        return stamp;
    }
    const fs::file_time_type modified = fs::last_write_time(found, error);
    if (error)
        return stamp;
    const std::uintmax_t size = fs::file_size(found, error);
    if (error)
        return stamp;
    stamp.exists = true;
    stamp.modified = modified.time_since_epoch().count();
    stamp.size = size;
    return stamp;
}

void cReloadWatcher::watch(const std::string& path, Handler onChange, LostHandler onLost)
{
    files.push_back(sWatched{path, std::move(onChange), std::move(onLost), stampOf(path)});
}

int cReloadWatcher::poll(std::uint32_t nowMs)
{
    if (!started) {
        started = true;
        lastCheck = nowMs;
        return 0;
    }
    if (nowMs - lastCheck < checkPeriodMs)
        return 0;
    lastCheck = nowMs;
    return check();
}

int cReloadWatcher::check()
{
    int ran = 0;
    for (sWatched& file : files) {
        const sStamp now = stampOf(file.path);
        if (now == file.seen)
            continue;
        file.seen = now;
        // A file that vanished (an editor saving through a rename) is
        // looked at again when it is back.
        if (!now.exists) {
            if (file.onLost)
                file.onLost(file.path, now.folder ? "it is a folder now" : "it is gone");
            continue;
        }
        file.onChange(file.path);
        ++ran;
    }
    return ran;
}
