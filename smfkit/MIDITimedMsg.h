// MIDITimedMsg: a MIDIShortMsg with its absolute time in ticks.
//
// The reader builds one for every channel message it decodes; the
// multi-track sink builds the meta kinds it keeps with the Set... builders.
// Every builder first clears the four bytes and the time, so
//     MIDITimedMsg m; m.SetTempo(3840); m.time = t;
// gives a message that carries nothing from an earlier use.
#pragma once

#include "smfkit/MIDIShortMsg.h"

#include <cstdint>

namespace smfkit {

struct MIDITimedMsg : MIDIShortMsg {
    uint32_t time = 0;

    void Clear();
    void SetChannelMsg(uint8_t statusByte, uint8_t data1, uint8_t data2);
    void SetSysEx();
    void SetTempo(uint16_t bpm32);
    void SetEndOfTrack();
    // The denominator byte is 2 to the power of denominatorPower, kept to
    // its low 8 bits (an exponent of 8 or more stores 0).
    void SetTimeSig(uint8_t numerator, uint8_t denominatorPower);
    void SetKeySig(int8_t sharps, uint8_t minor);
    void SetMetaEvent(uint8_t type);
};

} // namespace smfkit
