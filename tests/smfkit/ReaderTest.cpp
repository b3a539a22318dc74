// The reader: what it reports for well-formed and damaged files, in order,
// and the exact error texts.
#include "RecordingEvents.h"
#include "SmfBytes.h"

#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadStreamFile.h"
#include "smfkit/MIDIFileReadStreamMemory.h"

#include <gtest/gtest.h>

#include <cerrno>

using smftest::cRecordingEvents;
using smftest::cSmfBytes;
using smftest::cTrackBytes;
using Log = std::vector<std::string>;

namespace {

struct sParse {
    bool complete = false;
    cRecordingEvents events;
};

void parse(sParse& p, const std::vector<uint8_t>& bytes, int capacity = 8192, bool merge = false)
{
    smfkit::MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
    smfkit::MIDIFileRead reader(&in, &p.events, capacity);
    reader.SetSysExMerge(merge);
    p.complete = reader.ParseFile();
}

std::vector<uint8_t> oneTrack(const cTrackBytes& t, int format = 1)
{
    return cSmfBytes().header(format, 1, 480).track(t).bytes;
}

} // namespace

TEST(ReaderStructure, WellFormedFileIsReportedInFileOrder)
{
    cTrackBytes t0, t1;
    t0.tempo(0, 500000).end(10);
    t1.text(0, 0x03, "bass").noteOn(0x81, 2, 60).noteOff(0x4000, 2, 60).end();
    sParse p;
    parse(p, cSmfBytes().header(1, 2, 96).track(t0).track(t1).bytes);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 2 96", "start 0", "tempo 500000 @0", "eot @10", "end 0",
                                 "start 1", "text 3 'bass' @0", "on 92 3c 40 @129",
                                 "off 82 3c 00 @16513", "eot @16513", "end 1"}));
    EXPECT_TRUE(p.events.terminatorOk);
}

TEST(ReaderStructure, BytesBeforeTheHeaderAreSkipped)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).end();
    cSmfBytes f;
    f.raw({'R', 'I', 'F', 'F', 0x10, 0, 0, 0, 'M', 'T'}).header(0, 1, 480).track(t);
    sParse p;
    parse(p, f.bytes);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log.front(), "header 0 1 480");
    EXPECT_EQ(p.events.log[2], "on 90 3c 40 @0");
}

TEST(ReaderStructure, LongerHeaderIsSkippedToTheFirstTrack)
{
    cTrackBytes t;
    t.noteOn(7, 0, 61).end();
    cSmfBytes f;
    f.header(0, 1, 480, 9).raw({0xAA, 0xBB, 0xCC}).track(t);
    sParse p;
    parse(p, f.bytes);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log[2], "on 90 3d 40 @7");
}

TEST(ReaderStructure, TrackTimeRestartsInEveryChunk)
{
    cTrackBytes a, b;
    a.noteOn(100, 0, 60).end();
    b.noteOn(5, 0, 60).end();
    sParse p;
    parse(p, cSmfBytes().header(1, 2, 480).track(a).track(b).bytes);
    EXPECT_EQ(p.events.log[2], "on 90 3c 40 @100");
    EXPECT_EQ(p.events.log[6], "on 90 3c 40 @5");
}

TEST(ReaderStructure, EndOfTrackDoesNotEndTheChunk)
{
    cTrackBytes t;
    t.end().noteOn(3, 0, 60);
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "eot @0", "on 90 3c 40 @3", "end 0"}));
}

TEST(ReaderStructure, FiveByteDeltaWrapsIn32Bits)
{
    cTrackBytes t;
    t.raw({0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 1}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.log[2], "on 90 3c 01 @4294967295");
}

TEST(ReaderErrors, TrackCountZeroGivesNoTracks)
{
    sParse p;
    parse(p, cSmfBytes().header(1, 0, 480).bytes);
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 0 480", "error No Tracks"}));
}

TEST(ReaderErrors, UnopenedFileReportsStreamErrorsThenNoTracks)
{
    smfkit::MIDIFileReadStreamFile in("/nonexistent/folder/song.mid");
    EXPECT_FALSE(in.IsValid());
    cRecordingEvents events;
    smfkit::MIDIFileRead reader(&in, &events, 8192);
    EXPECT_FALSE(reader.ParseFile());
    ASSERT_GE(events.errors.size(), 2u);
    for (size_t i = 0; i + 1 < events.errors.size(); ++i)
        EXPECT_EQ(events.errors[i], "Unexpected Stream Error");
    EXPECT_EQ(events.errors.back(), "No Tracks");
    EXPECT_EQ(events.log.size(), events.errors.size()) << "no header, no tracks";
    EXPECT_EQ(reader.GetDivision(), 0);
    EXPECT_EQ(reader.GetNumTracks(), 0);
}

TEST(ReaderErrors, ShortHeaderLengthRunsIntoTheStreamEnd)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).end();
    sParse p;
    parse(p, cSmfBytes().header(0, 1, 480, 4).track(t).bytes);
    EXPECT_FALSE(p.complete);
    ASSERT_GE(p.events.log.size(), 2u);
    EXPECT_EQ(p.events.log[0], "header 0 1 480");
    EXPECT_EQ(p.events.log[1], "error Unexpected Stream Error");
    for (const std::string& line : p.events.log)
        EXPECT_EQ(line.rfind("on ", 0), std::string::npos) << "the track's note was swallowed by the skip";
}

TEST(ReaderErrors, ForeignChunkBetweenTracksStopsTheParse)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).end();
    cSmfBytes f;
    f.header(1, 3, 480).track(t).raw({'X', 'T', 'R', 'K', 0, 0, 0, 4, 0, 0x90, 60, 1}).track(t);
    sParse p;
    parse(p, f.bytes);
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 3 480", "start 0", "on 90 3c 40 @0", "eot @0", "end 0",
                                 "error Error looking for chunk type", "start 1", "end 1"}));
}

TEST(ReaderErrors, TruncatedTrackKeepsWhatWasRead)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).noteOff(480, 0, 60).end();
    std::vector<uint8_t> bytes = oneTrack(t);
    bytes.resize(bytes.size() - 5);
    sParse p;
    parse(p, bytes);
    EXPECT_FALSE(p.complete);
    // The note-off being decoded is still finished, its missing velocity
    // read as 0xFF; then the track ends.
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "on 90 3c 40 @0", "error Unexpected Stream Error",
                                 "off 80 3c ff @480", "end 0"}));
}

TEST(ReaderErrors, DataByteWithoutStatusIsReportedTwice)
{
    cTrackBytes t;
    t.event(0, {0x3C, 0x40}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(p.events.errors, (Log{"Unexpected Running Status", "Unexpected Byte"}));
    EXPECT_EQ(p.events.log.back(), "end 0");
}

TEST(ReaderErrors, RunningStatusAfterMetaIsAnUnexpectedByte)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).tempo(0, 500000).event(0, {0x3C, 0x00}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.errors, (Log{"Unexpected Byte"}));
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "on 90 3c 40 @0", "tempo 500000 @0",
                                 "error Unexpected Byte", "end 0"}));
}

TEST(ReaderErrors, RunningStatusAfterSysExOrEscapeIsAnUnexpectedByte)
{
    // A complete sysex and an escape both leave their own byte as the
    // running status, so the note's running status is gone.
    for (int system : {0xF0, 0xF7}) {
        cTrackBytes t;
        t.noteOn(0, 0, 60).event(0, {system, 0x01, 0xF7}).event(0, {0x3C, 0x00}).end();
        sParse p;
        parse(p, oneTrack(t));
        EXPECT_FALSE(p.complete) << system;
        EXPECT_EQ(p.events.errors, (Log{"Unexpected Byte"})) << system;
        ASSERT_EQ(p.events.log.size(), 6u) << system;
        EXPECT_EQ(p.events.log[4], "error Unexpected Byte") << system;
    }
}

TEST(ReaderErrors, SystemBytesStartNoEvent)
{
    for (int status : {0xF1, 0xF4, 0xF8, 0xFE}) {
        cTrackBytes t;
        t.event(0, {status}).noteOn(0, 0, 60).end();
        sParse p;
        parse(p, oneTrack(t));
        EXPECT_EQ(p.events.errors, (Log{"Unexpected Byte"})) << status;
        EXPECT_EQ(p.events.log.size(), 4u) << "header, start, error, end";
    }
}

TEST(ReaderErrors, PendingSysExInterruptedByAnotherEvent)
{
    cTrackBytes t;
    t.event(0, {0xF0, 0x02, 0x43, 0x12}).noteOn(0, 0, 60).end();
    sParse p;
    parse(p, oneTrack(t), 8192, true);
    EXPECT_EQ(p.events.errors, (Log{"Error after expected continuation of SysEx"}));
    // The interrupting event is still finished.
    EXPECT_EQ(p.events.log[3], "on 90 3c 40 @0");
    EXPECT_EQ(p.events.log.back(), "end 0");
}

TEST(ReaderRunningStatus, CarriesAcrossChannelMessages)
{
    cTrackBytes t;
    t.event(0, {0x90, 0x3C, 0x40}).event(10, {0x3C, 0x00}).event(5, {0x40, 0x50}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "on 90 3c 40 @0", "off 90 3c 00 @10",
                                 "on 90 40 50 @15", "eot @15", "end 0"}));
}

TEST(ReaderRunningStatus, OneDataByteKindsAndDispatch)
{
    cTrackBytes t;
    t.event(0, {0xC3, 5}).event(0, {6}).event(0, {0xD1, 9}).event(0, {0xB0, 7, 100})
        .event(0, {0xB0, 123, 0}).event(0, {0xA2, 60, 3}).event(0, {0xE0, 0, 0x40}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log,
              (Log{"header 1 1 480", "start 0", "program c3 05 00 @0", "program c3 06 00 @0",
                   "pressure d1 09 00 @0", "control b0 07 64 @0", "mode b0 7b 00 @0", "poly a2 3c 03 @0",
                   "bend e0 00 40 @0", "eot @0", "end 0"}));
}

TEST(ReaderRunningStatus, StatusDoesNotCarryIntoTheNextTrack)
{
    cTrackBytes a, b;
    a.noteOn(0, 0, 60).end();
    b.event(0, {0x3C, 0x00}).end();
    sParse p;
    parse(p, cSmfBytes().header(1, 2, 480).track(a).track(b).bytes);
    EXPECT_EQ(p.events.errors, (Log{"Unexpected Running Status", "Unexpected Byte"}));
}

TEST(ReaderLengths, MetaWithLengthZero)
{
    cTrackBytes t;
    t.meta(4, 0x06, {}).meta(4, 0x60, {}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.log[2], "text 6 '' @4");
    EXPECT_EQ(p.events.log[3], "meta 96  @8");
    EXPECT_TRUE(p.events.terminatorOk);
}

TEST(ReaderLengths, FixedLayoutMetaTypesAreDecoded)
{
    cTrackBytes t;
    t.meta(0, 0x00, {0x01, 0x02}).meta(0, 0x54, {1, 2, 3, 4, 5}).meta(0, 0x58, {6, 3, 24, 8})
        .meta(0, 0x59, {0xFD, 1}).meta(0, 0x7F, {0x41, 0x42}).meta(0, 0x21, {1}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "sequence 258 @0", "smpte 1:2:3 @0",
                                 "timesig 6 3 24 8 @0", "key -3 1 @0", "specific 4142 @0", "eot @0",
                                 "end 0"}));
}

TEST(ReaderLengths, ShortFixedLayoutMetaIsNotReadPastItsEnd)
{
    cTrackBytes t;
    t.meta(0, 0x58, {4, 2, 24, 8}).meta(0, 0x51, {0x07, 0xA1}).meta(0, 0x59, {0x02}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.log[3], "meta 81 07a1 @0");
    EXPECT_EQ(p.events.log[4], "meta 89 02 @0");
}

TEST(ReaderLengths, LongerFixedLayoutMetaUsesItsFirstBytes)
{
    cTrackBytes t;
    t.meta(0, 0x51, {0x07, 0xA1, 0x20, 0x99}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.log[2], "tempo 500000 @0");
}

TEST(ReaderLengths, DataBeyondCapacityIsCut)
{
    std::string longText(20, 'x');
    cTrackBytes t;
    t.text(0, 0x01, longText).event(0, {0xF0, 12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xF7})
        .meta(0, 0x7F, std::vector<uint8_t>(9, 0x11)).noteOn(1, 0, 60).end();
    sParse p;
    parse(p, oneTrack(t), 8);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log[2], "text 1 'xxxxxxxx' @0");
    // The 0xF0 counts as one of the bytes.
    EXPECT_EQ(p.events.log[3], "sysex f001020304050607 @0");
    EXPECT_EQ(p.events.log[4], "specific 1111111111111111 @0");
    EXPECT_EQ(p.events.log[5], "on 90 3c 40 @1");
    EXPECT_TRUE(p.events.terminatorOk);
}

TEST(ReaderLengths, LengthPastTheChunkEndGivesAnEmptyEvent)
{
    cTrackBytes t;
    t.raw({0x00, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F}).noteOn(0, 0, 60).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "text 1 '' @0", "on 90 3c 40 @0",
                                 "eot @0", "end 0"}));
}

TEST(ReaderLengths, SysExAndEscapes)
{
    cTrackBytes t;
    t.event(0, {0xF0, 0x03, 0x7E, 0x09, 0xF7}).event(2, {0xF7, 0x02, 0xF3, 0x01}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_EQ(p.events.log[2], "sysex f07e09f7 @0");
    EXPECT_EQ(p.events.log[3], "escaped f301 @2");
}

TEST(ReaderLengths, UnterminatedSysExWithoutMergeIsDeliveredAtOnce)
{
    cTrackBytes t;
    t.event(0, {0xF0, 0x02, 0x43, 0x12}).event(0, {0xF7, 0x01, 0xF7}).end();
    sParse p;
    parse(p, oneTrack(t));
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log[2], "sysex f04312 @0");
    EXPECT_EQ(p.events.log[3], "escaped f7 @0");
}

TEST(ReaderLengths, MergedSysExWaitsForItsContinuation)
{
    cTrackBytes t;
    t.event(0, {0xF0, 0x02, 0x43, 0x12}).event(3, {0xF7, 0x01, 0x05}).event(4, {0xF7, 0x02, 0x06, 0xF7}).end();
    sParse p;
    parse(p, oneTrack(t), 8192, true);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(p.events.log, (Log{"header 1 1 480", "start 0", "sysex f043120506f7 @7", "eot @7", "end 0"}));
}

namespace {

struct sStop {
    bool complete = false;
    std::string text; // empty when there was no error
    uint64_t offset = 0;
    uint64_t bytesRead = 0;
};

sStop stopOf(const std::vector<uint8_t>& bytes, bool merge = false)
{
    smfkit::MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
    cRecordingEvents events;
    smfkit::MIDIFileRead reader(&in, &events, 8192);
    reader.SetSysExMerge(merge);
    sStop s;
    s.complete = reader.ParseFile();
    s.text = reader.GetErrorText() ? reader.GetErrorText() : "";
    s.offset = reader.GetErrorOffset();
    s.bytesRead = reader.GetBytesRead();
    return s;
}

// Header (14 bytes) and a track chunk's id and length (8) come first.
constexpr uint64_t kFirstEvent = 22;

} // namespace

TEST(ReaderStops, EachErrorSaysWhereReadingStopped)
{
    cTrackBytes good;
    good.noteOn(0, 0, 60).end();
    std::vector<uint8_t> whole = oneTrack(good);
    sStop ok = stopOf(whole);
    EXPECT_TRUE(ok.complete);
    EXPECT_EQ(ok.text, "");
    EXPECT_EQ(ok.bytesRead, whole.size());

    // A cut-off file stops at its own length: the first byte not there.
    sStop cut = stopOf(std::vector<uint8_t>(whole.begin(), whole.end() - 2));
    EXPECT_EQ(cut.text, "Unexpected Stream Error");
    EXPECT_EQ(cut.offset, whole.size() - 2);

    cTrackBytes realtime, afterMeta, noStatus, sysex;
    realtime.noteOn(0, 0, 60).raw({0x00, 0xF8}).end();
    afterMeta.text(0, 0x01, "ab").raw({0x00, 0x3C, 0x40}).end();
    noStatus.raw({0x00, 0x3C, 0x40}).end();
    sysex.event(0, {0xF0, 0x01, 0x43}).noteOn(0, 0, 60).end();
    EXPECT_EQ(stopOf(oneTrack(realtime)).offset, kFirstEvent + 5) << "the stray byte itself";
    EXPECT_EQ(stopOf(oneTrack(realtime)).text, "Unexpected Byte");
    EXPECT_EQ(stopOf(oneTrack(afterMeta)).offset, kFirstEvent + 7);
    sStop first = stopOf(oneTrack(noStatus));
    EXPECT_EQ(first.text, "Unexpected Running Status") << "the first error, not the one after it";
    EXPECT_EQ(first.offset, kFirstEvent + 1);
    sStop pending = stopOf(oneTrack(sysex), true);
    EXPECT_EQ(pending.text, "Error after expected continuation of SysEx");
    EXPECT_EQ(pending.offset, kFirstEvent + 5);

    // A chunk that is not a track chunk: where its four bytes start.
    cSmfBytes foreign;
    foreign.header(1, 2, 480).track(good).raw({'J', 'U', 'N', 'K', 0, 0, 0, 0});
    sStop chunk = stopOf(foreign.bytes);
    EXPECT_EQ(chunk.text, "Error looking for chunk type");
    EXPECT_EQ(chunk.offset, whole.size());

    sStop none = stopOf(cSmfBytes().header(1, 0, 480).bytes);
    EXPECT_EQ(none.text, "No Tracks");
    EXPECT_EQ(none.offset, 14u) << "the end of the header";
}

TEST(ReaderStops, FileStreamKeepsTheSystemsReason)
{
    smfkit::MIDIFileReadStreamFile missing("/nonexistent/song.mid");
    EXPECT_EQ(missing.GetOpenError(), ENOENT);
    EXPECT_EQ(missing.ReadChar(), -1);

    smfkit::MIDIFileReadStreamFile folder("/");
    EXPECT_EQ(folder.ReadChar(), -1);
    EXPECT_EQ(folder.GetOpenError() != 0 ? folder.GetOpenError() : folder.GetReadError(), EISDIR);
}
