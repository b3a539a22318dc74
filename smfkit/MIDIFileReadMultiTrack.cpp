#include "smfkit/MIDIFileReadMultiTrack.h"

namespace smfkit {

MIDIFileReadMultiTrack::MIDIFileReadMultiTrack(MIDIMultiTrack* target) : store(target) {}

uint16_t MIDIFileReadMultiTrack::TempoValue(uint32_t usPerQuarter)
{
    if (usPerQuarter == 0)
        usPerQuarter = 1;
    float beatsPerSecond = static_cast<float>(1000000.0 / usPerQuarter);
    float beatsPerMinute = static_cast<float>(beatsPerSecond * 60.0);
    // At most 60000000 * 32, well inside 64 bits; tempos of 2048 beats per
    // minute and above wrap in the 16-bit value.
    int64_t value = static_cast<int64_t>(beatsPerMinute * 32.0f);
    return static_cast<uint16_t>(value & 0xFFFF);
}

void MIDIFileReadMultiTrack::AddEvent(int track, const MIDITimedMsg& msg,
                                      const MIDISystemExclusive* data)
{
    if (track < 0 || track >= store->GetNumTracks())
        return;
    MIDIEventList* list = store->GetTrack(track);
    if (!list)
        return;
    list->Append(msg, data);
}

void MIDIFileReadMultiTrack::OnSysEx(uint32_t time, const MIDISystemExclusive& ex)
{
    MIDITimedMsg msg;
    msg.SetSysEx();
    msg.time = time;
    AddEvent(currentTrack, msg, &ex);
}

void MIDIFileReadMultiTrack::OnEscapedBytes(uint32_t, int, const uint8_t*) {}
void MIDIFileReadMultiTrack::OnOtherMeta(uint32_t, int, int, const uint8_t*) {}
void MIDIFileReadMultiTrack::OnSequenceNumber(uint32_t, uint16_t) {}
void MIDIFileReadMultiTrack::OnSmpteOffset(uint32_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t) {}
void MIDIFileReadMultiTrack::OnSequencerSpecific(uint32_t, int, const uint8_t*) {}
void MIDIFileReadMultiTrack::OnError(const char*) {}

void MIDIFileReadMultiTrack::OnTimeSignature(uint32_t time, uint8_t numerator,
                                             uint8_t denominatorPower, uint8_t clocksPerClick,
                                             uint8_t n32ndsPerQuarter)
{
    MIDITimedMsg msg;
    msg.SetTimeSig(numerator, denominatorPower);
    msg.time = time;
    MIDISystemExclusive data(4);
    data.PutChecksum(numerator);
    data.PutChecksum(denominatorPower);
    data.PutChecksum(clocksPerClick);
    data.PutChecksum(n32ndsPerQuarter);
    AddEvent(currentTrack, msg, &data);
}

void MIDIFileReadMultiTrack::OnTempo(uint32_t time, uint32_t usPerQuarter)
{
    MIDITimedMsg msg;
    msg.SetTempo(TempoValue(usPerQuarter));
    msg.time = time;
    AddEvent(currentTrack, msg, nullptr);
}

void MIDIFileReadMultiTrack::OnKeySignature(uint32_t time, int8_t sharps, uint8_t minor)
{
    MIDITimedMsg msg;
    msg.SetKeySig(sharps, minor);
    msg.time = time;
    AddEvent(currentTrack, msg, nullptr);
}

void MIDIFileReadMultiTrack::OnText(uint32_t time, int type, int length, const uint8_t* text)
{
    MIDITimedMsg msg;
    msg.SetMetaEvent(static_cast<uint8_t>(type));
    msg.time = time;
    MIDISystemExclusive data(length);
    for (int i = 0; i < length; ++i)
        data.Put(text[i]);
    AddEvent(currentTrack, msg, &data);
}

void MIDIFileReadMultiTrack::OnEndOfTrack(uint32_t time)
{
    MIDITimedMsg msg;
    msg.SetEndOfTrack();
    msg.time = time;
    AddEvent(currentTrack, msg, nullptr);
}

void MIDIFileReadMultiTrack::OnTrackStart(int track)
{
    currentTrack = track;
}

void MIDIFileReadMultiTrack::OnTrackEnd(int)
{
    currentTrack = -1;
}

void MIDIFileReadMultiTrack::OnHeader(int f, int n, int d)
{
    format = f;
    trackCount = n;
    division = d;
    store->SetClksPerBeat(d);
}

void MIDIFileReadMultiTrack::OnChannelMessage(const MIDITimedMsg& msg)
{
    int target = currentTrack;
    if (format == 0 || currentTrack == 0)
        target = msg.GetChannel() + 1;
    AddEvent(target, msg, nullptr);
}

} // namespace smfkit
