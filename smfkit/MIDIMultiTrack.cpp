#include "smfkit/MIDIMultiTrack.h"

#include <cstddef>

namespace smfkit {

MIDIMultiTrack::MIDIMultiTrack(int count, bool owns)
    : trackCount(count < 0 ? 0 : count), ownsTracks(owns)
{
    tracks = new MIDIEventList*[static_cast<size_t>(trackCount)];
    for (int i = 0; i < trackCount; ++i)
        tracks[i] = owns ? new MIDIEventList(0) : nullptr;
}

MIDIMultiTrack::~MIDIMultiTrack()
{
    if (ownsTracks) {
        for (int i = 0; i < trackCount; ++i)
            delete tracks[i];
    }
    delete[] tracks;
}

} // namespace smfkit
