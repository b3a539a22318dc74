// MIDISystemExclusive: a byte buffer for system-exclusive and meta data.
//
// Either a view over someone else's bytes (the reader hands its message
// buffer to OnSysEx this way, without giving it away) or a buffer of its own
// (sized or copied). Put adds a byte while there is room and silently drops
// it when the buffer is full; PutChecksum also adds the byte to a running
// sum modulo 256.
#pragma once

#include <cstdint>

namespace smfkit {

class MIDISystemExclusive {
public:
    // View: wraps buffer without copying; owns says whether the destructor
    // frees it (it must then come from new[]).
    MIDISystemExclusive(uint8_t* buffer, int capacity, int length, bool owns);
    // Sized: an owned, empty buffer of n bytes (capacity 0 if that fails).
    explicit MIDISystemExclusive(int n);
    // Copy: an owned buffer of other's capacity holding other's bytes.
    MIDISystemExclusive(const MIDISystemExclusive& other);
    MIDISystemExclusive& operator=(const MIDISystemExclusive&) = delete;
    virtual ~MIDISystemExclusive();

    void Put(int byte);
    void PutChecksum(int byte);

    const uint8_t* GetBuf() const { return buf; }
    int GetCapacity() const { return capacity; }
    int GetLength() const { return length; }
    uint8_t GetChecksum() const { return checksum; }

private:
    uint8_t* buf;
    int capacity;
    int length;
    uint8_t checksum;
    bool ownsBuffer;
};

} // namespace smfkit
