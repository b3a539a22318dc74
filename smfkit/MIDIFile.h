// MIDIFile: the common root of the reader and of its callback interface.
// It only gives both a virtual destructor.
#pragma once

namespace smfkit {

class MIDIFile {
public:
    virtual ~MIDIFile() = default;
};

} // namespace smfkit
