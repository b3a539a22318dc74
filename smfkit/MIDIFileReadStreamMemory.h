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

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

} // namespace smfkit
