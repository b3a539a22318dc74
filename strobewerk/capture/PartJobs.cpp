#include "strobewerk/capture/PartJobs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "strobewerk/ProgramPath.h"
#include "strobewerk/capture/CaptureProgress.h"
#include "strobewerk/capture/StopSignals.h"

namespace {

// The descriptor a part writes its frame counts to.
constexpr const char* progressVariable = "STROBEWERK_PART_PROGRESS_FD";

bool startsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// What a part said about why it failed: its last line that is not a
// progress line, without the "capture failed: " and "; nothing written"
// that the split capture's own line says in its words.
std::string partReason(const std::string& console)
{
    std::string text = console;
    std::string reason;
    while (!text.empty()) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const std::size_t cut = text.find_last_of("\r\n");
        std::string line = cut == std::string::npos ? text : text.substr(cut + 1);
        text.resize(cut == std::string::npos ? 0 : cut);
        // A terminal's line-replacing escape, where there was one.
        if (const std::size_t escape = line.rfind('\x1b'); escape != std::string::npos)
            line = line.substr(line.find('K', escape) == std::string::npos ? escape : line.find('K', escape) + 1);
        const bool progress = startsWith(line, "capture: ")
                              && (std::isdigit(static_cast<unsigned char>(line[9])) != 0
                                  || startsWith(line, "capture: expecting about"));
        if (line.empty() || progress)
            continue;
        reason = line;
        break;
    }
    for (const char* start : {"capture failed: ", "strobewerk: "})
        if (startsWith(reason, start))
            reason.erase(0, std::string(start).size());
    const std::string nothing = "; nothing written";
    if (reason.size() >= nothing.size() && reason.compare(reason.size() - nothing.size(), nothing.size(), nothing) == 0)
        reason.resize(reason.size() - nothing.size());
    return reason;
}

} // namespace

cPartJobs::cPartJobs(const sCapturePlan& whole, const std::string& output, int count, std::string replaying)
    : plan(whole), file(output), parts(count), replayInput(std::move(replaying))
{
}

void cPartJobs::reportProgress(std::int64_t done)
{
    static const int fd = [] {
        const char* given = std::getenv(progressVariable);
        return given != nullptr ? std::atoi(given) : -1;
    }();
    if (fd < 0)
        return;
    const std::string text = std::to_string(done) + "\n";
    if (write(fd, text.data(), text.size()) < 0) {
        // The split capture is gone; the part goes on and its file tells.
    }
}

bool cPartJobs::startedBySplitCapture()
{
    return std::getenv(progressVariable) != nullptr;
}

bool cPartJobs::start(int k, sJob& job)
{
    int output[2] = {-1, -1};
    int progress[2] = {-1, -1};
    if (pipe2(output, O_CLOEXEC) != 0 || pipe2(progress, O_CLOEXEC) != 0)
        return false;
    const std::string self = programPath();
    if (self.empty())
        return false;
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const std::vector<std::string> words = captureCommandLine(self, plan, file, k, parts, replayInput);
    std::fflush(stdout);
    job.pid = fork();
    if (job.pid == 0) {
        dup2(output[1], STDOUT_FILENO);
        dup2(output[1], STDERR_FILENO);
        const int progressFd = dup(progress[1]); // without close-on-exec
        setenv(progressVariable, std::to_string(progressFd).c_str(), 1);
        setenv("LP_NUM_THREADS", std::to_string(std::max(1, cores / parts)).c_str(), 1);
        execProgram(words);
        _exit(127);
    }
    close(output[1]);
    close(progress[1]);
    job.output = output[0];
    job.progress = progress[0];
    if (job.pid < 0) {
        close(job.output);
        close(job.progress);
        job.output = job.progress = -1;
        return false;
    }
    return true;
}

void cPartJobs::drain(sJob& job, int& fd, std::string& into)
{
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
        into.append(buffer, static_cast<std::size_t>(got));
        // Only the last lines matter.
        if (into.size() > 16384)
            into.erase(0, into.size() - 8192);
    } else if (got == 0) {
        close(fd);
        fd = -1;
    }
    if (&into == &job.counts) {
        const std::size_t end = into.rfind('\n');
        if (end != std::string::npos) {
            const std::size_t begin = into.rfind('\n', end - 1);
            job.done = std::atoll(into.substr(begin == std::string::npos ? 0 : begin + 1).c_str());
            into.erase(0, end + 1);
        }
    }
}

void cPartJobs::stopAll(int signal)
{
    for (const sJob& job : jobs)
        if (job.pid > 0 && job.exitCode < 0)
            kill(job.pid, signal);
}

void cPartJobs::startAll()
{
    jobs.assign(static_cast<std::size_t>(parts), sJob());
    for (int k = 1; k <= parts; ++k)
        if (!start(k, jobs[static_cast<std::size_t>(k - 1)])) {
            failed = "capture failed: cannot start part " + std::to_string(k) + " of " + std::to_string(parts);
            for (int j = k; j <= parts; ++j)
                jobs[static_cast<std::size_t>(j - 1)].failed = true;
            stopAll(SIGTERM);
            break;
        }
}

std::vector<pollfd> cPartJobs::openPipes() const
{
    std::vector<pollfd> watched;
    for (const sJob& job : jobs)
        for (int fd : {job.output, job.progress})
            if (fd >= 0)
                watched.push_back(pollfd{fd, POLLIN, 0});
    return watched;
}

void cPartJobs::drainReady(const std::vector<pollfd>& watched)
{
    for (sJob& job : jobs) {
        for (const pollfd& entry : watched) {
            if (entry.revents == 0)
                continue;
            if (entry.fd == job.output)
                drain(job, job.output, job.console);
            else if (entry.fd == job.progress)
                drain(job, job.progress, job.counts);
        }
    }
}

std::string cPartJobs::endedWhy(const sJob& job, int status)
{
    std::string why;
    if (WIFSIGNALED(status))
        why = "was killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    else if (const std::string said = partReason(job.console); !said.empty())
        why = "failed: " + said;
    else
        why = "ended with exit code " + std::to_string(job.exitCode);
    if (WIFEXITED(status) && job.exitCode > 128)
        why = "was stopped by signal " + std::to_string(job.exitCode - 128) + " (" + strsignal(job.exitCode - 128)
              + ")";
    return why;
}

bool cPartJobs::reapEnded()
{
    bool running = false;
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        sJob& job = jobs[k];
        if (job.pid <= 0 || job.exitCode >= 0)
            continue;
        int status = 0;
        if (job.output >= 0 || job.progress >= 0 || waitpid(job.pid, &status, 0) != job.pid) {
            running = true;
            continue;
        }
        job.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        job.finished = WIFEXITED(status) && (job.exitCode == 0 || job.exitCode > 128);
        const bool ended = job.exitCode == 0 || (stopSignal != 0 && job.exitCode > 128);
        // A failed part does not stop the others: what they finish is
        // kept for a --join.
        if (ended)
            continue;
        job.failed = true;
        const std::string part = "part " + std::to_string(k + 1) + " of " + std::to_string(parts) + " ";
        failed += (failed.empty() ? "capture failed: " : "; ") + part + endedWhy(job, status);
    }
    return running;
}

std::int64_t cPartJobs::framesDone() const
{
    std::int64_t done = 0;
    for (const sJob& job : jobs)
        done += job.done;
    return done;
}

bool cPartJobs::run()
{
    startAll();
    cCaptureProgress progress(plan.frameCount, isatty(STDOUT_FILENO) == 1);
    const auto started = std::chrono::steady_clock::now();
    const auto seconds = [&started] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    for (;;) {
        std::vector<pollfd> watched = openPipes();
        if (stopSignal == 0 && cStopSignals::received() != 0) {
            stopSignal = cStopSignals::received();
            stopAll(SIGTERM);
        }
        if (!reapEnded())
            break;
        if (poll(watched.data(), watched.size(), 250) > 0)
            drainReady(watched);
        progress.update(framesDone(), seconds());
    }
    progress.close(framesDone(), seconds());
    return failed.empty();
}
