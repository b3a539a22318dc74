#include "smfkit/MIDIEventList.h"

#include <new>

namespace smfkit {

MIDIEventList::MIDIEventList(int initialCapacity)
{
    for (auto& b : blocks)
        b = nullptr;
    if (initialCapacity > 0)
        Grow(initialCapacity);
}

MIDIEventList::~MIDIEventList()
{
    for (auto& b : blocks) {
        delete[] b;
        b = nullptr;
    }
}

const MIDIStoredEvent* MIDIEventList::GetEvent(int i) const
{
    if (i < 0 || i >= count)
        return nullptr;
    return &blocks[i / kBlockSize][i % kBlockSize];
}

MIDIStoredEvent* MIDIEventList::GetEvent(int i)
{
    if (i < 0 || i >= count)
        return nullptr;
    return &blocks[i / kBlockSize][i % kBlockSize];
}

bool MIDIEventList::Grow(int n)
{
    if (n < 0)
        n = 0;
    int current = capacity / kBlockSize;
    int wanted = current + n / kBlockSize + 1;
    if (wanted >= kMaxBlocks)
        return false;
    for (int b = current; b < wanted; ++b) {
        blocks[b] = new (std::nothrow) MIDIStoredEvent[kBlockSize];
        if (!blocks[b])
            return false;
        capacity = (b + 1) * kBlockSize;
    }
    return true;
}

bool MIDIEventList::Append(const MIDITimedMsg& msg, const MIDISystemExclusive* data)
{
    if (count >= capacity && !Grow(kBlockSize))
        return false;
    blocks[count / kBlockSize][count % kBlockSize].Store(msg, data);
    ++count;
    return true;
}

} // namespace smfkit
