#include "strobewerk/show/InputLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const char* const fileHeader = "strobewerk input 1";

// The first entry after `tick`.
template <typename Changes>
auto firstAfter(Changes& changes, std::int64_t tick)
{
    return std::upper_bound(changes.begin(), changes.end(), tick,
                            [](std::int64_t t, const auto& change) { return t < change.first; });
}

} // namespace

std::int64_t cInputLog::set(std::int64_t tick, const sSceneInput& input)
{
    std::int64_t changed = -1;
    auto after = firstAfter(changes, tick);
    if (after != changes.end()) {
        changed = after->first;
        changes.erase(after, changes.end());
    }
    if (at(tick) != input) {
        if (!changes.empty() && changes.back().first == tick) {
            changes.back().second = input;
            // A change back to what the tick before had is no change.
            if (at(tick - 1) == input)
                changes.pop_back();
        } else {
            changes.emplace_back(tick, input);
        }
        changed = tick;
    }
    return changed;
}

sSceneInput cInputLog::at(std::int64_t tick) const
{
    const auto after = firstAfter(changes, tick);
    if (after == changes.begin())
        return sSceneInput{};
    return std::prev(after)->second;
}

std::string cInputLog::save(const std::string& path) const
{
    std::ofstream out(path, std::ios::trunc);
    if (!out)
        return std::strerror(errno);
    out << fileHeader << '\n';
    for (const auto& [tick, input] : changes) {
        out << tick;
        for (std::int16_t axis : input.axes)
            out << ' ' << axis;
        out << ' ' << input.buttons << ' ' << static_cast<int>(input.hat) << '\n';
    }
    out.flush();
    if (!out)
        return "the file could not be written whole";
    return {};
}

std::string cInputLog::load(const std::string& path)
{
    changes.clear();
    std::ifstream in(path);
    if (!in)
        return std::strerror(errno);
    std::string line;
    if (!std::getline(in, line) || line != fileHeader)
        return std::string("not an input recording (its first line is not \"") + fileHeader + "\")";
    std::vector<std::pair<std::int64_t, sSceneInput>> read;
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty())
            continue;
        std::istringstream fields(line);
        long long tick = 0;
        long long values[sSceneInput::axisCount + 2] = {};
        fields >> tick;
        for (long long& value : values)
            fields >> value;
        std::string rest;
        const bool whole = static_cast<bool>(fields) && !(fields >> rest);
        bool inRange = tick >= 0 && (read.empty() || tick > read.back().first);
        for (int a = 0; a < sSceneInput::axisCount; ++a)
            inRange = inRange && values[a] >= -32768 && values[a] <= 32767;
        inRange = inRange && values[4] >= 0 && values[4] <= 0xffffffffLL && values[5] >= 0 && values[5] <= 255;
        if (!whole || !inRange)
            return "line " + std::to_string(number) + " is not a change of input after the one before";
        sSceneInput input;
        for (int a = 0; a < sSceneInput::axisCount; ++a)
            input.axes[static_cast<std::size_t>(a)] = static_cast<std::int16_t>(values[a]);
        input.buttons = static_cast<std::uint32_t>(values[4]);
        input.hat = static_cast<std::uint8_t>(values[5]);
        read.emplace_back(tick, input);
    }
    changes = std::move(read);
    return {};
}
