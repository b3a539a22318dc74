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
// After a failed parse, GetErrorText and GetErrorOffset say what stopped it
// and where, so a caller can tell its user which part of a file was lost.
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
    // The first error's text (null while there was none) and the byte
    // offset, from the start of the stream, where reading stopped: the
    // offset of the byte that raised it ("Unexpected Byte", "Unexpected
    // Running Status", a sysex continuation error), of the four bytes that
    // should have named a track chunk, or, for a stream error, of the first
    // byte that could not be read (the stream's length for a cut-off file).
    // "No Tracks" after a header read whole stands at the end of the header.
    const char* GetErrorText() const { return errorText; }
    uint64_t GetErrorOffset() const { return errorOffset; }
    // Bytes taken from the stream so far.
    uint64_t GetBytesRead() const { return runStartOffset + static_cast<uint64_t>(cur - runStart); }
    // When set, a 0xF0 message that does not end with 0xF7 waits for 0xF7
    // continuation packets and is delivered once complete.
    void SetSysExMerge(bool merge) { sysexMerge = merge ? 1 : 0; }

private:
    // The next byte of the stream (counted against chunkBytesLeft), or -1
    // after reporting a stream error. Bytes come from the current run; the
    // stream is asked only when the run is used up.
    int ReadByte()
    {
        if (cur == runEnd && !NextRun()) {
            Fail(kStreamError, GetBytesRead());
            return -1;
        }
        --chunkBytesLeft;
        return *cur++;
    }
    // Takes the next run from the stream, or its next single byte.
    bool NextRun();
    // Records the first error's text and offset, then reports it.
    void Fail(const char* text, uint64_t offset);
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
    // The bytes being read: [cur, runEnd) is what is left of the current
    // run, which started at runStart, runStartOffset bytes into the stream.
    const uint8_t* cur = nullptr;
    const uint8_t* runEnd = nullptr;
    const uint8_t* runStart = nullptr;
    uint64_t runStartOffset = 0;
    uint8_t single = 0;
    const char* errorText = nullptr;
    uint64_t errorOffset = 0;
};

} // namespace smfkit
