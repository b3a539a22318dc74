// The multi-track store and its sink: growth of a track, routing of events
// to tracks, the tempo value and what is kept of each event kind.
#include "SmfBytes.h"

#include "smfkit/MIDIEventList.h"
#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadMultiTrack.h"
#include "smfkit/MIDIFileReadStreamMemory.h"
#include "smfkit/MIDIMultiTrack.h"

#include <gtest/gtest.h>

using smfkit::MIDIEventList;
using smfkit::MIDIFileReadMultiTrack;
using smfkit::MIDIMultiTrack;
using smfkit::MIDITimedMsg;
using smftest::cSmfBytes;
using smftest::cTrackBytes;

namespace {

MIDITimedMsg note(uint32_t time, int note)
{
    MIDITimedMsg m;
    m.SetChannelMsg(0x90, static_cast<uint8_t>(note), 64);
    m.time = time;
    return m;
}

void load(MIDIMultiTrack& store, const std::vector<uint8_t>& bytes)
{
    smfkit::MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
    MIDIFileReadMultiTrack sink(&store);
    smfkit::MIDIFileRead reader(&in, &sink, 8192);
    reader.ParseFile();
}

std::vector<int> trackCounts(const MIDIMultiTrack& store)
{
    std::vector<int> counts;
    for (int i = 0; i < store.GetNumTracks(); ++i)
        counts.push_back(store.GetTrack(i) ? store.GetTrack(i)->GetCount() : -1);
    return counts;
}

} // namespace

TEST(TrackGrowth, CapacityStepsAndOrder)
{
    MIDIEventList list;
    EXPECT_EQ(list.GetCapacity(), 0);
    EXPECT_EQ(list.GetEvent(0), nullptr);
    ASSERT_TRUE(list.Append(note(0, 0)));
    EXPECT_EQ(list.GetCapacity(), 1024) << "growing by 512 adds two blocks";
    for (int i = 1; i < 1024; ++i)
        ASSERT_TRUE(list.Append(note(static_cast<uint32_t>(i), i % 128)));
    EXPECT_EQ(list.GetCapacity(), 1024);
    ASSERT_TRUE(list.Append(note(1024, 5)));
    EXPECT_EQ(list.GetCapacity(), 2048) << "the 1025th event grows the list again";
    EXPECT_EQ(list.GetCount(), 1025);
    for (int i : {0, 511, 512, 1023, 1024})
        EXPECT_EQ(list.GetEvent(i)->GetTime(), static_cast<uint32_t>(i));
    EXPECT_EQ(list.GetEvent(1025), nullptr);
    EXPECT_EQ(list.GetEvent(-1), nullptr);
}

TEST(TrackGrowth, TrackIsFullAt510Blocks)
{
    MIDIEventList list;
    const int limit = 510 * 512;
    static_assert(MIDIEventList::kMaxEvents == limit, "the capacity others rely on");
    for (int i = 0; i < limit; ++i)
        ASSERT_TRUE(list.Append(note(static_cast<uint32_t>(i), 1))) << i;
    EXPECT_EQ(list.GetCapacity(), limit);
    EXPECT_FALSE(list.Append(note(1, 1)));
    EXPECT_EQ(list.GetCount(), limit);
    EXPECT_EQ(list.GetCapacity(), limit) << "a failed growth changes nothing";
    EXPECT_EQ(list.GetEvent(limit - 1)->GetTime(), static_cast<uint32_t>(limit - 1));
}

TEST(TrackGrowth, InitialCapacityAndLargeGrowth)
{
    MIDIEventList list(1000);
    EXPECT_EQ(list.GetCapacity(), 1024);
    EXPECT_FALSE(list.Grow(511 * 512)) << "would reach 512 blocks";
    EXPECT_EQ(list.GetCapacity(), 1024);
    EXPECT_TRUE(list.Grow(5000));
    EXPECT_EQ(list.GetCapacity(), (2 + 9 + 1) * 512);
}

TEST(Routing, FormatZeroSpreadsChannelsOverTracks)
{
    cTrackBytes t;
    t.tempo(0, 500000).noteOn(0, 0, 60).noteOn(0, 9, 36).noteOn(0, 15, 40).noteOff(10, 0, 60).end();
    MIDIMultiTrack store(64, true);
    load(store, cSmfBytes().header(0, 1, 480).track(t).bytes);
    std::vector<int> counts = trackCounts(store);
    EXPECT_EQ(counts[0], 2) << "tempo and end of track";
    EXPECT_EQ(counts[1], 2);
    EXPECT_EQ(counts[10], 1);
    EXPECT_EQ(counts[16], 1);
    EXPECT_TRUE(store.GetTrack(0)->GetEvent(0)->IsTempo());
    EXPECT_EQ(store.GetTrack(1)->GetEvent(1)->GetTime(), 10u);
    EXPECT_EQ(store.GetClksPerBeat(), 480);
}

TEST(Routing, FirstChunkOfFormatOneGoesByChannel)
{
    cTrackBytes first, other;
    first.noteOn(0, 2, 60).end();
    other.noteOn(5, 0, 62).end();
    MIDIMultiTrack store(64, true);
    load(store, cSmfBytes().header(1, 4, 96).track(first).track(other).track(other).track(other).bytes);
    const MIDIEventList* t3 = store.GetTrack(3);
    ASSERT_EQ(t3->GetCount(), 3);
    EXPECT_EQ(t3->GetEvent(0)->GetNote(), 60) << "the first chunk is read first";
    EXPECT_EQ(t3->GetEvent(1)->GetNote(), 62);
    EXPECT_EQ(store.GetTrack(0)->GetCount(), 1) << "only the first chunk's end of track";
}

TEST(Routing, ChunksBeyondTheStoreAreDropped)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).end();
    cSmfBytes f;
    f.header(1, 66, 96);
    for (int i = 0; i < 66; ++i)
        f.track(t);
    MIDIMultiTrack store(64, true);
    load(store, f.bytes);
    EXPECT_EQ(store.GetTrack(63)->GetCount(), 2);
    EXPECT_EQ(store.GetTrack(1)->GetCount(), 3) << "chunk 0's note by channel, then chunk 1";
}

TEST(Routing, MissingTracksDropEvents)
{
    cTrackBytes t;
    t.noteOn(0, 0, 60).end();
    MIDIMultiTrack none(4, false);
    load(none, cSmfBytes().header(0, 1, 96).track(t).bytes);
    EXPECT_EQ(trackCounts(none), (std::vector<int>{-1, -1, -1, -1}));
    MIDIMultiTrack small(1, true);
    load(small, cSmfBytes().header(0, 1, 96).track(t).bytes);
    EXPECT_EQ(trackCounts(small), (std::vector<int>{1})) << "the note's track 1 does not exist";
}

TEST(TempoValue, FromMicrosecondsPerQuarter)
{
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(500000), 3840);
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(1000000), 1920);
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(600000), 3200);
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(0), 57344) << "0 counts as 1 microsecond";
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(1), 57344);
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(0xFFFFFF), 114);
    // 2048 beats per minute and above wrap in 16 bits.
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(29297), 65535);
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(29296), 1);
    // Single precision: 2000 beats per minute comes out a hair below.
    EXPECT_EQ(MIDIFileReadMultiTrack::TempoValue(30000), 63999);
}

TEST(StoredKinds, WhatTheSinkKeeps)
{
    cTrackBytes t;
    t.text(0, 0x03, "lead").meta(0, 0x58, {6, 3, 24, 8}).meta(0, 0x59, {0xFE, 0})
        .event(0, {0xF0, 0x02, 0x7E, 0xF7}).event(0, {0xF7, 0x01, 0x01}).meta(0, 0x7F, {1})
        .meta(0, 0x00, {0, 1}).meta(0, 0x54, {1, 2, 3, 4, 5}).meta(0, 0x60, {1}).tempo(9, 1000000).end(1);
    MIDIMultiTrack store(64, true);
    load(store, cSmfBytes().header(1, 1, 96).track(t).bytes);
    const MIDIEventList* t0 = store.GetTrack(0);
    ASSERT_EQ(t0->GetCount(), 6);

    const auto* text = t0->GetEvent(0);
    EXPECT_EQ(text->status, 0xFF);
    EXPECT_EQ(text->byte1, 0x03);
    ASSERT_NE(text->GetSysEx(), nullptr);
    EXPECT_EQ(text->GetSysEx()->GetLength(), 4) << "no terminator stored";
    EXPECT_EQ(text->GetSysEx()->GetCapacity(), 4);

    const auto* sig = t0->GetEvent(1);
    EXPECT_EQ(sig->byte2, 6);
    EXPECT_EQ(sig->byte3, 8);
    ASSERT_NE(sig->GetSysEx(), nullptr);
    EXPECT_EQ(sig->GetSysEx()->GetLength(), 4);
    EXPECT_EQ(sig->GetSysEx()->GetBuf()[2], 24);
    EXPECT_EQ(sig->GetSysEx()->GetChecksum(), 6 + 3 + 24 + 8);

    const auto* key = t0->GetEvent(2);
    EXPECT_EQ(key->byte1, 0x59);
    EXPECT_EQ(key->byte2, 0xFE);

    const auto* sysex = t0->GetEvent(3);
    EXPECT_EQ(sysex->status, 0xF0);
    ASSERT_NE(sysex->GetSysEx(), nullptr);
    EXPECT_EQ(sysex->GetSysEx()->GetLength(), 3);
    EXPECT_EQ(sysex->GetSysEx()->GetBuf()[0], 0xF0);

    const auto* tempo = t0->GetEvent(4);
    EXPECT_TRUE(tempo->IsTempo());
    EXPECT_EQ(tempo->GetTempo32(), 1920);
    EXPECT_EQ(tempo->GetTime(), 9u);
    EXPECT_EQ(t0->GetEvent(5)->byte1, 0x2F);
    EXPECT_EQ(t0->GetEvent(5)->GetTime(), 10u);
}

TEST(StoredKinds, UnreadHeaderLeavesClocksAtZero)
{
    MIDIMultiTrack store(64, true);
    load(store, {'n', 'o', 't', ' ', 'm', 'i', 'd', 'i'});
    EXPECT_EQ(store.GetClksPerBeat(), 0);
    for (int c : trackCounts(store))
        EXPECT_EQ(c, 0);
}
