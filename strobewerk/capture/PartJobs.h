// cPartJobs: the processes of a split capture on one machine. Each renders
// one part (`strobewerk --capture FILE --part K/N ...`, started from this
// program with the plan's options) with its share of the cores: the
// software renderer's threads (LP_NUM_THREADS) and, through them, the
// encoder's. Their console goes into a pipe (the last line of a part that
// fails is told); their progress comes back through a second pipe, where
// a part writes how many of its frames are done (reportProgress), and is
// shown as the whole capture's.
//
//     cPartJobs jobs(plan, file, 4);
//     if (!jobs.run()) ... jobs.failure()   // the line naming the part and why
//     jobs.stopSignalNumber()               // the stop signal that ended them early (0: none)
//
// A stop signal to this process (cStopSignals) is passed on to every part,
// which finishes what it has; a part that fails does not stop the others
// (what they finish is kept for a --join), and the failure line names each
// failed part and why in its own words: its last line, or the signal that
// killed it.
#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "strobewerk/capture/CapturePlan.h"

class cPartJobs {
public:
    // `replayInput`: the recorded performance every part replays ("" for
    // none).
    cPartJobs(const sCapturePlan& plan, const std::string& file, int parts, std::string replayInput = {});

    // Runs every part to its end; true when each finished all its frames
    // (or, stopped by a signal, ended properly).
    bool run();

    int stopSignalNumber() const { return stopSignal; }
    const std::string& failure() const { return failed; }
    // Whether part k (1 to parts) failed: it did not end with all its
    // frames, nor properly on a stop signal.
    bool partFailed(int k) const
    {
        return k >= 1 && static_cast<std::size_t>(k) <= jobs.size() && jobs[static_cast<std::size_t>(k - 1)].failed;
    }
    // Whether part k's process may have put its file in place: it ended
    // complete or stopped by a signal it handled (not killed, not failed
    // with a code of its own, which it gives before anything is in place).
    bool partMayHaveWritten(int k) const
    {
        return k >= 1 && static_cast<std::size_t>(k) <= jobs.size() && jobs[static_cast<std::size_t>(k - 1)].finished;
    }

    // In a part's process: whether a split capture on this machine started
    // it (its part file must then not replace one that appeared meanwhile).
    static bool startedBySplitCapture();

    // In a part's process: tells the split capture that started it how many
    // frames are done (nothing when it was not started by one).
    static void reportProgress(std::int64_t done);

private:
    struct sJob {
        pid_t pid = -1;
        int output = -1;   // the part's console
        int progress = -1; // its frame counts
        std::string console;
        std::string counts;
        std::int64_t done = 0;
        int exitCode = -1;
        bool failed = false;
        bool finished = false;
    };
    // Starts every part; one that cannot start fails the rest and stops
    // those started.
    void startAll();
    bool start(int k, sJob& job);
    // The parts' pipes still open, to wait on.
    std::vector<pollfd> openPipes() const;
    // Reads what the parts wrote into the pipes `watched` found ready.
    void drainReady(const std::vector<pollfd>& watched);
    void drain(sJob& job, int& fd, std::string& into);
    // Collects the parts whose pipes closed, adding each failed one to the
    // failure line. Whether any part still runs.
    bool reapEnded();
    // Why a part that did not end properly ended, in its own words where
    // it said any (`status` as waitpid gives it).
    static std::string endedWhy(const sJob& job, int status);
    // The frames the parts have done, together.
    std::int64_t framesDone() const;
    void stopAll(int signal);

    sCapturePlan plan;
    std::string file;
    int parts;
    std::string replayInput;
    std::vector<sJob> jobs;
    int stopSignal = 0;
    std::string failed;
};
