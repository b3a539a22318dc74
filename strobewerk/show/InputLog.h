// cInputLog: the joystick as the show meets it, tick by tick.
//
// The show's state at a tick depends on the input of every tick before it,
// so live play writes down what the joystick does (only its changes, each
// with the first tick it holds for) and the show reads the input of a tick
// back from here, never from the device. The same log, saved to a file
// (`--record-input`) and loaded again (`--replay-input`), plays the very
// performance again, frame for frame.
//
//     std::int64_t changed = log.set(nextTick, inputNow); // live play
//     sSceneInput input = log.at(tick);                  // the show's step
//
// The file is text: a first line "strobewerk input 1", then one line per
// change: the tick, axes 0 to 3, the buttons as a number (bit i: button i)
// and the hat. Lines may end in CRLF (a file edited on Windows). Only a
// regular file is read, of at most maxFileBytes, its lines at most
// maxLineBytes: a longest change line is under 70 bytes, and a log holds
// at most one change a tick, 60 a second, so an hour of song with a change
// at every tick is about 15 MB. A pipe, a device (/dev/zero) or a larger
// file is refused at once instead of read without end.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "strobewerk/scenes/SceneState.h"

class cInputLog {
public:
    // From `tick` on the input is `input`: whatever the log held for later
    // ticks is dropped (live input from here on replaces it). Returns the
    // first tick whose input changed, or -1 when the log gives the same
    // input for every tick as before.
    std::int64_t set(std::int64_t tick, const sSceneInput& input);

    // The input of `tick`: the last change at or before it, neutral
    // before the first.
    sSceneInput at(std::int64_t tick) const;

    bool empty() const { return changes.empty(); }
    std::size_t size() const { return changes.size(); }
    void clear() { changes.clear(); }

    // The entries: (first tick, input), ascending ticks.
    const std::vector<std::pair<std::int64_t, sSceneInput>>& entries() const { return changes; }
    // The text of entry i, a line as save writes it (with its line end).
    std::string lineAt(std::size_t i) const;
    // The text of entries [first, size()).
    std::string linesFrom(std::size_t first) const;
    // The file's first line, with its line end.
    static std::string header();
    // Whether `text` (a file's first bytes) starts as an input recording.
    static bool looksLikeRecording(const std::string& text);

    static constexpr long long maxFileBytes = 32LL << 20;
    static constexpr std::size_t maxLineBytes = 1024;

    // Writes the log to `path`; "" when written, otherwise the reason.
    std::string save(const std::string& path) const;
    // Replaces the log with the one in `path`; "" when read whole, else
    // the reason (the log is then left empty).
    std::string load(const std::string& path);

private:
    // Ascending ticks; each entry differs from the one before it.
    std::vector<std::pair<std::int64_t, sSceneInput>> changes;
};

// cTakeFile: a live take written as it is played, so that no way of ending
// the program loses it. `open` claims TAKE before anything plays: a folder
// that cannot be written, a TAKE that is a folder or not a regular file, or
// an existing file that is not an input recording are refused. The take
// goes to TAKE.part (created exclusively and locked while the run lasts),
// written at every `write` (live play calls it at least once a second) and
// renamed to TAKE by `finish`. A write keeps the lines of the entries that
// still stand and appends the rest: when entries already written changed
// (a seek back, live input replacing what followed, an entry changed
// within its tick) the file is cut after the last line that stands and
// the new lines follow, so that TAKE.part holds a whole recording at every
// moment (cut or not, never a broken line) and a write costs what changed.
// A run killed or crashed leaves TAKE.part with all but the last moments:
// a later run refuses to replace it and says to rename it.
//
//     cTakeFile take;
//     if (const int code = take.open("take.txt", line)) ... print line, exit code
//     take.write(log);                 // at least once a second
//     if (const std::string why = take.finish(log); !why.empty()) ... exit 1
class cTakeFile {
public:
    cTakeFile() = default;
    ~cTakeFile();
    cTakeFile(const cTakeFile&) = delete;
    cTakeFile& operator=(const cTakeFile&) = delete;

    // 0 when claimed; 2 refused, 1 another run records into it, with
    // `line` set to the one line that says why.
    int open(const std::string& path, std::string& line);
    bool isOpen() const { return fd >= 0; }
    const std::string& workPath() const { return work; }

    // Brings TAKE.part up to the log; "" when written, else the reason.
    std::string write(const cInputLog& log);
    // The last write, then TAKE.part renamed to TAKE; "" or the reason
    // (TAKE.part is then kept).
    std::string finish(const cInputLog& log);
    // Removes TAKE.part (nothing was played) and lets go.
    void abandon();

private:
    std::string target;
    std::string work;
    int fd = -1;
    // The entries in the file, where each one's line starts, and its end.
    std::vector<std::pair<std::int64_t, sSceneInput>> written;
    std::vector<long long> lineStart;
    long long fileEnd = 0;
};
