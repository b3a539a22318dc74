// A reader sink for the tests that writes every callback it receives as a
// short line, so a test compares what the reader reported with a list.
// Channel messages go through the base dispatcher, meta events too, so the
// per-kind callbacks are what gets recorded.
#pragma once

#include "smfkit/MIDIFileEvents.h"

#include <cstdio>
#include <string>
#include <vector>

namespace smftest {

class cRecordingEvents : public smfkit::MIDIFileEvents {
public:
    std::vector<std::string> log;
    std::vector<std::string> errors;
    std::vector<uint8_t> lastData;

    static std::string hex(const uint8_t* data, int length)
    {
        std::string s;
        char b[4];
        for (int i = 0; i < length; ++i) {
            std::snprintf(b, sizeof b, "%02x", data[i]);
            s += b;
        }
        return s;
    }
    void add(const char* fmt, long a = 0, long b = 0, long c = 0, long d = 0)
    {
        char line[160];
        std::snprintf(line, sizeof line, fmt, a, b, c, d);
        log.push_back(line);
    }
    void channel(const char* kind, const smfkit::MIDITimedMsg& m)
    {
        char line[160];
        std::snprintf(line, sizeof line, "%s %02x %02x %02x @%lu", kind, m.status, m.byte1, m.byte2,
                      static_cast<unsigned long>(m.time));
        log.push_back(line);
    }

    void OnChannelMode(const smfkit::MIDITimedMsg& m) override { channel("mode", m); }
    void OnNoteOn(const smfkit::MIDITimedMsg& m) override { channel("on", m); }
    void OnNoteOff(const smfkit::MIDITimedMsg& m) override { channel("off", m); }
    void OnPolyPressure(const smfkit::MIDITimedMsg& m) override { channel("poly", m); }
    void OnPitchBend(const smfkit::MIDITimedMsg& m) override { channel("bend", m); }
    void OnProgramChange(const smfkit::MIDITimedMsg& m) override { channel("program", m); }
    void OnChannelPressure(const smfkit::MIDITimedMsg& m) override { channel("pressure", m); }
    void OnControlChange(const smfkit::MIDITimedMsg& m) override { channel("control", m); }
    void OnSysEx(uint32_t t, const smfkit::MIDISystemExclusive& ex) override
    {
        log.push_back("sysex " + hex(ex.GetBuf(), ex.GetLength()) + " @" + std::to_string(t));
        lastData.assign(ex.GetBuf(), ex.GetBuf() + ex.GetLength());
    }
    void OnEscapedBytes(uint32_t t, int length, const uint8_t* data) override
    {
        log.push_back("escaped " + hex(data, length) + " @" + std::to_string(t));
    }
    void OnOtherMeta(uint32_t t, int type, int length, const uint8_t* data) override
    {
        log.push_back("meta " + std::to_string(type) + " " + hex(data, length) + " @" + std::to_string(t));
        lastData.assign(data, data + length);
    }
    void OnSequenceNumber(uint32_t t, uint16_t n) override { add("sequence %ld @%ld", n, t); }
    void OnSmpteOffset(uint32_t t, uint8_t h, uint8_t m, uint8_t s, uint8_t, uint8_t) override
    {
        add("smpte %ld:%ld:%ld @%ld", h, m, s, t);
    }
    void OnTimeSignature(uint32_t t, uint8_t n, uint8_t d, uint8_t c, uint8_t q) override
    {
        char line[80];
        std::snprintf(line, sizeof line, "timesig %d %d %d %d @%lu", n, d, c, q, static_cast<unsigned long>(t));
        log.push_back(line);
    }
    void OnTempo(uint32_t t, uint32_t us) override { add("tempo %ld @%ld", static_cast<long>(us), t); }
    void OnKeySignature(uint32_t t, int8_t sharps, uint8_t minor) override
    {
        add("key %ld %ld @%ld", sharps, minor, t);
    }
    void OnSequencerSpecific(uint32_t t, int length, const uint8_t* data) override
    {
        log.push_back("specific " + hex(data, length) + " @" + std::to_string(t));
    }
    void OnText(uint32_t t, int type, int length, const uint8_t* text) override
    {
        // The terminator must sit right after the data.
        terminatorOk = terminatorOk && text[length] == 0;
        log.push_back("text " + std::to_string(type) + " '" +
                      std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length)) +
                      "' @" + std::to_string(t));
        lastData.assign(text, text + length);
    }
    void OnEndOfTrack(uint32_t t) override { add("eot @%ld", t); }
    void OnError(const char* text) override
    {
        errors.push_back(text);
        log.push_back(std::string("error ") + text);
    }
    void OnTrackStart(int track) override { add("start %ld", track); }
    void OnTrackEnd(int track) override { add("end %ld", track); }
    void OnHeader(int format, int tracks, int division) override
    {
        add("header %ld %ld %ld", format, tracks, division);
    }

    bool terminatorOk = true;
};

} // namespace smftest
