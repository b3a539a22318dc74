#include "strobewerk/capture/CaptureProgress.h"

#include <cmath>
#include <cstdio>

#include "vorn/ConsoleLog.h"

namespace {

// On a terminal, each update goes back up over the line it replaces.
constexpr const char* replaceLine = "\x1b[1A\x1b[2K";
constexpr double terminalInterval = 0.25;
// The pace is known well enough after this long (or this many frames).
constexpr double expectationSeconds = 2.0;
constexpr std::int64_t expectationFrames = 30;

} // namespace

std::string durationText(double seconds)
{
    const long long total = static_cast<long long>(std::llround(seconds < 0.0 ? 0.0 : seconds));
    char text[48];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld h %02lld min", total / 3600, total / 60 % 60);
    else if (total >= 60)
        std::snprintf(text, sizeof text, "%lld min %02lld s", total / 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld s", total);
    return text;
}

std::string progressText(std::int64_t done, std::int64_t total, double elapsedSeconds)
{
    const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const double rate = elapsedSeconds > 0.0 ? static_cast<double>(done) / elapsedSeconds : 0.0;
    std::string left = "--";
    if (rate > 0.0)
        left = durationText(static_cast<double>(total - done) / rate);
    char text[128];
    std::snprintf(text, sizeof text, "%lld/%lld frame%s %3d%% %6.1f fps   %s left", static_cast<long long>(done),
                  static_cast<long long>(total), total == 1 ? "" : "s", static_cast<int>(std::floor(fraction * 100.0)),
                  rate, left.c_str());
    return text;
}

std::string expectationText(std::int64_t done, std::int64_t total, double elapsedSeconds)
{
    const double rate = elapsedSeconds > 0.0 ? static_cast<double>(done) / elapsedSeconds : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "expecting about %s for %lld frame%s (%.1f frames a second so far)",
                  rate > 0.0 ? durationText(static_cast<double>(total) / rate).c_str() : "--",
                  static_cast<long long>(total), total == 1 ? "" : "s", rate);
    return text;
}

int tenthReached(std::int64_t done, std::int64_t total)
{
    if (total <= 0 || done >= total)
        return 10;
    return static_cast<int>(done * 10 / total);
}

cCaptureProgress::cCaptureProgress(std::int64_t frames, bool isTerminal)
    : total(frames), terminal(isTerminal)
{
}

void cCaptureProgress::show(const std::string& text)
{
    vorn::consoleLog.line(terminal && lineShown ? replaceLine : "", "capture: ", text);
    lineShown = terminal;
}

void cCaptureProgress::update(std::int64_t done, double elapsed)
{
    if (!expectationShown && done > 0 && done < total
        && (elapsed >= expectationSeconds || done >= expectationFrames)) {
        expectationShown = true;
        lineShown = false;
        vorn::consoleLog.line("capture: ", expectationText(done, total, elapsed));
    }
    // The expectation comes first; a capture too short to have one shows
    // its progress from the start.
    if (!expectationShown && done < total && elapsed < expectationSeconds && done < expectationFrames)
        return;
    if (terminal) {
        if (lastShown < 0.0 || elapsed - lastShown >= terminalInterval || done == total) {
            lastShown = elapsed;
            show(progressText(done, total, elapsed));
        }
        return;
    }
    const int tenth = tenthReached(done, total);
    if (tenth > lastTenth) {
        lastTenth = tenth;
        show(progressText(done, total, elapsed));
    }
}

void cCaptureProgress::close(std::int64_t done, double elapsed)
{
    if (terminal && lastShown >= 0.0)
        show(progressText(done, total, elapsed));
    lineShown = false;
}
