#include "smfkit/MIDIStoredEvent.h"

#include <new>

namespace smfkit {

MIDIStoredEvent::MIDIStoredEvent(const MIDIStoredEvent& other)
    : MIDIShortMsg(other), sysex(nullptr), time(other.time)
{
    if (other.sysex)
        sysex = new (std::nothrow) MIDISystemExclusive(*other.sysex);
}

MIDIStoredEvent& MIDIStoredEvent::operator=(const MIDIStoredEvent& other)
{
    if (this == &other)
        return *this;
    MIDISystemExclusive* copy = nullptr;
    if (other.sysex)
        copy = new (std::nothrow) MIDISystemExclusive(*other.sysex);
    delete sysex;
    static_cast<MIDIShortMsg&>(*this) = other;
    sysex = copy;
    time = other.time;
    return *this;
}

MIDIStoredEvent::~MIDIStoredEvent()
{
    delete sysex;
}

void MIDIStoredEvent::Store(const MIDITimedMsg& msg, const MIDISystemExclusive* data)
{
    MIDISystemExclusive* copy = nullptr;
    if (data)
        copy = new (std::nothrow) MIDISystemExclusive(*data);
    delete sysex;
    status = msg.status;
    byte1 = msg.byte1;
    byte2 = msg.byte2;
    byte3 = msg.byte3;
    time = msg.time;
    sysex = copy;
}

} // namespace smfkit
