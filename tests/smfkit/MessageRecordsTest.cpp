// Message records: kind tests, builders, stored events and data buffers.
#include "smfkit/MIDIStoredEvent.h"
#include "smfkit/MIDISystemExclusive.h"
#include "smfkit/MIDITimedMsg.h"

#include <gtest/gtest.h>

#include <memory>

using smfkit::MIDIStoredEvent;
using smfkit::MIDISystemExclusive;
using smfkit::MIDITimedMsg;

TEST(MessageKinds, VelocityZeroNoteOnIsANoteOff)
{
    MIDITimedMsg m;
    m.SetChannelMsg(0x93, 60, 0);
    EXPECT_FALSE(m.IsNoteOn());
    EXPECT_TRUE(m.IsNoteOff());
    m.SetChannelMsg(0x93, 60, 1);
    EXPECT_TRUE(m.IsNoteOn());
    EXPECT_FALSE(m.IsNoteOff());
    m.SetChannelMsg(0x8F, 60, 99);
    EXPECT_TRUE(m.IsNoteOff());
    EXPECT_EQ(m.GetChannel(), 15);
    m.SetChannelMsg(0xA0, 60, 0);
    EXPECT_FALSE(m.IsNoteOff());
    EXPECT_FALSE(m.IsNoteOn());
}

TEST(MessageKinds, ChannelRangeAndTempo)
{
    MIDITimedMsg m;
    m.SetChannelMsg(0xEF, 0, 0);
    EXPECT_TRUE(m.IsChannelMsg());
    m.SetSysEx();
    EXPECT_FALSE(m.IsChannelMsg());
    m.SetTempo(3840);
    EXPECT_TRUE(m.IsTempo());
    EXPECT_FALSE(m.IsChannelMsg());
    m.SetMetaEvent(0x51);
    EXPECT_TRUE(m.IsTempo()) << "the kind test looks at the bytes only";
    m.SetEndOfTrack();
    EXPECT_FALSE(m.IsTempo());
}

TEST(MessageBuilders, TempoValueReadsBackUnsigned)
{
    MIDITimedMsg m;
    m.SetTempo(65535);
    EXPECT_EQ(m.GetTempo32(), 65535);
    m.SetTempo(3840);
    EXPECT_EQ(m.byte2, 0x00);
    EXPECT_EQ(m.byte3, 0x0F);
    EXPECT_EQ(m.GetTempo32(), 3840);
}

TEST(MessageBuilders, TimeSignatureDenominator)
{
    MIDITimedMsg m;
    m.SetTimeSig(6, 3);
    EXPECT_EQ(m.byte2, 6);
    EXPECT_EQ(m.byte3, 8);
    m.SetTimeSig(3, 7);
    EXPECT_EQ(m.byte3, 128);
    for (int exponent : {8, 9, 31, 32, 200, 255}) {
        m.SetTimeSig(3, static_cast<uint8_t>(exponent));
        EXPECT_EQ(m.byte3, 0) << exponent;
    }
}

TEST(MessageBuilders, EveryBuilderClearsWhatCameBefore)
{
    MIDITimedMsg m;
    m.SetTempo(0xFFFF);
    m.time = 1234;
    m.SetSysEx();
    EXPECT_EQ(m.byte1, 0);
    EXPECT_EQ(m.byte2, 0);
    EXPECT_EQ(m.byte3, 0);
    EXPECT_EQ(m.time, 0u);
    m.SetKeySig(-3, 1);
    EXPECT_EQ(m.byte2, 0xFD);
    EXPECT_EQ(m.byte3, 1);
    m.SetChannelMsg(0x90, 1, 2);
    EXPECT_EQ(m.byte3, 0);
}

TEST(DataBuffer, FullBufferDropsFurtherBytes)
{
    MIDISystemExclusive ex(3);
    EXPECT_EQ(ex.GetCapacity(), 3);
    for (int b : {1, 2, 3, 4, 5})
        ex.Put(b);
    EXPECT_EQ(ex.GetLength(), 3);
    EXPECT_EQ(ex.GetBuf()[2], 3);
}

TEST(DataBuffer, ChecksumIsASumModulo256)
{
    MIDISystemExclusive ex(4);
    ex.PutChecksum(0x80);
    ex.PutChecksum(0x90);
    ex.PutChecksum(0x1FF);
    EXPECT_EQ(ex.GetBuf()[2], 0xFF);
    EXPECT_EQ(ex.GetChecksum(), static_cast<uint8_t>(0x80 + 0x90 + 0xFF));
    ex.Put(0x10);
    EXPECT_EQ(ex.GetChecksum(), static_cast<uint8_t>(0x80 + 0x90 + 0xFF));
}

TEST(DataBuffer, CopyOwnsItsBytes)
{
    uint8_t bytes[] = {0xF0, 0x43, 0xF7};
    MIDISystemExclusive view(bytes, 3, 3, false);
    MIDISystemExclusive copy(view);
    bytes[1] = 0;
    EXPECT_NE(copy.GetBuf(), view.GetBuf());
    EXPECT_EQ(copy.GetLength(), 3);
    EXPECT_EQ(copy.GetBuf()[1], 0x43);
}

TEST(StoredEvents, StoreDeepCopiesAndReplacesTheBuffer)
{
    MIDITimedMsg m;
    m.SetMetaEvent(0x03);
    m.time = 77;
    MIDIStoredEvent ev;
    {
        MIDISystemExclusive text(2);
        text.Put('h');
        text.Put('i');
        ev.Store(m, &text);
    }
    ASSERT_NE(ev.GetSysEx(), nullptr);
    EXPECT_EQ(ev.GetSysEx()->GetLength(), 2);
    EXPECT_EQ(ev.GetSysEx()->GetBuf()[1], 'i');
    EXPECT_EQ(ev.GetTime(), 77u);
    EXPECT_EQ(ev.byte1, 0x03);

    m.SetTempo(1920);
    ev.Store(m, nullptr);
    EXPECT_EQ(ev.GetSysEx(), nullptr);
    EXPECT_TRUE(ev.IsTempo());
    EXPECT_EQ(ev.GetTime(), 0u);
}

TEST(StoredEvents, CopiesAreIndependent)
{
    MIDITimedMsg m;
    m.SetSysEx();
    MIDISystemExclusive data(3);
    data.Put(0xF0);
    data.Put(0x7E);
    data.Put(0xF7);
    auto original = std::make_unique<MIDIStoredEvent>();
    original->Store(m, &data);

    MIDIStoredEvent copy(*original);
    MIDIStoredEvent assigned;
    assigned = *original;
    original.reset();
    ASSERT_NE(copy.GetSysEx(), nullptr);
    ASSERT_NE(assigned.GetSysEx(), nullptr);
    EXPECT_NE(copy.GetSysEx(), assigned.GetSysEx());
    EXPECT_EQ(copy.GetSysEx()->GetBuf()[1], 0x7E);
    EXPECT_EQ(assigned.GetSysEx()->GetBuf()[2], 0xF7);
    const MIDIStoredEvent& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetSysEx()->GetLength(), 3);
}
