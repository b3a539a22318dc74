// cOutputClaim: a capture's hold on what it writes, so that it never calls
// a broken file done and never replaces what is not its own.
//
// The output (a file, or an image sequence's folder) is written as
// `target.part`, created exclusively (a file with O_EXCL, a folder with
// mkdir) and locked (flock) for as long as the capture runs. A second
// capture into the same target finds the lock and stops (busy). A `.part`
// nobody holds is left from a capture that was killed: it is taken over
// and replaced, and staleLine() names it. Only a complete (or properly
// stopped) output is renamed to `target`.
//
// A target that exists must be the capture's kind of thing: a file target a
// regular file (a device node, a folder or a pipe is refused), a folder
// target a folder holding nothing but files the sequence itself writes
// (`ownsName`), which are replaced with the folder.
//
//     cOutputClaim claim;
//     if (const int exitCode = claim.claimSaying("show.mp4", nullptr)) return exitCode;
//     ... write claim.workPath() ...
//     if (!claim.commit(line)) ...                             // renamed to show.mp4
//     // or claim.abandon(): the .part goes
// The destructor abandons an output that was not committed.
#pragma once

#include <functional>
#include <string>

class cOutputClaim {
public:
    enum class eResult { claimed, refused, busy };
    // For a folder target: whether a file name in it is the sequence's own.
    using NameTest = std::function<bool(const std::string& fileName)>;

    cOutputClaim() = default;
    ~cOutputClaim();
    cOutputClaim(const cOutputClaim&) = delete;
    cOutputClaim& operator=(const cOutputClaim&) = delete;

    // Claims `target` (a folder target when ownsName is given). Anything
    // but claimed sets `line` to the one line that says why.
    eResult claim(const std::string& target, const NameTest& ownsName, std::string& line);
    // A file target that exists is refused, and commit does not replace
    // one that appeared meanwhile (a part of a --jobs capture). Before claim.
    void keepExisting() { noReplace = true; }
    // The same, saying on the console why it could not be claimed, or which
    // stale `.part` it replaced. Returns the capture's exit code when it
    // could not: 2 refused, 1 busy; 0 when claimed.
    int claimSaying(const std::string& target, const NameTest& ownsName);

    // The line naming a stale `.part` that was replaced ("" when none).
    const std::string& staleLine() const { return stale; }
    const std::string& workPath() const { return work; }

    // Renames the work to the target (a folder target's own files go
    // first). False with `line` set when it cannot.
    bool commit(std::string& line);
    // Removes the work and lets go.
    void abandon();

private:
    // Why the target cannot be claimed, as the line that says so (`start`
    // naming the target first); "" when nothing stands in the way.
    std::string refusal(const std::string& start) const;
    // Creates the work exclusively and locks it; false (errno set) when it
    // cannot.
    bool makeWork();
    bool lockWork(int descriptor);
    void release();

    std::string target;
    std::string work;
    std::string stale;
    NameTest ownsName;
    bool folder = false;
    bool noReplace = false;
    int lock = -1;
};
