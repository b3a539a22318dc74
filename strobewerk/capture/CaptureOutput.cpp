#include "strobewerk/capture/CaptureOutput.h"

#include <cctype>
#include <cstdio>

namespace {

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "NAME%0Nd.png": the prefix and N, or false.
bool parsePattern(const std::string& fileName, std::string& prefix, int& digits)
{
    const std::size_t percent = fileName.find('%');
    if (percent == std::string::npos || fileName.find('%', percent + 1) != std::string::npos)
        return false;
    const std::string rest = fileName.substr(percent);
    if (rest.size() != 8 || rest[1] != '0' || !std::isdigit(static_cast<unsigned char>(rest[2])) || rest[2] == '0'
        || rest.compare(3, 5, "d.png") != 0)
        return false;
    prefix = fileName.substr(0, percent);
    digits = rest[2] - '0';
    return true;
}

} // namespace

const char* sCaptureOutput::container() const
{
    switch (format) {
    case eCaptureFormat::mov: return "mov";
    case eCaptureFormat::mkv: return "matroska";
    default: return "mp4";
    }
}

bool parseCaptureOutput(const std::string& name, sCaptureOutput& output, std::string& problem)
{
    output = sCaptureOutput();
    const std::size_t slash = name.rfind('/');
    const std::string fileName = slash == std::string::npos ? name : name.substr(slash + 1);
    const std::string ending = lowered(fileName.substr(fileName.rfind('.') == std::string::npos ? fileName.size()
                                                                                               : fileName.rfind('.')));
    const std::string start = "strobewerk: --capture \"" + name + "\": ";
    if (name.find('%') != std::string::npos || ending == ".png") {
        if (!parsePattern(fileName, output.prefix, output.digits)) {
            problem = start + "an image sequence is named DIR/NAME%05d.png (a %0Nd number, N from 1 to 9)";
            return false;
        }
        const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash);
        const std::string last = folder.substr(folder.rfind('/') == std::string::npos ? 0 : folder.rfind('/') + 1);
        if (folder.find('%') != std::string::npos || last.empty() || last == "." || last == "..") {
            problem = start + "an image sequence goes into a folder of its own: name it, as in frames/NAME%05d.png";
            return false;
        }
        output.format = eCaptureFormat::pngSequence;
        output.owned = folder;
        // A pattern of the number alone ("seq/%05d.png") names the sound
        // after the folder: ".wav" would be a hidden file.
        output.soundName = (output.prefix.empty() ? last : output.prefix) + ".wav";
        return true;
    }
    if (ending == ".mp4")
        output.format = eCaptureFormat::mp4;
    else if (ending == ".mov")
        output.format = eCaptureFormat::mov;
    else if (ending == ".mkv")
        output.format = eCaptureFormat::mkv;
    else {
        problem = start + "the name gives the format: FILE.mp4, FILE.mov, FILE.mkv or DIR/NAME%05d.png";
        return false;
    }
    if (fileName.size() == ending.size()) {
        problem = start + "the file needs a name before " + ending;
        return false;
    }
    output.owned = name;
    return true;
}

bool isSequenceFile(const sCaptureOutput& output, const std::string& fileName)
{
    if (fileName == output.soundName)
        return true;
    const std::size_t numberEnd = fileName.size() - 4;
    if (fileName.size() < output.prefix.size() + output.digits + 4 || fileName.compare(0, output.prefix.size(), output.prefix) != 0
        || !endsWith(fileName, ".png"))
        return false;
    for (std::size_t i = output.prefix.size(); i < numberEnd; ++i)
        if (!std::isdigit(static_cast<unsigned char>(fileName[i])))
            return false;
    return true;
}

std::string sequenceFrameName(const std::string& prefix, int digits, std::int64_t n)
{
    char number[32];
    std::snprintf(number, sizeof number, "%0*lld", digits, static_cast<long long>(n));
    return prefix + number + ".png";
}

std::string partFileName(const std::string& file, int k, int n)
{
    const std::size_t dot = file.rfind('.');
    const std::size_t slash = file.rfind('/');
    const std::size_t cut = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? file.size() : dot;
    return file.substr(0, cut) + "-part" + std::to_string(k) + "of" + std::to_string(n) + file.substr(cut);
}
