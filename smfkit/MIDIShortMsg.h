// MIDIShortMsg: one MIDI message as four bytes.
//
// status is the status byte (0x80..0xEF channel messages, 0xF0 system
// exclusive, 0xFF meta events), byte1 and byte2 the data bytes and byte3 a
// third byte that only meta events use (the high byte of a tempo value).
// The kind tests look at these four bytes alone, so they answer the same for
// a timed message and for a stored event.
#pragma once

#include <cstdint>

namespace smfkit {

struct MIDIShortMsg {
    uint8_t status = 0;
    uint8_t byte1 = 0;
    uint8_t byte2 = 0;
    uint8_t byte3 = 0;

    bool IsNoteOn() const { return (status & 0xF0) == 0x90 && byte2 != 0; }
    bool IsNoteOff() const
    {
        return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && byte2 == 0);
    }
    bool IsTempo() const { return status == 0xFF && byte1 == 0x51; }
    bool IsChannelMsg() const { return status >= 0x80 && status <= 0xEF; }

    uint8_t GetChannel() const { return status & 0x0F; }
    uint8_t GetNote() const { return byte1; }
    uint8_t GetVelocity() const { return byte2; }
    // Beats per minute times 32, as the tempo builder stored it.
    uint16_t GetTempo32() const { return static_cast<uint16_t>(byte2 | (byte3 << 8)); }
};

} // namespace smfkit
