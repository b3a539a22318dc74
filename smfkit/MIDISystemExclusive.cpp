#include "smfkit/MIDISystemExclusive.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace smfkit {

MIDISystemExclusive::MIDISystemExclusive(uint8_t* buffer, int cap, int len, bool owns)
    : buf(buffer), capacity(cap < 0 ? 0 : cap), length(len < 0 ? 0 : len), checksum(0),
      ownsBuffer(owns)
{
    if (length > capacity)
        length = capacity;
}

MIDISystemExclusive::MIDISystemExclusive(int n)
    : buf(nullptr), capacity(0), length(0), checksum(0), ownsBuffer(true)
{
    if (n > 0) {
        buf = new (std::nothrow) uint8_t[n];
        if (buf)
            capacity = n;
    }
}

MIDISystemExclusive::MIDISystemExclusive(const MIDISystemExclusive& other)
    : MIDISystemExclusive(other.capacity)
{
    int n = other.length < capacity ? other.length : capacity;
    if (n > 0)
        std::memcpy(buf, other.buf, static_cast<size_t>(n));
    length = n;
    checksum = other.checksum;
}

MIDISystemExclusive::~MIDISystemExclusive()
{
    if (ownsBuffer)
        delete[] buf;
}

void MIDISystemExclusive::Put(int byte)
{
    if (length < capacity)
        buf[length++] = static_cast<uint8_t>(byte);
}

void MIDISystemExclusive::PutChecksum(int byte)
{
    if (length < capacity) {
        uint8_t b = static_cast<uint8_t>(byte);
        buf[length++] = b;
        checksum = static_cast<uint8_t>(checksum + b);
    }
}

} // namespace smfkit
