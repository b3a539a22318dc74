// MIDIFileReadStream: the byte source the reader pulls a file from.
//
// ReadChar returns the next byte as 0..255, or a negative value at the end
// of the data or on a failure (and keeps doing so). The reader asks for
// every byte through it, one at a time.
#pragma once

namespace smfkit {

class MIDIFileReadStream {
public:
    virtual ~MIDIFileReadStream() = default;
    virtual int ReadChar() = 0;
};

} // namespace smfkit
