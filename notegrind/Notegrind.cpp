#include "notegrind/Notegrind.h"

#include "notegrind/MidiScan.h"
#include "notegrind/NoteListFile.h"
#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadMultiTrack.h"
#include "smfkit/MIDIFileReadStreamFile.h"
#include "smfkit/MIDIFileReadStreamMemory.h"
#include "smfkit/MIDIMultiTrack.h"

#include <cstring>
#include <filesystem>
#include <fstream>

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

void convertFile(const std::string& name, std::ostream& report)
{
    std::string outputName = noteListName(name);
    sConversion result = convertMidiFile(name, &report);
    // An input whose own name is its note list's name ("song.txt") would be
    // overwritten by its conversion: keep the input and say so.
    std::error_code error;
    if (std::filesystem::equivalent(name, outputName, error)) {
        report << "not writing " << outputName << ": it is the input itself" << std::endl;
        return;
    }
    // A note list that cannot be created is skipped without a word.
    std::ofstream file(outputName, std::ios::out | std::ios::trunc);
    if (file)
        writeNoteList(file, result.lists);
}

int runNotegrind(int argc, const char* const* argv, std::ostream& report)
{
    std::vector<std::string> found = findMidiFiles(".");
    if (found.empty()) {
        const char* self = argc > 0 && argv[0] ? argv[0] : "";
        report << "found no midi files in this directory" << self << std::endl;
        return 0;
    }
    for (const std::string& name : found)
        convertFile(name, report);
    for (int i = 1; i < argc; ++i) {
        if (argv[i])
            convertFile(argv[i], report);
    }
    return 0;
}

} // namespace notegrind
