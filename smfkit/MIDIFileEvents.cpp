#include "smfkit/MIDIFileEvents.h"

namespace smfkit {

void MIDIFileEvents::OnChannelMode(const MIDITimedMsg&) {}
void MIDIFileEvents::OnNoteOn(const MIDITimedMsg&) {}
void MIDIFileEvents::OnNoteOff(const MIDITimedMsg&) {}
void MIDIFileEvents::OnPolyPressure(const MIDITimedMsg&) {}
void MIDIFileEvents::OnPitchBend(const MIDITimedMsg&) {}
void MIDIFileEvents::OnProgramChange(const MIDITimedMsg&) {}
void MIDIFileEvents::OnChannelPressure(const MIDITimedMsg&) {}
void MIDIFileEvents::OnControlChange(const MIDITimedMsg&) {}
void MIDIFileEvents::OnSysEx(uint32_t, const MIDISystemExclusive&) {}
void MIDIFileEvents::OnEscapedBytes(uint32_t, int, const uint8_t*) {}
void MIDIFileEvents::OnOtherMeta(uint32_t, int, int, const uint8_t*) {}
void MIDIFileEvents::OnSequenceNumber(uint32_t, uint16_t) {}
void MIDIFileEvents::OnSmpteOffset(uint32_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t) {}
void MIDIFileEvents::OnTimeSignature(uint32_t, uint8_t, uint8_t, uint8_t, uint8_t) {}
void MIDIFileEvents::OnTempo(uint32_t, uint32_t) {}
void MIDIFileEvents::OnKeySignature(uint32_t, int8_t, uint8_t) {}
void MIDIFileEvents::OnSequencerSpecific(uint32_t, int, const uint8_t*) {}
void MIDIFileEvents::OnText(uint32_t, int, int, const uint8_t*) {}
void MIDIFileEvents::OnEndOfTrack(uint32_t) {}
void MIDIFileEvents::OnError(const char*) {}
void MIDIFileEvents::OnTrackStart(int) {}
void MIDIFileEvents::OnTrackEnd(int) {}
void MIDIFileEvents::OnHeader(int, int, int) {}
void MIDIFileEvents::OnDeltaTime(uint32_t) {}

void MIDIFileEvents::OnMetaEvent(uint32_t time, int type, int length, uint8_t* data)
{
    // The fixed-layout types need this many data bytes; a shorter event is
    // malformed and goes to OnOtherMeta rather than being read past its end.
    auto fits = [length](int needed) { return length >= needed; };

    if (type >= 0x01 && type <= 0x0F) {
        data[length] = 0;
        OnText(time, type, length, data);
        return;
    }
    switch (type) {
    case 0x00:
        if (fits(2))
            return OnSequenceNumber(time, static_cast<uint16_t>((data[0] << 8) | data[1]));
        break;
    case 0x21:
    case 0x2E:
        return;
    case 0x2F:
        return OnEndOfTrack(time);
    case 0x51:
        if (fits(3))
            return OnTempo(time, (uint32_t(data[0]) << 16) | (uint32_t(data[1]) << 8) | data[2]);
        break;
    case 0x54:
        if (fits(5))
            return OnSmpteOffset(time, data[0], data[1], data[2], data[3], data[4]);
        break;
    case 0x58:
        if (fits(4))
            return OnTimeSignature(time, data[0], data[1], data[2], data[3]);
        break;
    case 0x59:
        if (fits(2))
            return OnKeySignature(time, static_cast<int8_t>(data[0]), data[1]);
        break;
    case 0x7F:
        return OnSequencerSpecific(time, length, data);
    default:
        break;
    }
    OnOtherMeta(time, type, length, data);
}

void MIDIFileEvents::OnChannelMessage(const MIDITimedMsg& msg)
{
    switch (msg.status & 0xF0) {
    case 0x80:
        OnNoteOff(msg);
        break;
    case 0x90:
        if (msg.byte2 == 0)
            OnNoteOff(msg);
        else
            OnNoteOn(msg);
        break;
    case 0xA0:
        OnPolyPressure(msg);
        break;
    case 0xB0:
        if (msg.byte1 >= 123)
            OnChannelMode(msg);
        else
            OnControlChange(msg);
        break;
    case 0xC0:
        OnProgramChange(msg);
        break;
    case 0xD0:
        OnChannelPressure(msg);
        break;
    case 0xE0:
        OnPitchBend(msg);
        break;
    default:
        break;
    }
}

} // namespace smfkit
