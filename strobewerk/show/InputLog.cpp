#include "strobewerk/show/InputLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

std::string cInputLog::header()
{
    return std::string(fileHeader) + "\n";
}

bool cInputLog::looksLikeRecording(const std::string& text)
{
    const std::string start = fileHeader;
    if (text.compare(0, start.size(), start) != 0)
        return false;
    const std::string rest = text.substr(start.size());
    return rest.empty() || rest[0] == '\n' || rest.compare(0, 2, "\r\n") == 0 || rest == "\r";
}

std::string cInputLog::lineAt(std::size_t i) const
{
    const auto& [tick, input] = changes[i];
    std::string line = std::to_string(tick);
    for (std::int16_t axis : input.axes)
        line += ' ' + std::to_string(axis);
    line += ' ' + std::to_string(input.buttons) + ' ' + std::to_string(static_cast<int>(input.hat)) + '\n';
    return line;
}

std::string cInputLog::linesFrom(std::size_t first) const
{
    std::string text;
    for (std::size_t i = first; i < changes.size(); ++i)
        text += lineAt(i);
    return text;
}

std::string cInputLog::save(const std::string& path) const
{
    std::ofstream out(path, std::ios::trunc);
    if (!out)
        return std::strerror(errno);
    out << header() << linesFrom(0);
    out.flush();
    if (!out)
        return "the file could not be written whole";
    return {};
}

std::string cInputLog::load(const std::string& path)
{
    changes.clear();
    // Without blocking: a pipe with no writer must not hold the start.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat info {};
    std::string text;
    std::string problem;
    if (fstat(fd, &info) != 0)
        problem = std::strerror(errno);
    else if (S_ISDIR(info.st_mode))
        problem = "it is a folder";
    else if (!S_ISREG(info.st_mode))
        problem = "it is not a regular file (a pipe, a device or a socket is not a recording)";
    else if (info.st_size > maxFileBytes)
        problem = "it is larger than a recording can be (" + std::to_string(info.st_size) + " bytes, at most "
                  + std::to_string(maxFileBytes) + ")";
    else {
        // At most one byte past the bound: a file that grows while read is
        // still refused.
        char buffer[65536];
        for (;;) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                problem = std::strerror(errno);
                break;
            }
            if (got == 0)
                break;
            text.append(buffer, static_cast<std::size_t>(got));
            if (static_cast<long long>(text.size()) > maxFileBytes) {
                problem = "it is larger than a recording can be (more than " + std::to_string(maxFileBytes)
                          + " bytes)";
                break;
            }
        }
    }
    close(fd);
    if (!problem.empty())
        return problem;
    std::istringstream in(text);
    std::string line;
    auto readLine = [&in, &line]() {
        if (!std::getline(in, line))
            return false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    };
    if (!readLine() || line != fileHeader)
        return std::string("not an input recording (its first line is not \"") + fileHeader + "\")";
    std::vector<std::pair<std::int64_t, sSceneInput>> loaded;
    for (int number = 2; readLine(); ++number) {
        if (line.empty())
            continue;
        if (line.size() > maxLineBytes)
            return "line " + std::to_string(number) + " is longer than a change of input can be (more than "
                   + std::to_string(maxLineBytes) + " bytes)";
        std::istringstream fields(line);
        long long tick = 0;
        long long values[sSceneInput::axisCount + 2] = {};
        fields >> tick;
        for (long long& value : values)
            fields >> value;
        std::string rest;
        const bool whole = static_cast<bool>(fields) && !(fields >> rest);
        bool inRange = tick >= 0 && (loaded.empty() || tick > loaded.back().first);
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
        loaded.emplace_back(tick, input);
    }
    changes = std::move(loaded);
    return {};
}

namespace {

// All of `text` at the descriptor's position; "" or the reason.
std::string writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 ? std::strerror(errno) : "nothing could be written";
        done += static_cast<std::size_t>(wrote);
    }
    return {};
}

} // namespace

cTakeFile::~cTakeFile()
{
    if (fd >= 0)
        close(fd);
}

int cTakeFile::open(const std::string& path, std::string& line)
{
    target = path;
    work = path + ".part";
    const std::string start = "strobewerk: cannot record the input to \"" + path + "\": ";
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            line = start + "it is a folder";
            return 2;
        }
        if (!S_ISREG(info.st_mode)) {
            line = start + "it is not a regular file";
            return 2;
        }
        const int existing = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        char first[64] = {};
        const ssize_t got = existing >= 0 ? read(existing, first, sizeof first) : -1;
        if (existing >= 0)
            close(existing);
        if (got < 0) {
            line = start + std::strerror(errno);
            return 2;
        }
        if (got > 0 && !cInputLog::looksLikeRecording(std::string(first, static_cast<std::size_t>(got)))) {
            line = start + "it exists and is not an input recording (its first line is not \"" + fileHeader
                   + "\"): give another name";
            return 2;
        }
    } else if (errno != ENOENT && errno != ENOTDIR) {
        line = start + std::strerror(errno);
        return 2;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (slash + 1 == path.size()) {
        line = start + "it is a folder";
        return 2;
    }
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        line = start + "no folder " + folder;
        return 2;
    }
    if (access(folder.c_str(), W_OK) != 0) {
        line = start + "the folder " + folder + " cannot be written (" + std::strerror(errno) + ")";
        return 2;
    }
    fd = ::open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) {
        // A take being recorded by another run, or left by one that was
        // killed: never replaced.
        const int other = ::open(work.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        const bool held = other >= 0 && flock(other, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (other >= 0)
            close(other);
        if (held) {
            line = "strobewerk: another run is recording the input to \"" + path + "\" (" + work + " is in use)";
            return 1;
        }
        line = start + work + " holds a take of a run that did not finish: rename it to keep it, or remove it";
        return 2;
    }
    if (fd < 0) {
        line = start + "cannot create " + work + ": " + std::strerror(errno);
        return 2;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        line = start + "cannot lock " + work + ": " + std::strerror(errno);
        close(fd);
        fd = -1;
        unlink(work.c_str());
        return 1;
    }
    if (const std::string problem = writeAll(fd, cInputLog::header()); !problem.empty()) {
        line = start + "cannot write " + work + ": " + problem;
        close(fd);
        fd = -1;
        unlink(work.c_str());
        return 2;
    }
    written.clear();
    lineStart.clear();
    fileEnd = static_cast<long long>(cInputLog::header().size());
    return 0;
}

std::string cTakeFile::write(const cInputLog& log)
{
    if (fd < 0)
        return "the take file is not open";
    const auto& now = log.entries();
    // The lines that still stand: up to the first entry that changed.
    std::size_t standing = 0;
    while (standing < written.size() && standing < now.size() && written[standing] == now[standing])
        ++standing;
    if (standing == written.size() && standing == now.size())
        return {};
    const long long at = standing < written.size() ? lineStart[standing] : fileEnd;
    if (standing < written.size()) {
        // Cut after the last line that stands: a whole recording still.
        if (ftruncate(fd, static_cast<off_t>(at)) != 0)
            return std::strerror(errno);
        written.resize(standing);
        lineStart.resize(standing);
        fileEnd = at;
    }
    std::string text;
    std::vector<long long> starts;
    for (std::size_t i = standing; i < now.size(); ++i) {
        starts.push_back(at + static_cast<long long>(text.size()));
        text += log.lineAt(i);
    }
    std::string problem;
    if (lseek(fd, static_cast<off_t>(at), SEEK_SET) < 0)
        problem = std::strerror(errno);
    if (problem.empty())
        problem = writeAll(fd, text);
    if (!problem.empty()) {
        // No broken line left behind (a full disk): the file ends where it
        // stood.
        if (ftruncate(fd, static_cast<off_t>(at)) != 0) {
        }
        return problem;
    }
    written.insert(written.end(), now.begin() + static_cast<std::ptrdiff_t>(standing), now.end());
    lineStart.insert(lineStart.end(), starts.begin(), starts.end());
    fileEnd = at + static_cast<long long>(text.size());
    return {};
}

std::string cTakeFile::finish(const cInputLog& log)
{
    std::string problem = write(log);
    if (problem.empty() && fsync(fd) != 0)
        problem = std::strerror(errno);
    if (problem.empty() && std::rename(work.c_str(), target.c_str()) != 0)
        problem = std::strerror(errno);
    if (fd >= 0)
        close(fd);
    fd = -1;
    return problem;
}

void cTakeFile::abandon()
{
    if (fd < 0)
        return;
    unlink(work.c_str());
    close(fd);
    fd = -1;
}
