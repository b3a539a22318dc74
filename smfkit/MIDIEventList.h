// MIDIEventList: one track of the multi-track store.
//
// Events are kept in arrival order in fixed blocks of 512, reached through a
// table of 512 block pointers, so the list grows without moving what it
// holds and event i is one division and one table access away. When full,
// Append grows the list by 512 (which adds two blocks); the table caps a
// list at 510 blocks (261120 events), after which events are dropped.
#pragma once

#include "smfkit/MIDIStoredEvent.h"
#include "smfkit/MIDISystemExclusive.h"
#include "smfkit/MIDITimedMsg.h"

namespace smfkit {

class MIDIEventList {
public:
    static constexpr int kBlockSize = 512;
    static constexpr int kMaxBlocks = 512;
    // The most events a list grown from empty holds: growing by 512 adds
    // two blocks at a time and stops short of kMaxBlocks.
    static constexpr int kMaxEvents = (kMaxBlocks - 2) * kBlockSize;

    explicit MIDIEventList(int initialCapacity = 0);
    ~MIDIEventList();
    MIDIEventList(const MIDIEventList&) = delete;
    MIDIEventList& operator=(const MIDIEventList&) = delete;

    int GetCount() const { return count; }
    int GetCapacity() const { return capacity; }
    // Null for an index outside 0..count-1.
    const MIDIStoredEvent* GetEvent(int i) const;
    MIDIStoredEvent* GetEvent(int i);

    // Stores msg (and a deep copy of data, if any) after the last event.
    // False when the list is full and cannot grow: the event is dropped.
    bool Append(const MIDITimedMsg& msg, const MIDISystemExclusive* data = nullptr);
    // Adds blocks for at least n more events: the block count becomes the
    // current one plus n / 512 + 1. False, with nothing changed, when that
    // reaches 512 blocks; false too when an allocation fails, keeping the
    // blocks allocated so far.
    bool Grow(int n);

private:
    MIDIStoredEvent* blocks[kMaxBlocks];
    int capacity = 0;
    int count = 0;
};

} // namespace smfkit
