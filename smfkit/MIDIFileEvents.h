// MIDIFileEvents: the callbacks through which the reader reports a file.
//
// The reader calls them in file order. Every slot does nothing by default
// except two dispatchers: OnChannelMessage, which calls the per-kind
// channel callbacks, and OnMetaEvent, which decodes the meta types the
// library knows and calls their callbacks. A sink overrides what it needs.
// Data pointers point into the reader's message buffer and are valid only
// during the call.
#pragma once

#include "smfkit/MIDIFile.h"
#include "smfkit/MIDISystemExclusive.h"
#include "smfkit/MIDITimedMsg.h"

#include <cstdint>

namespace smfkit {

class MIDIFileEvents : public MIDIFile {
public:
    ~MIDIFileEvents() override = default;

    virtual void OnChannelMode(const MIDITimedMsg& msg);
    virtual void OnNoteOn(const MIDITimedMsg& msg);
    virtual void OnNoteOff(const MIDITimedMsg& msg);
    virtual void OnPolyPressure(const MIDITimedMsg& msg);
    virtual void OnPitchBend(const MIDITimedMsg& msg);
    virtual void OnProgramChange(const MIDITimedMsg& msg);
    virtual void OnChannelPressure(const MIDITimedMsg& msg);
    virtual void OnControlChange(const MIDITimedMsg& msg);
    virtual void OnSysEx(uint32_t time, const MIDISystemExclusive& ex);
    virtual void OnEscapedBytes(uint32_t time, int length, const uint8_t* data);
    virtual void OnOtherMeta(uint32_t time, int type, int length, const uint8_t* data);
    virtual void OnSequenceNumber(uint32_t time, uint16_t number);
    virtual void OnSmpteOffset(uint32_t time, uint8_t hours, uint8_t minutes, uint8_t seconds,
                               uint8_t frames, uint8_t subframes);
    virtual void OnTimeSignature(uint32_t time, uint8_t numerator, uint8_t denominatorPower,
                                 uint8_t clocksPerClick, uint8_t n32ndsPerQuarter);
    virtual void OnTempo(uint32_t time, uint32_t usPerQuarter);
    virtual void OnKeySignature(uint32_t time, int8_t sharps, uint8_t minor);
    virtual void OnSequencerSpecific(uint32_t time, int length, const uint8_t* data);
    // text is followed by a zero byte (not counted in length).
    virtual void OnText(uint32_t time, int type, int length, const uint8_t* text);
    virtual void OnEndOfTrack(uint32_t time);
    virtual void OnError(const char* text);
    virtual void OnTrackStart(int track);
    virtual void OnTrackEnd(int track);
    virtual void OnHeader(int format, int trackCount, int division);
    virtual void OnDeltaTime(uint32_t delta);
    // data must have room for one byte past length: text types get a zero
    // terminator stored there.
    virtual void OnMetaEvent(uint32_t time, int type, int length, uint8_t* data);
    virtual void OnChannelMessage(const MIDITimedMsg& msg);
};

} // namespace smfkit
