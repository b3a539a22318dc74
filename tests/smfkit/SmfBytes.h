// Builders for Standard MIDI File bytes in memory, for the tests.
//     cTrackBytes t;
//     t.tempo(0, 500000).noteOn(480, 0, 60, 64).noteOff(480, 0, 60).end();
//     std::vector<uint8_t> file = cSmfBytes().header(1, 1, 480).track(t).bytes;
// raw() appends bytes as they stand, for damaged files.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace smftest {

inline std::vector<uint8_t> varLen(uint32_t value)
{
    std::vector<uint8_t> out{static_cast<uint8_t>(value & 0x7F)};
    while (value >>= 7)
        out.insert(out.begin(), static_cast<uint8_t>((value & 0x7F) | 0x80));
    return out;
}

inline void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<uint8_t>(v >> s));
}

struct cTrackBytes {
    std::vector<uint8_t> data;

    cTrackBytes& raw(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            data.push_back(static_cast<uint8_t>(b));
        return *this;
    }
    cTrackBytes& delta(uint32_t ticks)
    {
        auto v = varLen(ticks);
        data.insert(data.end(), v.begin(), v.end());
        return *this;
    }
    cTrackBytes& event(uint32_t ticks, std::initializer_list<int> bytes)
    {
        return delta(ticks).raw(bytes);
    }
    cTrackBytes& noteOn(uint32_t ticks, int channel, int note, int velocity = 64)
    {
        return event(ticks, {0x90 | channel, note, velocity});
    }
    cTrackBytes& noteOff(uint32_t ticks, int channel, int note)
    {
        return event(ticks, {0x80 | channel, note, 0});
    }
    cTrackBytes& meta(uint32_t ticks, int type, const std::vector<uint8_t>& payload)
    {
        delta(ticks).raw({0xFF, type});
        auto len = varLen(static_cast<uint32_t>(payload.size()));
        data.insert(data.end(), len.begin(), len.end());
        data.insert(data.end(), payload.begin(), payload.end());
        return *this;
    }
    cTrackBytes& text(uint32_t ticks, int type, const std::string& s)
    {
        return meta(ticks, type, std::vector<uint8_t>(s.begin(), s.end()));
    }
    cTrackBytes& tempo(uint32_t ticks, uint32_t usPerQuarter)
    {
        return meta(ticks, 0x51,
                    {static_cast<uint8_t>(usPerQuarter >> 16), static_cast<uint8_t>(usPerQuarter >> 8),
                     static_cast<uint8_t>(usPerQuarter)});
    }
    cTrackBytes& end(uint32_t ticks = 0) { return meta(ticks, 0x2F, {}); }
};

struct cSmfBytes {
    std::vector<uint8_t> bytes;

    cSmfBytes& raw(std::initializer_list<int> list)
    {
        for (int b : list)
            bytes.push_back(static_cast<uint8_t>(b));
        return *this;
    }
    cSmfBytes& header(int format, int tracks, int division, uint32_t length = 6)
    {
        raw({'M', 'T', 'h', 'd'});
        put32(bytes, length);
        for (int v : {format, tracks, division}) {
            bytes.push_back(static_cast<uint8_t>(v >> 8));
            bytes.push_back(static_cast<uint8_t>(v));
        }
        return *this;
    }
    // A track chunk; length overrides the true length when given.
    cSmfBytes& track(const cTrackBytes& t, int64_t length = -1)
    {
        raw({'M', 'T', 'r', 'k'});
        put32(bytes, length < 0 ? static_cast<uint32_t>(t.data.size()) : static_cast<uint32_t>(length));
        bytes.insert(bytes.end(), t.data.begin(), t.data.end());
        return *this;
    }
};

} // namespace smftest
