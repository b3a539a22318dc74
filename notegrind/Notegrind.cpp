#include "notegrind/Notegrind.h"

#include "notegrind/ConversionSink.h"
#include "notegrind/MidiScan.h"
#include "notegrind/NoteListFile.h"
#include "notegrind/ReportWriter.h"
#include "smfkit/MIDIEventList.h"
#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadStreamFile.h"
#include "smfkit/MIDIFileReadStreamMemory.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <new>

namespace notegrind {

namespace {

// Reads one MIDI file from in, printing its report (when report is active)
// and handing its tracks to target as they are done.
void convertInto(smfkit::MIDIFileReadStream& in, const std::string& name, cReportWriter& report,
                 cTrackNotes& target, sConversion& result)
{
    cConversionSink sink(name, kStoreTracks, report, target);
    {
        smfkit::MIDIFileRead reader(&in, &sink, kMessageCapacity);
        // A file that fails to parse is converted as far as it was read.
        result.readWhole = reader.ParseFile();
        if (!result.readWhole) {
            result.error = reader.GetErrorText() ? reader.GetErrorText() : "";
            result.errorOffset = reader.GetErrorOffset();
        }
    }
    sink.finish();
    report.finish();
    result.droppedEvents = sink.droppedEvents();
    result.firstFullTrack = sink.firstFullTrack();
}

// The system's words for an error number (thread-safe, unlike strerror).
std::string systemReason(int error)
{
    return std::generic_category().message(error);
}

std::string systemErrorOf(const smfkit::MIDIFileReadStreamFile& in)
{
    int error = in.GetOpenError() ? in.GetOpenError() : in.GetReadError();
    return error ? systemReason(error) : std::string();
}

} // namespace

sConversion convertStream(smfkit::MIDIFileReadStream& in, const std::string& name, std::ostream* out)
{
    cReportWriter report(out);
    cCollectedNotes collected(kStoreTracks);
    sConversion result;
    convertInto(in, name, report, collected, result);
    result.lists.swap(collected.lists);
    return result;
}

sConversion convertMidiFile(const std::string& path, std::ostream* report)
{
    smfkit::MIDIFileReadStreamFile in(path.c_str());
    sConversion result = convertStream(in, path, report);
    result.systemError = systemErrorOf(in);
    return result;
}

sConversion convertMidiBytes(const void* data, size_t size, const std::string& name,
                             std::ostream* report)
{
    smfkit::MIDIFileReadStreamMemory in(static_cast<const uint8_t*>(data), size);
    return convertStream(in, name, report);
}

bool convertFile(const std::string& name, std::ostream& out)
{
    std::string outputName = noteListName(name);
    // An input whose own name is its note list's name ("song.txt") would be
    // overwritten by its conversion: keep the input and say so.
    std::error_code sameError;
    bool outputIsInput = std::filesystem::equivalent(name, outputName, sameError);

    smfkit::MIDIFileReadStreamFile in(name.c_str());
    // The note list is written as the conversion finishes its tracks.
    std::FILE* file = nullptr;
    int openError = 0;
    if (!outputIsInput) {
        errno = 0;
        file = std::fopen(outputName.c_str(), "w");
        if (!file)
            openError = errno != 0 ? errno : EIO;
    }
    cNoteListFile noteList(file, kStoreTracks);
    sConversion result;
    try {
        cReportWriter report(&out);
        convertInto(in, name, report, noteList, result);
        result.systemError = systemErrorOf(in);
    } catch (...) {
        // Half a note list is worse than none.
        if (file) {
            std::fclose(file);
            std::remove(outputName.c_str());
        }
        throw;
    }
    int writeError = 0;
    if (file) {
        bool written = noteList.finish();
        writeError = noteList.error();
        errno = 0;
        // Closing writes the last of the text: its failure (a full disk)
        // counts as much as a failed write.
        if (std::fclose(file) != 0 && written)
            writeError = errno != 0 ? errno : EIO;
    }

    bool ok = result.readWhole;
    if (!result.readWhole) {
        out << "warning: " << name << " was not read whole: " << result.error << " at byte " << result.errorOffset;
        if (!result.systemError.empty())
            out << " (" << result.systemError << ")";
        out << "; its note list holds the notes read before that" << std::endl;
    }
    if (result.droppedEvents > 0) {
        out << "warning: " << name << ": store track " << result.firstFullTrack << " holds at most "
            << smfkit::MIDIEventList::kMaxEvents << " events; " << result.droppedEvents
            << " later events were left out of the report and the note list" << std::endl;
        ok = false;
    }
    if (outputIsInput) {
        out << "not writing " << outputName << ": it is the input itself" << std::endl;
        out << "warning: the note list " << outputName << " was not written: it is the input file itself"
            << std::endl;
        return false;
    }
    if (openError || writeError) {
        out << "warning: the note list " << outputName
            << " was not written: " << systemReason(openError ? openError : writeError) << std::endl;
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
