// MIDIFileReadStreamMemory: a byte source over bytes already in memory
// (tests, fuzzing, files read in one piece). It does not copy or own the
// bytes; they must outlive the stream.
//     MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
#pragma once

#include "smfkit/MIDIFileReadStream.h"

#include <cstddef>
#include <cstdint>

namespace smfkit {

class MIDIFileReadStreamMemory : public MIDIFileReadStream {
public:
    MIDIFileReadStreamMemory(const uint8_t* data, size_t size) : data(data), size(size) {}

    int ReadChar() override { return pos < size ? data[pos++] : -1; }
    size_t ReadRun(const uint8_t** run) override
    {
        *run = data + pos;
        size_t n = size - pos;
        pos = size;
        return n;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

} // namespace smfkit
