#include "smfkit/MIDIFileRead.h"

#include <cstddef>

namespace smfkit {

namespace {

constexpr uint32_t kHeaderId = 0x4D546864; // "MThd"
constexpr uint32_t kTrackId = 0x4D54726B;  // "MTrk"

// Data bytes that follow a status byte, by its high nibble.
constexpr int kDataBytes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 2, 0};

} // namespace

MIDIFileRead::MIDIFileRead(MIDIFileReadStream* in, MIDIFileEvents* sink, int capacity)
    : msgCapacity(capacity < 0 ? 0 : capacity), stream(in), events(sink)
{
    // One spare byte so the terminator after text data always fits.
    msgBuf = new uint8_t[static_cast<size_t>(msgCapacity) + 1];
}

MIDIFileRead::~MIDIFileRead()
{
    delete[] msgBuf;
}

void MIDIFileRead::ReportError(const char* text)
{
    events->OnError(text);
    abortParse = 1;
}

void MIDIFileRead::Fail(const char* text, uint64_t offset)
{
    if (!errorText) {
        errorText = text;
        errorOffset = offset;
    }
    ReportError(text);
}

bool MIDIFileRead::NextRun()
{
    runStartOffset += static_cast<uint64_t>(cur - runStart);
    const uint8_t* run = nullptr;
    size_t n = stream->ReadRun(&run);
    if (n > 0) {
        runStart = cur = run;
        runEnd = run + n;
        return true;
    }
    int c = stream->ReadChar();
    if (c < 0) {
        runStart = cur = runEnd = nullptr;
        return false;
    }
    single = static_cast<uint8_t>(c);
    runStart = cur = &single;
    runEnd = cur + 1;
    return true;
}

unsigned MIDIFileRead::Read16()
{
    unsigned hi = static_cast<unsigned>(ReadByte()) & 0xFF;
    unsigned lo = static_cast<unsigned>(ReadByte()) & 0xFF;
    return (hi << 8) | lo;
}

uint32_t MIDIFileRead::Read32()
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | (static_cast<uint32_t>(ReadByte()) & 0xFF);
    return value;
}

uint32_t MIDIFileRead::ReadVarLen()
{
    int c = ReadByte();
    if (c == -1)
        return 0;
    uint32_t value = static_cast<uint32_t>(c);
    if (c & 0x80) {
        value &= 0x7F;
        do {
            c = ReadByte();
            value = (value << 7) + (static_cast<uint32_t>(c) & 0x7F);
        } while ((c & 0x80) && !abortParse);
    }
    return value;
}

bool MIDIFileRead::FindChunk(uint32_t id, bool slide)
{
    uint32_t word = Read32();
    if (word == id)
        return true;
    if (!slide) {
        Fail(kChunkTypeError, GetBytesRead() >= 4 ? GetBytesRead() - 4 : 0);
        return false;
    }
    while (!abortParse) {
        word = (word << 8) | (static_cast<uint32_t>(ReadByte()) & 0xFF);
        if (word == id)
            return true;
    }
    return false;
}

int MIDIFileRead::ReadHeaderChunk()
{
    if (!FindChunk(kHeaderId, skipToHeader != 0) || abortParse)
        return 0;
    chunkBytesLeft = Read32();
    int f = static_cast<int>(Read16());
    int n = static_cast<int>(Read16());
    int d = static_cast<int>(Read16());
    if (abortParse)
        return 0;
    format = f;
    trackCount = n;
    division = d;
    events->OnHeader(format, trackCount, division);
    while (chunkBytesLeft > 0 && !abortParse)
        ReadByte();
    return trackCount;
}

bool MIDIFileRead::ParseFile()
{
    int n = ReadHeaderChunk();
    if (n < 1) {
        Fail(kNoTracks, GetBytesRead());
        return false;
    }
    for (curTrack = 0; curTrack < n; ++curTrack) {
        ReadTrackChunk();
        if (abortParse)
            return false;
    }
    return true;
}

int MIDIFileRead::ReadEventData(uint32_t length)
{
    // A length beyond the chunk's end wraps the target above the bytes
    // left: nothing is read and the event comes out empty.
    uint32_t target = chunkBytesLeft - length;
    int last = -2;
    while (chunkBytesLeft > target && !abortParse) {
        last = ReadByte();
        MsgAdd(last);
    }
    return last;
}

void MIDIFileRead::ReadTrackChunk()
{
    int status = 0;
    bool running = false;
    bool sysexPending = false;

    FindChunk(kTrackId, false);
    chunkBytesLeft = Read32();
    curTime = 0;
    events->OnTrackStart(curTrack);

    while (chunkBytesLeft > 0 && !abortParse) {
        uint32_t delta = ReadVarLen();
        events->OnDeltaTime(delta);
        curTime += delta;

        int c = ReadByte();
        if (c == -1)
            break;
        if (sysexPending && c != 0xF7)
            Fail(kSysExContinuationError, GetBytesRead() - 1);

        if (c < 0x80) {
            if (status == 0)
                Fail(kRunningStatusError, GetBytesRead() - 1);
            running = true;
        } else {
            status = c;
            running = false;
        }

        int needed = kDataBytes[(status >> 4) & 0x0F];
        if (needed > 0) {
            int data1 = running ? c : ReadByte();
            int data2 = needed == 2 ? ReadByte() : 0;
            MIDITimedMsg msg;
            msg.SetChannelMsg(static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
                              static_cast<uint8_t>(data2));
            msg.time = curTime;
            if (status >= 0x80 && status <= 0xEF)
                events->OnChannelMessage(msg);
            continue;
        }

        if (c == 0xFF) {
            int type = ReadByte();
            uint32_t length = ReadVarLen();
            MsgStart();
            ReadEventData(length);
            events->OnMetaEvent(curTime, type, msgLen, msgBuf);
        } else if (c == 0xF0) {
            uint32_t length = ReadVarLen();
            MsgStart();
            MsgAdd(0xF0);
            int last = ReadEventData(length);
            if (last == 0xF7 || sysexMerge == 0) {
                MIDISystemExclusive view(msgBuf, msgLen, msgLen, false);
                events->OnSysEx(curTime, view);
            } else {
                sysexPending = true;
            }
        } else if (c == 0xF7) {
            uint32_t length = ReadVarLen();
            if (!sysexPending)
                MsgStart();
            int last = ReadEventData(length);
            if (!sysexPending) {
                events->OnEscapedBytes(curTime, msgLen, msgBuf);
            } else if (last == 0xF7) {
                MIDISystemExclusive view(msgBuf, msgLen, msgLen, false);
                events->OnSysEx(curTime, view);
                sysexPending = false;
            }
        } else {
            Fail(kUnexpectedByte, GetBytesRead() - 1);
        }
    }
    events->OnTrackEnd(curTrack);
}

} // namespace smfkit
