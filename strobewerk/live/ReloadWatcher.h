// cReloadWatcher: notices files that change while the production plays.
//
// Each watched file has a handler. poll, called once per frame with the
// millisecond tick counter, looks at the files at most once a second; a file
// whose modification time or size differs from what was seen last (or that
// appeared) has its handler called once with its path. A file that vanished
// or became a folder has its second handler, when it has one, called once
// with the reason ("it is gone", "it is a folder now"):
//     cReloadWatcher watcher;
//     watcher.watch("data/mvl.txt", [](const std::string& path) { ... },
//                   [](const std::string& path, const std::string& why) { ... });
//     watcher.poll(SDL_GetTicks());      // every frame
// Paths are data paths, found whatever their letter case (DataFile.h). The
// handlers do the reloading and say what they did; the watcher only
// watches. Live play owns one; a capture has none, so nothing is reloaded
// while a capture renders.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class cReloadWatcher {
public:
    using Handler = std::function<void(const std::string& path)>;
    using LostHandler = std::function<void(const std::string& path, const std::string& why)>;

    static constexpr std::uint32_t checkPeriodMs = 1000;

    // Starts watching `path`; what it is now is the baseline (a missing
    // file counts as a change once it appears).
    void watch(const std::string& path, Handler onChange, LostHandler onLost = nullptr);

    // Checks the files when checkPeriodMs have passed since the last check
    // (the first call only starts the count). Returns how many handlers ran.
    int poll(std::uint32_t nowMs);

    // Checks every file now; returns how many handlers ran.
    int check();

    std::size_t watchedCount() const { return files.size(); }

private:
    struct sStamp {
        bool exists = false;
        bool folder = false;
        std::int64_t modified = 0;
        std::uintmax_t size = 0;
        bool operator==(const sStamp& o) const
        {
            return exists == o.exists && folder == o.folder && modified == o.modified && size == o.size;
        }
    };
    struct sWatched {
        std::string path;
        Handler onChange;
        LostHandler onLost;
        sStamp seen;
    };
    static sStamp stampOf(const std::string& path);

    std::vector<sWatched> files;
    bool started = false;
    std::uint32_t lastCheck = 0;
};
