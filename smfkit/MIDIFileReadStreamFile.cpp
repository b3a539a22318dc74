#include "smfkit/MIDIFileReadStreamFile.h"

#include <cerrno>
#include <new>

namespace smfkit {

MIDIFileReadStreamFile::MIDIFileReadStreamFile(const char* path) : file(nullptr), block(nullptr)
{
    errno = 0;
    file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        openError = path && errno != 0 ? errno : ENOENT;
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
    errno = 0;
    blockLen = std::fread(block, 1, BlockSize, file);
    blockPos = 0;
    if (blockLen == 0) {
        if (std::ferror(file))
            readError = errno != 0 ? errno : EIO;
        // End of file or a read error: either way there is nothing more.
        ended = true;
        return false;
    }
    return true;
}

size_t MIDIFileReadStreamFile::ReadRun(const uint8_t** run)
{
    if (blockPos == blockLen && !Refill())
        return 0;
    *run = block + blockPos;
    size_t n = blockLen - blockPos;
    blockPos = blockLen;
    return n;
}

int MIDIFileReadStreamFile::ReadChar()
{
    if (blockPos == blockLen && !Refill())
        return -1;
    return block[blockPos++];
}

} // namespace smfkit
