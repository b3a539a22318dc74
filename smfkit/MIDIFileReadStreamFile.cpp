#include "smfkit/MIDIFileReadStreamFile.h"

#include <new>

namespace smfkit {

MIDIFileReadStreamFile::MIDIFileReadStreamFile(const char* path)
    : file(path ? std::fopen(path, "rb") : nullptr), block(nullptr)
{
    if (file)
        block = new (std::nothrow) unsigned char[BlockSize];
    if (!block)
        ended = true;
}

MIDIFileReadStreamFile::~MIDIFileReadStreamFile()
{
    if (file)
        std::fclose(file);
    delete[] block;
}

bool MIDIFileReadStreamFile::Refill()
{
    if (ended)
        return false;
    blockLen = std::fread(block, 1, BlockSize, file);
    blockPos = 0;
    if (blockLen == 0) {
        // End of file or a read error: either way there is nothing more.
        ended = true;
        return false;
    }
    return true;
}

int MIDIFileReadStreamFile::ReadChar()
{
    if (blockPos == blockLen && !Refill())
        return -1;
    return block[blockPos++];
}

} // namespace smfkit
