#include "strobewerk/Options.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace {

// Digits only, at most `maxDigits` of them, into `value`.
bool parseDigits(const std::string& text, std::size_t maxDigits, std::int64_t& value)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool parsePositive(const std::string& text, int limit, int& value)
{
    std::int64_t parsed = 0;
    if (!parseDigits(text, 9, parsed) || parsed < 1 || parsed > limit)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    return parsePositive(text.substr(0, x), 65535, width) && parsePositive(text.substr(x + 1), 65535, height);
}

// "K/N" with 1 <= K <= N <= 64.
bool parsePart(const std::string& text, int& part, int& parts)
{
    const std::size_t slash = text.find('/');
    return slash != std::string::npos && parsePositive(text.substr(slash + 1), 64, parts)
           && parsePositive(text.substr(0, slash), parts, part);
}

} // namespace

bool parseSongTime(const std::string& text, std::int32_t& milliseconds)
{
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    const std::size_t colon = text.find(':');
    std::int64_t total = 0;
    if (colon == std::string::npos) {
        if (!parseDigits(text, 10, total))
            return false;
    } else {
        std::int64_t minutes = 0;
        std::int64_t seconds = 0;
        std::int64_t fraction = 0;
        std::string secondsText = text.substr(colon + 1);
        std::string fractionText;
        if (const std::size_t dot = secondsText.find('.'); dot != std::string::npos) {
            fractionText = secondsText.substr(dot + 1);
            secondsText.resize(dot);
            if (!parseDigits(fractionText, 3, fraction))
                return false;
            for (std::size_t i = fractionText.size(); i < 3; ++i)
                fraction *= 10;
        }
        if (!parseDigits(text.substr(0, colon), 6, minutes) || secondsText.size() != 2
            || !parseDigits(secondsText, 2, seconds) || seconds > 59)
            return false;
        total = (minutes * 60 + seconds) * 1000 + fraction;
    }
    if (total > limit)
        return false;
    milliseconds = static_cast<std::int32_t>(total);
    return true;
}

std::string formatSongTime(std::int32_t milliseconds)
{
    const bool negative = milliseconds < 0;
    const std::int64_t ms = negative ? -static_cast<std::int64_t>(milliseconds) : milliseconds;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld:%02lld.%03lld", negative ? "-" : "",
                  static_cast<long long>(ms / 60000), static_cast<long long>(ms / 1000 % 60),
                  static_cast<long long>(ms % 1000));
    return text;
}

namespace {

// Which options the command line gave, for the checks of what goes
// together.
struct sGiven {
    bool fps = false;
    bool size = false;
    bool to = false;
    int splits = 0; // --jobs 1, --join 2, --part 4
};

bool takesValue(const std::string& name)
{
    return name == "--from" || name == "--to" || name == "--capture" || name == "--fps" || name == "--size"
           || name == "--jobs" || name == "--part" || name == "--join" || name == "--record-input"
           || name == "--replay-input";
}

// Takes the value of option `name` into `options`. "" when it is good,
// otherwise what was expected instead.
std::string takeValue(const std::string& name, const std::string& value, sOptions& options, sGiven& given)
{
    if (name == "--from") {
        if (!parseSongTime(value, options.from))
            return "expected milliseconds or m:ss";
    } else if (name == "--to") {
        if (!parseSongTime(value, options.to))
            return "expected milliseconds or m:ss";
        given.to = true;
    } else if (name == "--capture") {
        if (value.empty() || value[0] == '-')
            return "expected an output file name";
        options.captureFile = value;
    } else if (name == "--fps") {
        if (!parsePositive(value, 1000, options.fps))
            return "expected frames a second from 1 to 1000";
        given.fps = true;
    } else if (name == "--record-input" || name == "--replay-input") {
        if (value.empty() || value[0] == '-')
            return "expected a file name";
        (name == "--record-input" ? options.recordInput : options.replayInput) = value;
    } else if (name == "--size") {
        if (!parseSize(value, options.width, options.height))
            return "expected WIDTHxHEIGHT, for example 1280x720";
        given.size = true;
    } else if (name == "--jobs" || name == "--join") {
        int& count = name == "--jobs" ? options.jobs : options.parts;
        if (!parsePositive(value, 64, count))
            return "expected a number of parts from 1 to 64";
        given.splits |= name == "--jobs" ? 1 : 2;
    } else if (name == "--part") {
        if (!parsePart(value, options.part, options.parts))
            return "expected K/N, part K of N (at most 64)";
        given.splits |= 4;
    }
    return {};
}

// The line naming options that do not go together; "" when they do.
std::string mismatch(const sOptions& options, const sGiven& given)
{
    if (!options.capturing()) {
        if (given.fps)
            return "strobewerk: --fps applies only with --capture";
        if (given.size)
            return "strobewerk: --size applies only with --capture";
        if (given.to)
            return "strobewerk: --to applies only with --capture";
        if (given.splits != 0)
            return "strobewerk: --jobs, --part and --join apply only with --capture";
    }
    if ((given.splits & (given.splits - 1)) != 0)
        return "strobewerk: --jobs, --part and --join are ways of their own: give one of them";
    if (options.capturing() && !options.recordInput.empty())
        return "strobewerk: --record-input applies only to live play (a capture reads no joystick)";
    if (!options.recordInput.empty() && options.recordInput == options.replayInput)
        return "strobewerk: --record-input and --replay-input name the same file";
    if (given.to && options.to <= options.from)
        return "strobewerk: --from " + formatSongTime(options.from) + " is not before --to "
               + formatSongTime(options.to);
    return {};
}

} // namespace

sOptionsResult parseOptions(int argc, const char* const* argv)
{
    sOptionsResult result;
    sOptions& options = result.options;
    sGiven given;
    auto fail = [&result](const std::string& line) {
        result.ok = false;
        result.error = line;
        return result;
    };

    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (!takesValue(name))
            return fail("strobewerk: unknown option \"" + name + "\" (see strobewerk --help)");
        if (i + 1 >= argc)
            return fail("strobewerk: " + name + " needs a value (see strobewerk --help)");
        const std::string value = argv[++i];
        if (const std::string expected = takeValue(name, value, options, given); !expected.empty())
            return fail("strobewerk: bad value \"" + value + "\" for " + name + ": " + expected);
    }

    if (options.help)
        return result;
    if (const std::string line = mismatch(options, given); !line.empty())
        return fail(line);
    return result;
}

std::string optionsHelp()
{
    return "usage: strobewerk [--from TIME] [--record-input FILE] [--replay-input FILE]\n"
           "       strobewerk --capture FILE.mp4 [--fps N] [--size WxH] [--from TIME] [--to TIME]\n"
           "                  [--jobs N | --part K/N | --join N] [--replay-input FILE]\n"
           "Without options the production plays in its window from the start of the song.\n"
           "  --from TIME     start at this song time\n"
           "  --capture FILE  render the production into FILE.mp4, FILE.mov or FILE.mkv (H.264 and AAC),\n"
           "                  or DIR/NAME%05d.png (a PNG a frame, the sound as DIR/NAME.wav)\n"
           "  --fps N         frames a second of the capture (default 60)\n"
           "  --size WxH      picture size of the capture (default: the size in res.conf)\n"
           "  --to TIME       end of the capture (default: the end of the soundtrack)\n"
           "  --record-input FILE  write what the joystick did in live play, as it plays (FILE.part until it ends)\n"
           "  --replay-input FILE  play a recorded performance instead of the joystick\n"
           "  --jobs N        render the capture in N processes and join their parts\n"
           "  --part K/N      render only part K of N, into FILE-partKofN.mp4\n"
           "  --join N        join the N parts into FILE with the sound\n"
           "  --help          this text\n"
           "TIME is milliseconds (135000) or minutes and seconds (2:15, 2:15.250).\n"
           "Keys while it plays: Space pause/resume, Left/Right 5 s back/forward,\n"
           "Page Up/Page Down 30 s back/forward, Home to the start, Escape quit.\n"
           "Edited shaders, data/mvl.txt and data/morvelane.mid are reloaded while it plays.";
}
