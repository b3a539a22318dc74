#include "notegrind/Notegrind.h"

#include "notegrind/MidiScan.h"
#include "notegrind/NoteListFile.h"
#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadMultiTrack.h"
#include "smfkit/MIDIFileReadStreamFile.h"
#include "smfkit/MIDIFileReadStreamMemory.h"
#include "smfkit/MIDIMultiTrack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

namespace notegrind {

sConversion convertStream(smfkit::MIDIFileReadStream& in, const std::string& name,
                          std::ostream* out)
{
    smfkit::MIDIMultiTrack store(kStoreTracks, true);
    smfkit::MIDIFileReadMultiTrack sink(&store);
    smfkit::MIDIFileRead reader(&in, &sink, kMessageCapacity);
    sConversion result;
    // A file that fails to parse is converted as far as it was read.
    result.readWhole = reader.ParseFile();
    if (!result.readWhole) {
        result.error = reader.GetErrorText() ? reader.GetErrorText() : "";
        result.errorOffset = reader.GetErrorOffset();
    }
    int division = reader.GetDivision();

    cReportWriter report(out);
    report.headerLine("file:", name);
    report.headerLine("number of tracks:", store.GetNumTracks());
    report.headerLine("the division? well it is:", division);
    report.headerLine("clicks per beat:", store.GetClksPerBeat());
    report.headerLine("millisex:", division / 1000);

    cNoteConverter converter(division, report);
    result.lists = converter.convert(store);
    report.finish();
    return result;
}

sConversion convertMidiFile(const std::string& path, std::ostream* report)
{
    smfkit::MIDIFileReadStreamFile in(path.c_str());
    sConversion result = convertStream(in, path, report);
    int systemError = in.GetOpenError() ? in.GetOpenError() : in.GetReadError();
    if (systemError)
        result.systemError = std::strerror(systemError);
    return result;
}

sConversion convertMidiBytes(const void* data, size_t size, const std::string& name,
                             std::ostream* report)
{
    smfkit::MIDIFileReadStreamMemory in(static_cast<const uint8_t*>(data), size);
    return convertStream(in, name, report);
}

namespace {

// Writes text as the note list outputName; on failure returns false with
// the system's reason.
bool writeTextFile(const std::string& outputName, const std::string& text, std::string& reason)
{
    errno = 0;
    std::FILE* file = std::fopen(outputName.c_str(), "w");
    if (!file) {
        reason = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int writeError = errno;
    // Closing flushes the last of the text, so its failure (a full disk)
    // counts as much as a failed write.
    errno = 0;
    bool closed = std::fclose(file) == 0;
    if (written && closed)
        return true;
    int error = !written ? writeError : errno;
    reason = std::strerror(error != 0 ? error : EIO);
    return false;
}

} // namespace

bool convertFile(const std::string& name, std::ostream& report)
{
    std::string outputName = noteListName(name);
    sConversion result = convertMidiFile(name, &report);
    bool ok = result.readWhole;
    if (!result.readWhole) {
        report << "warning: " << name << " was not read whole: " << result.error << " at byte "
               << result.errorOffset;
        if (!result.systemError.empty())
            report << " (" << result.systemError << ")";
        report << "; its note list holds the notes read before that" << std::endl;
    }
    // An input whose own name is its note list's name ("song.txt") would be
    // overwritten by its conversion: keep the input and say so.
    std::error_code error;
    if (std::filesystem::equivalent(name, outputName, error)) {
        report << "not writing " << outputName << ": it is the input itself" << std::endl;
        report << "warning: the note list " << outputName
               << " was not written: it is the input file itself" << std::endl;
        return false;
    }
    std::string reason;
    if (!writeTextFile(outputName, formatNoteList(result.lists), reason)) {
        report << "warning: the note list " << outputName << " was not written: " << reason
               << std::endl;
        ok = false;
    }
    return ok;
}

namespace {

// One input as the program takes it; running out of memory on one file
// (a huge or hostile input) costs that file, not the rest of the run.
bool convertOne(const std::string& name, std::ostream& report)
{
    try {
        return convertFile(name, report);
    } catch (const std::bad_alloc&) {
        report << "warning: " << name << " was not converted: out of memory" << std::endl;
        return false;
    }
}

} // namespace

int runNotegrind(int argc, const char* const* argv, std::ostream& report)
{
    std::vector<std::string> found = findMidiFiles(".");
    if (found.empty()) {
        const char* self = argc > 0 && argv[0] ? argv[0] : "";
        report << "found no midi files in this directory" << self << std::endl;
    }
    bool allOk = true;
    for (const std::string& name : found)
        allOk = convertOne(name, report) && allOk;
    for (int i = 1; i < argc; ++i) {
        if (argv[i])
            allOk = convertOne(argv[i], report) && allOk;
    }
    return allOk ? 0 : 1;
}

} // namespace notegrind
