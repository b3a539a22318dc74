// MIDIFileReadStreamFile: a byte source on a file, opened by path in
// binary mode. A file that cannot be opened is not an error here: the
// stream simply has no data, so the reader reports a stream error.
//     MIDIFileReadStreamFile in("song.mid");
// Bytes are fetched from the file in large blocks and handed out a block at
// a time (ReadRun) or one by one (ReadChar).
#pragma once

#include "smfkit/MIDIFileReadStream.h"

#include <cstdio>
#include <cstddef>

namespace smfkit {

class MIDIFileReadStreamFile : public MIDIFileReadStream {
public:
    explicit MIDIFileReadStreamFile(const char* path);
    ~MIDIFileReadStreamFile() override;
    MIDIFileReadStreamFile(const MIDIFileReadStreamFile&) = delete;
    MIDIFileReadStreamFile& operator=(const MIDIFileReadStreamFile&) = delete;

    int ReadChar() override;
    size_t ReadRun(const uint8_t** run) override;
    bool IsValid() const { return file != nullptr; }
    // The system's error number for a path that could not be opened (0
    // when it was opened).
    int GetOpenError() const { return openError; }
    // The system's error number of a read that failed before the end of
    // the file (0 when none did).
    int GetReadError() const { return readError; }

private:
    bool Refill();

    static constexpr size_t BlockSize = 65536;
    std::FILE* file;
    unsigned char* block;
    size_t blockLen = 0;
    size_t blockPos = 0;
    bool ended = false;
    int openError = 0;
    int readError = 0;
};

} // namespace smfkit
