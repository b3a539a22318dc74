// MIDIFileRead: a strict, single-pass Standard MIDI File parser.
//
// It pulls every byte once from a MIDIFileReadStream, reports everything it
// finds in file order to a MIDIFileEvents sink and stores nothing itself:
//     MIDIFileReadStreamFile in("song.mid");
//     MyEvents sink;
//     MIDIFileRead reader(&in, &sink, 8192);
//     bool complete = reader.ParseFile();
// The first error (a fixed English text, see the k... texts) goes to the
// sink's OnError and stops the parse; what was delivered before stays
// delivered. A reader parses one stream once. Meta, sysex and escaped data
// longer than the message capacity is delivered cut to that capacity.
#pragma once

#include "smfkit/MIDIFile.h"
#include "smfkit/MIDIFileEvents.h"
#include "smfkit/MIDIFileReadStream.h"

#include <cstdint>

namespace smfkit {

class MIDIFileRead : public MIDIFile {
public:
    static constexpr const char* kStreamError = "Unexpected Stream Error";
    static constexpr const char* kChunkTypeError = "Error looking for chunk type";
    static constexpr const char* kNoTracks = "No Tracks";
    static constexpr const char* kRunningStatusError = "Unexpected Running Status";
    static constexpr const char* kSysExContinuationError = "Error after expected continuation of SysEx";
    static constexpr const char* kUnexpectedByte = "Unexpected Byte";

    MIDIFileRead(MIDIFileReadStream* stream, MIDIFileEvents* events, int msgCapacity);
    ~MIDIFileRead() override;
    MIDIFileRead(const MIDIFileRead&) = delete;
    MIDIFileRead& operator=(const MIDIFileRead&) = delete;

    // True when the header and every announced track chunk were read
    // without error.
    virtual bool ParseFile();
    // Reads the header chunk and returns its track count (0 on failure).
    virtual int ReadHeaderChunk();
    // Passes text to the sink and stops the parse.
    virtual void ReportError(const char* text);

    // Header values; 0 until a header has been read.
    int GetFormat() const { return format; }
    int GetNumTracks() const { return trackCount; }
    int GetDivision() const { return division; }

    bool GetAbort() const { return abortParse != 0; }
    // When set, a 0xF0 message that does not end with 0xF7 waits for 0xF7
    // continuation packets and is delivered once complete.
    void SetSysExMerge(bool merge) { sysexMerge = merge ? 1 : 0; }

private:
    int ReadByte();
    unsigned Read16();
    uint32_t Read32();
    uint32_t ReadVarLen();
    bool FindChunk(uint32_t id, bool slide);
    void ReadTrackChunk();
    void MsgStart() { msgLen = 0; }
    void MsgAdd(int byte)
    {
        if (msgLen < msgCapacity)
            msgBuf[msgLen++] = static_cast<uint8_t>(byte);
    }
    // Reads the data of a meta, sysex or escaped event of the given length
    // into the message buffer; returns the last byte read (-2 when none).
    int ReadEventData(uint32_t length);

    int sysexMerge = 0;
    uint32_t curTime = 0;
    int skipToHeader = 1;
    uint32_t chunkBytesLeft = 0;
    int curTrack = 0;
    int abortParse = 0;
    uint8_t* msgBuf;
    int msgCapacity;
    int msgLen = 0;
    int format = 0;
    int trackCount = 0;
    int division = 0;
    MIDIFileReadStream* stream;
    MIDIFileEvents* events;
};

} // namespace smfkit
