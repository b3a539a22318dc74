// MIDIFileReadStream: the byte source the reader pulls a file from.
//
// ReadChar returns the next byte as 0..255, or a negative value at the end
// of the data or on a failure (and keeps doing so). A source that holds its
// bytes in memory may also hand them out a run at a time: ReadRun points
// at the next bytes, moves past them and returns how many there are (0 at
// the end, or always 0 for a source that reads byte by byte, the default).
// The run stays valid until the next call on the source. The reader takes
// runs where it can and single bytes otherwise, so either way every byte is
// read once, in order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace smfkit {

class MIDIFileReadStream {
public:
    virtual ~MIDIFileReadStream() = default;
    virtual int ReadChar() = 0;
    virtual size_t ReadRun(const uint8_t** run)
    {
        (void)run;
        return 0;
    }
};

} // namespace smfkit
