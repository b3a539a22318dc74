// MIDIStoredEvent: one event as a track of the multi-track store keeps it.
//
// The four message bytes, the absolute time in ticks and, for events that
// carry data (system exclusive, text, time signature), a buffer the event
// owns. Store copies a timed message in and deep-copies the given buffer;
// copying an event copies its buffer too, so events never share data.
#pragma once

#include "smfkit/MIDIShortMsg.h"
#include "smfkit/MIDISystemExclusive.h"
#include "smfkit/MIDITimedMsg.h"

#include <cstdint>

namespace smfkit {

struct MIDIStoredEvent : MIDIShortMsg {
    MIDISystemExclusive* sysex = nullptr;
    uint32_t time = 0;

    MIDIStoredEvent() = default;
    MIDIStoredEvent(const MIDIStoredEvent& other);
    MIDIStoredEvent& operator=(const MIDIStoredEvent& other);
    ~MIDIStoredEvent();

    // Copies msg's bytes and time; replaces any buffer held by a copy of
    // data (none when data is null). The caller keeps data.
    void Store(const MIDITimedMsg& msg, const MIDISystemExclusive* data);

    const MIDISystemExclusive* GetSysEx() const { return sysex; }
    uint32_t GetTime() const { return time; }
};

} // namespace smfkit
