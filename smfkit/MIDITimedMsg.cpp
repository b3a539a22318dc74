#include "smfkit/MIDITimedMsg.h"

namespace smfkit {

void MIDITimedMsg::Clear()
{
    status = byte1 = byte2 = byte3 = 0;
    time = 0;
}

void MIDITimedMsg::SetChannelMsg(uint8_t statusByte, uint8_t data1, uint8_t data2)
{
    Clear();
    status = statusByte;
    byte1 = data1;
    byte2 = data2;
}

void MIDITimedMsg::SetSysEx()
{
    Clear();
    status = 0xF0;
}

void MIDITimedMsg::SetTempo(uint16_t bpm32)
{
    Clear();
    status = 0xFF;
    byte1 = 0x51;
    byte2 = static_cast<uint8_t>(bpm32 & 0xFF);
    byte3 = static_cast<uint8_t>(bpm32 >> 8);
}

void MIDITimedMsg::SetEndOfTrack()
{
    Clear();
    status = 0xFF;
    byte1 = 0x2F;
}

void MIDITimedMsg::SetTimeSig(uint8_t numerator, uint8_t denominatorPower)
{
    Clear();
    status = 0xFF;
    byte1 = 0x58;
    byte2 = numerator;
    byte3 = denominatorPower < 8 ? static_cast<uint8_t>(1u << denominatorPower) : 0;
}

void MIDITimedMsg::SetKeySig(int8_t sharps, uint8_t minor)
{
    Clear();
    status = 0xFF;
    byte1 = 0x59;
    byte2 = static_cast<uint8_t>(sharps);
    byte3 = minor;
}

void MIDITimedMsg::SetMetaEvent(uint8_t type)
{
    Clear();
    status = 0xFF;
    byte1 = type;
}

} // namespace smfkit
