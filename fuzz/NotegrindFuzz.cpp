// Fuzz target: arbitrary bytes through the MIDI reader, the multi-track
// sink and the whole conversion, with the note list built in memory.
// Besides the sanitizers' checks it traps when the reader breaks its
// callback contract, when a note list is malformed, or when the one-pass
// conversion's report or note list differs from the plain conversion
// through the multi-track store (tests/notegrind/ReferenceConversion.h).
#include "../tests/notegrind/ReferenceConversion.h"

#include "notegrind/NoteListFile.h"
#include "notegrind/Notegrind.h"
#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadStreamMemory.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <vector>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Checks the order of the reader's callbacks: tracks start and end in
// pairs, events only inside a track, nothing after an error but the end of
// the track that held it.
class cContractCheck : public smfkit::MIDIFileEvents {
public:
    void OnTrackStart(int track) override
    {
        require(!inTrack && !endedAfterError && track == nextTrack);
        inTrack = true;
    }
    void OnTrackEnd(int track) override
    {
        require(inTrack && track == nextTrack);
        inTrack = false;
        endedAfterError = failed;
        ++nextTrack;
    }
    void OnHeader(int, int, int) override
    {
        require(!headerSeen && !failed);
        headerSeen = true;
    }
    void OnError(const char*) override { failed = true; }
    void OnChannelMessage(const smfkit::MIDITimedMsg& msg) override
    {
        require(inTrack && msg.IsChannelMsg());
        MIDIFileEvents::OnChannelMessage(msg);
    }
    void OnMetaEvent(uint32_t time, int type, int length, uint8_t* data) override
    {
        require(inTrack && length >= 0 && length <= notegrind::kMessageCapacity);
        MIDIFileEvents::OnMetaEvent(time, type, length, data);
    }
    void OnText(uint32_t, int, int length, const uint8_t* text) override
    {
        require(text[length] == 0);
    }
    void OnSysEx(uint32_t, const smfkit::MIDISystemExclusive& ex) override
    {
        require(inTrack && ex.GetLength() >= 1 && ex.GetBuf()[0] == 0xF0);
    }

    bool inTrack = false;
    bool headerSeen = false;
    bool failed = false;
    bool endedAfterError = false;
    int nextTrack = 0;
};

// The note list must read back as its own layout: 21 sections, each a
// count followed by that many note lines.
void checkNoteList(const std::string& text)
{
    std::istringstream in(text);
    int sections = -1;
    in >> sections;
    require(sections == 21);
    for (int s = 0; s < sections; ++s) {
        long long count = -1;
        in >> count;
        require(count >= 0);
        for (long long i = 0; i < count; ++i) {
            std::string kind;
            long long start = 0, end = 0, code = -1;
            in >> kind;
            if (kind == "hn")
                in >> start >> end >> code;
            else
                in >> start >> code;
            require(in && (kind == "hn" || kind == "n") && code >= 0 && code <= 3);
        }
    }
    std::string rest;
    require(!(in >> rest));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        smfkit::MIDIFileReadStreamMemory in(data, size);
        cContractCheck check;
        smfkit::MIDIFileRead reader(&in, &check, 64);
        reader.SetSysExMerge(true);
        bool complete = reader.ParseFile();
        require(complete == !check.failed);
        require(!check.inTrack);
    }

    smfkit::MIDIFileReadStreamMemory in(data, size);
    std::ostringstream report;
    notegrind::sConversion result = notegrind::convertStream(in, "fuzz.mid", &report);
    require(result.readWhole == result.error.empty());
    const notegrind::cNoteLists& lists = result.lists;
    require(lists.size() == notegrind::kStoreTracks);
    for (const auto& list : lists)
        for (const auto& note : list)
            require(note.pitchClass >= 0 && note.pitchClass < 12);
    std::string noteList = notegrind::formatNoteList(lists);
    checkNoteList(noteList);

    ngtest::sReference plain = ngtest::referenceConvert(std::vector<uint8_t>(data, data + size), "fuzz.mid");
    require(report.str() == plain.report);
    require(noteList == plain.noteList);
    return 0;
}
