// MIDIFileReadMultiTrack: the reader sink that fills a MIDIMultiTrack.
//
// Channel messages are routed by channel for format 0 files and for the
// first track chunk of any file (channel c goes to store track c + 1);
// otherwise, like every meta and system-exclusive event, they go to the
// store track with the chunk's index. Tempo, time and key signatures, text,
// end of track and system exclusive are kept; other meta events, escaped
// bytes and reader errors are dropped silently. Events for a track the
// store does not have, or that a full track cannot take, are dropped too.
//     MIDIMultiTrack store(64, true);
//     MIDIFileReadMultiTrack sink(&store);
//     MIDIFileRead reader(&in, &sink, 8192);
#pragma once

#include "smfkit/MIDIFileEvents.h"
#include "smfkit/MIDIMultiTrack.h"

#include <cstdint>

namespace smfkit {

class MIDIFileReadMultiTrack : public MIDIFileEvents {
public:
    explicit MIDIFileReadMultiTrack(MIDIMultiTrack* store);
    ~MIDIFileReadMultiTrack() override = default;

    // The tempo value a tempo event of usPerQuarter microseconds per
    // quarter note is stored with: beats per minute times 32, computed in
    // single precision and kept to 16 bits (0 microseconds counts as 1).
    static uint16_t TempoValue(uint32_t usPerQuarter);

    void OnSysEx(uint32_t time, const MIDISystemExclusive& ex) override;
    void OnEscapedBytes(uint32_t time, int length, const uint8_t* data) override;
    void OnOtherMeta(uint32_t time, int type, int length, const uint8_t* data) override;
    void OnSequenceNumber(uint32_t time, uint16_t number) override;
    void OnSmpteOffset(uint32_t time, uint8_t hours, uint8_t minutes, uint8_t seconds,
                       uint8_t frames, uint8_t subframes) override;
    void OnTimeSignature(uint32_t time, uint8_t numerator, uint8_t denominatorPower,
                         uint8_t clocksPerClick, uint8_t n32ndsPerQuarter) override;
    void OnTempo(uint32_t time, uint32_t usPerQuarter) override;
    void OnKeySignature(uint32_t time, int8_t sharps, uint8_t minor) override;
    void OnSequencerSpecific(uint32_t time, int length, const uint8_t* data) override;
    void OnText(uint32_t time, int type, int length, const uint8_t* text) override;
    void OnEndOfTrack(uint32_t time) override;
    void OnError(const char* text) override;
    void OnTrackStart(int track) override;
    void OnTrackEnd(int track) override;
    void OnHeader(int format, int trackCount, int division) override;
    void OnChannelMessage(const MIDITimedMsg& msg) override;

    int GetFormat() const { return format; }
    int GetNumTracks() const { return trackCount; }
    int GetDivision() const { return division; }

private:
    void AddEvent(int track, const MIDITimedMsg& msg, const MIDISystemExclusive* data);

    MIDIMultiTrack* store;
    int currentTrack = -1;
    int format = 0;
    int trackCount = 0;
    int division = 0;
};

} // namespace smfkit
