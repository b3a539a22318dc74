// The conversion of one file: the report, the tempo map built on the way
// and the pairing of note-ons with note-offs.
#include "../smfkit/SmfBytes.h"

#include "notegrind/NoteConverter.h"
#include "notegrind/NoteListFile.h"
#include "notegrind/Notegrind.h"
#include "smfkit/MIDIFileReadStreamMemory.h"
#include "smfkit/MIDIMultiTrack.h"

#include <gtest/gtest.h>

#include <sstream>

using notegrind::cNoteLists;
using notegrind::sNoteBlock;
using smftest::cSmfBytes;
using smftest::cTrackBytes;

namespace {

struct sResult {
    std::string report;
    cNoteLists lists;
};

sResult convert(const std::vector<uint8_t>& bytes, const std::string& name = "song.mid")
{
    smfkit::MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
    std::ostringstream out;
    sResult r;
    r.lists = notegrind::convertStream(in, name, &out).lists;
    r.report = out.str();
    return r;
}

std::string header(const std::string& name, int division)
{
    return "file:" + name + "\nnumber of tracks:64\nthe division? well it is:" + std::to_string(division) +
           "\nclicks per beat:" + std::to_string(division) + "\nmillisex:" + std::to_string(division / 1000) +
           "\n";
}

// A file whose first chunk holds the tempo track and whose second holds notes.
std::vector<uint8_t> tempoAndNotes(const cTrackBytes& tempos, const cTrackBytes& notes, int division = 480)
{
    return cSmfBytes().header(1, 2, division).track(tempos).track(notes).bytes;
}

bool sameBlock(const sNoteBlock& b, int start, int end, int pitchClass)
{
    return b.startMs == start && b.endMs == end && b.pitchClass == pitchClass;
}

} // namespace

TEST(ConversionReport, SingleTempoAtTickZero)
{
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).end();
    notes.noteOn(480, 0, 60).noteOff(480, 0, 60).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    EXPECT_EQ(r.report, header("song.mid", 480) +
                            "track 0\n"
                            "tempo change at 0 bpmNew:3840\n"
                            "tempo change at 0 ms to 120\n"
                            "track 1\n"
                            "Note 60 ON at time:500\n"
                            "Note 60 OFF at time:1000\n");
    ASSERT_EQ(r.lists.size(), 64u);
    ASSERT_EQ(r.lists[1].size(), 1u);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 500, 1000, 0));
}

TEST(ConversionReport, TwoTemposAndTheNotesAroundThem)
{
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).tempo(1920, 1000000).end();
    notes.noteOn(1920, 0, 64).noteOff(480, 0, 64).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    EXPECT_EQ(r.report, header("song.mid", 480) +
                            "track 0\n"
                            "tempo change at 0 bpmNew:3840\n"
                            "tempo change at 0 ms to 120\n"
                            "tempo change at 1920 bpmNew:1920\n"
                            "tempo change at 2000 ms to 60\n"
                            "track 1\n"
                            "Note 64 ON at time:2000\n"
                            "Note 64 OFF at time:3000\n");
    EXPECT_TRUE(sameBlock(r.lists[1][0], 2000, 3000, 4));
}

TEST(ConversionReport, FirstTempoChangeIsTimeZeroWhateverItsTick)
{
    cTrackBytes tempos, notes;
    tempos.tempo(960, 500000).end();
    notes.noteOn(480, 0, 62).noteOff(960, 0, 62).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    EXPECT_NE(r.report.find("tempo change at 960 bpmNew:3840\ntempo change at 0 ms to 120\n"), std::string::npos);
    EXPECT_NE(r.report.find("Note 62 ON at time:-500\nNote 62 OFF at time:500\n"), std::string::npos);
    EXPECT_TRUE(sameBlock(r.lists[1][0], -500, 500, 2));
}

TEST(ConversionReport, TempoFormsAndUnsignedTicks)
{
    smfkit::MIDIMultiTrack store(64, true);
    smfkit::MIDITimedMsg m;
    for (auto [tick, tempo] : {std::pair<uint32_t, uint16_t>{0, 3056}, {96, 4267}, {0xF0000000u, 65535}}) {
        m.SetTempo(tempo);
        m.time = tick;
        store.GetTrack(5)->Append(m);
    }
    std::ostringstream out;
    {
        notegrind::cReportWriter report(&out);
        notegrind::cNoteConverter converter(96, report);
        converter.convert(store);
    }
    EXPECT_EQ(out.str(), "track 5\n"
                         "tempo change at 0 bpmNew:3056\n"
                         "tempo change at 0 ms to 95.5\n"
                         "tempo change at 96 bpmNew:4267\n"
                         "tempo change at 628 ms to 133.344\n"
                         "tempo change at 4026531840 bpmNew:65535\n"
                         // 0xF0000000 - 96 ticks as a signed span: -268435552.
                         "tempo change at -1258192725 ms to 2047.97\n");
}

TEST(ConversionReport, DivisionBelowAThousandAndAbove)
{
    cTrackBytes t;
    t.end();
    EXPECT_EQ(convert(cSmfBytes().header(0, 1, 999).track(t).bytes).report,
              header("song.mid", 999) + "track 0\n");
    EXPECT_EQ(convert(cSmfBytes().header(0, 1, 2500).track(t).bytes).report,
              header("song.mid", 2500) + "track 0\n");
}

TEST(ConversionReport, UnreadHeaderPrintsZeros)
{
    sResult r = convert({}, "missing.mid");
    EXPECT_EQ(r.report, header("missing.mid", 0));
    ASSERT_EQ(r.lists.size(), 64u);
    for (const auto& list : r.lists)
        EXPECT_TRUE(list.empty());
}

TEST(ConversionReport, OnlyTheHeaderLinesAreFlushedOneByOne)
{
    // Records the text present at every flush.
    struct cFlushLog : std::stringbuf {
        std::vector<std::string> seen;
        int sync() override
        {
            seen.push_back(str());
            return 0;
        }
    } buffer;
    std::ostream out(&buffer);
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).end();
    notes.noteOn(0, 0, 60).noteOff(480, 0, 60).end();
    std::vector<uint8_t> bytes = tempoAndNotes(tempos, notes);
    smfkit::MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
    notegrind::convertStream(in, "a.mid", &out);
    ASSERT_GE(buffer.seen.size(), 6u);
    EXPECT_EQ(buffer.seen[0], "file:a.mid\n");
    EXPECT_EQ(buffer.seen[1], "file:a.mid\nnumber of tracks:64\n");
    EXPECT_EQ(buffer.seen[4], header("a.mid", 480));
    EXPECT_EQ(buffer.seen.back(), buffer.str()) << "the whole report is out when the file is done";
}

TEST(TempoMap, NotesBeforeAnyTempoAreTimedAt120)
{
    cTrackBytes only;
    only.noteOn(480, 0, 60).noteOff(480, 0, 60).noteOn(480, 0, 61).noteOff(480, 0, 61).end();
    sResult r = convert(cSmfBytes().header(0, 1, 480).track(only).bytes);
    ASSERT_EQ(r.lists[1].size(), 2u);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 500, 1000, 0));
    EXPECT_TRUE(sameBlock(r.lists[1][1], 1500, 2000, 1));
    EXPECT_EQ(r.report.find("tempo"), std::string::npos) << "the assumed tempo prints nothing";
}

TEST(TempoMap, AssumedTempoLeavesTheTempoStateAlone)
{
    cTrackBytes tempos, notes;
    tempos.end();
    notes.noteOn(480, 0, 60).noteOff(480, 0, 60).tempo(0, 1000000).noteOn(480, 0, 61).noteOff(480, 0, 61).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    EXPECT_NE(r.report.find("track 1\n"
                            "Note 60 ON at time:500\n"
                            "Note 60 OFF at time:1000\n"
                            "tempo change at 960 bpmNew:1920\n"
                            "tempo change at 0 ms to 60\n"
                            "Note 61 ON at time:1000\n"
                            "Note 61 OFF at time:2000\n"),
              std::string::npos);
}

TEST(TempoMap, EarlierTracksGovernLaterOnes)
{
    cTrackBytes notesFirst, tempo, notesLater;
    notesFirst.noteOn(480, 0, 60).noteOff(480, 0, 60).end();
    tempo.tempo(0, 1000000).end();
    notesLater.noteOn(480, 0, 60).noteOff(480, 0, 60).end();
    cSmfBytes f;
    f.header(1, 4, 480).track(cTrackBytes().end()).track(notesFirst).track(tempo).track(notesLater);
    sResult r = convert(f.bytes);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 500, 1000, 0)) << "no tempo yet: 120 beats per minute";
    EXPECT_TRUE(sameBlock(r.lists[3][0], 1000, 2000, 0)) << "60 beats per minute from track 2";
}

TEST(TempoMap, DivisionZeroAndTempoZeroGiveFiniteTimes)
{
    cTrackBytes t;
    t.tempo(0, 500000).noteOn(1, 0, 60).noteOff(1, 0, 60).end();
    sResult r = convert(cSmfBytes().header(0, 1, 0).track(t).bytes);
    EXPECT_EQ(r.report.substr(0, header("song.mid", 0).size()), header("song.mid", 0));
    EXPECT_TRUE(sameBlock(r.lists[1][0], 500, 1000, 0)) << "a division of 0 counts as 1 tick per beat";

    smfkit::MIDIMultiTrack store(64, true);
    smfkit::MIDITimedMsg m;
    m.SetTempo(0);
    store.GetTrack(0)->Append(m);
    m.SetTempo(3840);
    m.time = 480;
    store.GetTrack(0)->Append(m);
    m.SetChannelMsg(0x90, 60, 1);
    m.time = 1;
    store.GetTrack(1)->Append(m);
    std::ostringstream out;
    notegrind::cReportWriter report(&out);
    notegrind::cNoteConverter converter(480, report);
    converter.convert(store);
    EXPECT_EQ(converter.tempoMap()[1].ms, 1920000) << "480 ticks at tempo value 1";
    report.finish();
    EXPECT_NE(out.str().find("tempo change at 0 ms to 0\n"), std::string::npos);
    EXPECT_NE(out.str().find("Note 60 ON at time:4000\n"), std::string::npos);
}

TEST(Pairing, LaterNoteOnMovesTheStart)
{
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).end();
    notes.noteOn(0, 0, 60).noteOn(96, 0, 60).noteOff(96, 0, 60).end();
    sResult r = convert(tempoAndNotes(tempos, notes, 480));
    ASSERT_EQ(r.lists[1].size(), 1u);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 100, 200, 0));
}

TEST(Pairing, EveryNoteOffAppendsABlock)
{
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).end();
    notes.noteOn(0, 0, 71).noteOff(480, 0, 71).event(480, {0x90, 71, 0}).noteOff(0, 3, 65).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    ASSERT_EQ(r.lists[1].size(), 3u);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 0, 500, 11));
    EXPECT_TRUE(sameBlock(r.lists[1][1], 0, 1000, 11)) << "a second note-off repeats the note";
    EXPECT_TRUE(sameBlock(r.lists[1][2], 0, 1000, 5)) << "a note-off alone starts at 0";
}

TEST(Pairing, ByNoteNumberAloneWithinAStoreTrack)
{
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).end();
    notes.noteOn(0, 0, 60).noteOn(0, 1, 62).noteOff(480, 7, 60).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    ASSERT_EQ(r.lists[1].size(), 1u);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 0, 500, 0)) << "channel plays no part; the open 62 is dropped";
}

TEST(Pairing, OpenNotesDoNotCrossTracks)
{
    cTrackBytes tempos, a, b;
    tempos.tempo(0, 500000).end();
    a.noteOn(480, 0, 60).end();
    b.noteOff(960, 0, 60).end();
    sResult r = convert(cSmfBytes().header(1, 3, 480).track(tempos).track(a).track(b).bytes);
    EXPECT_TRUE(r.lists[1].empty());
    ASSERT_EQ(r.lists[2].size(), 1u);
    EXPECT_TRUE(sameBlock(r.lists[2][0], 0, 1000, 0));
}

TEST(Pairing, FormatZeroChannelsLandInTheirOwnTracks)
{
    cTrackBytes t;
    t.tempo(0, 500000).noteOn(0, 0, 60).noteOn(0, 9, 36).noteOff(480, 0, 60).noteOff(0, 9, 36).end();
    sResult r = convert(cSmfBytes().header(0, 1, 480).track(t).bytes);
    EXPECT_EQ(r.report, header("song.mid", 480) +
                            "track 0\n"
                            "tempo change at 0 bpmNew:3840\n"
                            "tempo change at 0 ms to 120\n"
                            "track 1\n"
                            "Note 60 ON at time:0\n"
                            "Note 60 OFF at time:500\n"
                            "track 10\n"
                            "Note 36 ON at time:0\n"
                            "Note 36 OFF at time:500\n");
    EXPECT_TRUE(r.lists[0].empty());
    EXPECT_TRUE(sameBlock(r.lists[10][0], 0, 500, 0));
}

TEST(Pairing, DamagedFileKeepsWhatWasRead)
{
    cTrackBytes tempos, notes;
    tempos.tempo(0, 500000).end();
    notes.noteOn(0, 0, 60).noteOff(480, 0, 60).noteOn(0, 0, 64).event(0, {0xF4}).noteOff(480, 0, 64).end();
    sResult r = convert(tempoAndNotes(tempos, notes));
    ASSERT_EQ(r.lists[1].size(), 1u);
    EXPECT_TRUE(sameBlock(r.lists[1][0], 0, 500, 0));
}

TEST(InMemory, ConversionTellsWhetherTheFileWasReadWhole)
{
    // Two notes, then (in the damaged copy) a stray real-time byte, then a third.
    auto song = [](bool damaged) {
        cTrackBytes t;
        t.tempo(0, 500000).noteOn(0, 0, 60).noteOff(480, 0, 60).noteOn(0, 0, 64).noteOff(480, 0, 64);
        if (damaged)
            t.raw({0x00, 0xF8});
        t.noteOn(0, 0, 67).noteOff(480, 0, 67).end();
        return cSmfBytes().header(0, 1, 480).track(t).bytes;
    };
    std::vector<uint8_t> bytes = song(false);
    notegrind::sConversion c = notegrind::convertMidiBytes(bytes.data(), bytes.size(), "m.mid");
    EXPECT_TRUE(c.readWhole);
    EXPECT_TRUE(c.error.empty());
    ASSERT_EQ(c.lists.size(), 64u);
    EXPECT_EQ(c.lists[1].size(), 3u);

    std::vector<uint8_t> damaged = song(true);
    std::ostringstream report;
    notegrind::sConversion d = notegrind::convertMidiBytes(damaged.data(), damaged.size(), "d.mid", &report);
    EXPECT_FALSE(d.readWhole);
    EXPECT_EQ(d.error, "Unexpected Byte");
    // The third note and the end of the track take the last 13 bytes.
    EXPECT_EQ(d.errorOffset, bytes.size() - 13 + 1);
    EXPECT_TRUE(d.systemError.empty());
    ASSERT_EQ(d.lists[1].size(), 2u) << "the notes read before the stop";
    EXPECT_TRUE(sameBlock(d.lists[1][1], 500, 1000, 4));
    EXPECT_EQ(report.str().rfind(header("d.mid", 480) + "track 0\n", 0), 0u);

    // Without a report stream the lists are the same and nothing is printed.
    notegrind::sConversion quiet = notegrind::convertMidiBytes(damaged.data(), damaged.size(), "d.mid");
    EXPECT_EQ(notegrind::formatNoteList(quiet.lists), notegrind::formatNoteList(d.lists));
    EXPECT_EQ(quiet.errorOffset, d.errorOffset);

    notegrind::sConversion missing = notegrind::convertMidiFile("/nonexistent/x.mid");
    EXPECT_FALSE(missing.readWhole);
    EXPECT_EQ(missing.error, "Unexpected Stream Error");
    EXPECT_EQ(missing.systemError, "No such file or directory");
    EXPECT_EQ(notegrind::formatNoteList(missing.lists).substr(0, 7), "21\n0\n0\n");
}
