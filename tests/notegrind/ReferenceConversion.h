// The conversion written the plain way, as the yardstick for the real one:
// the file is read into the library's multi-track store through its own
// sink, then walked track by track with a linear tempo-map search, an
// ordered map of open notes, the time formula spelt out in doubles, and
// every number printed through a standard stream. Slow and obvious; the
// real conversion (one pass, no store, hand-made number printing, cached
// lookups) must give the same report and note list byte for byte.
//     ngtest::sReference r = ngtest::referenceConvert(bytes, "song.mid");
#pragma once

#include "smfkit/MIDIFileRead.h"
#include "smfkit/MIDIFileReadMultiTrack.h"
#include "smfkit/MIDIFileReadStreamMemory.h"
#include "smfkit/MIDIMultiTrack.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ngtest {

struct sReference {
    std::string report;
    std::string noteList;
};

namespace reference {

struct sBlock {
    int32_t start = 0, end = 0, pitchClass = 0;
};
struct sChange {
    int32_t tick = 0, ms = 0, bpm32 = 0;
};

inline int32_t toMs(int32_t span, int division, int bpm32, int32_t base)
{
    double d = division != 0 ? division : 1;
    double t = bpm32 != 0 ? bpm32 : 1;
    double ms = ((static_cast<double>(span) / d) / (t / 32.0)) * 60000.0 + base;
    if (std::isnan(ms))
        return 0;
    if (ms >= 2147483648.0)
        return INT32_MAX;
    if (ms <= -2147483649.0)
        return INT32_MIN;
    return static_cast<int32_t>(ms);
}

} // namespace reference

inline sReference referenceConvert(const std::vector<uint8_t>& bytes, const std::string& name)
{
    using namespace reference;
    smfkit::MIDIMultiTrack store(64, true);
    smfkit::MIDIFileReadMultiTrack sink(&store);
    smfkit::MIDIFileReadStreamMemory in(bytes.data(), bytes.size());
    smfkit::MIDIFileRead reader(&in, &sink, 8192);
    reader.ParseFile();
    int division = reader.GetDivision();

    std::ostringstream out;
    out << "file:" << name << "\n"
        << "number of tracks:" << store.GetNumTracks() << "\n"
        << "the division? well it is:" << division << "\n"
        << "clicks per beat:" << store.GetClksPerBeat() << "\n"
        << "millisex:" << division / 1000 << "\n";

    std::vector<sChange> map;
    int32_t lastTick = 0, lastMs = 0;
    int tempo = 0;
    std::vector<std::vector<sBlock>> lists(static_cast<size_t>(store.GetNumTracks()));
    for (int j = 0; j < store.GetNumTracks(); ++j) {
        const smfkit::MIDIEventList* track = store.GetTrack(j);
        if (track->GetCount() == 0)
            continue;
        out << "track " << static_cast<unsigned>(j) << "\n";
        std::map<int, sBlock> open;
        for (int i = 0; i < track->GetCount(); ++i) {
            const smfkit::MIDIStoredEvent& ev = *track->GetEvent(i);
            uint32_t t = ev.time;
            if (ev.IsTempo()) {
                int v = ev.GetTempo32();
                if (!map.empty())
                    lastMs = toMs(static_cast<int32_t>(t - static_cast<uint32_t>(lastTick)), division, tempo, lastMs);
                tempo = v;
                out << "tempo change at " << t << " bpmNew:" << v << "\n";
                lastTick = static_cast<int32_t>(t);
                map.push_back({lastTick, lastMs, v});
                out << "tempo change at " << lastMs << " ms to " << v / 32.0 << "\n";
            } else if (ev.IsNoteOn() || ev.IsNoteOff()) {
                sChange e{0, 0, 3840};
                if (!map.empty()) {
                    e = map[0];
                    for (size_t k = 1; k < map.size(); ++k)
                        if (static_cast<int32_t>(t) > map[k].tick)
                            e = map[k];
                }
                int32_t time = toMs(static_cast<int32_t>(t - static_cast<uint32_t>(e.tick)), division, e.bpm32, e.ms);
                int n = ev.GetNote();
                sBlock& b = open[n];
                if (ev.IsNoteOn()) {
                    out << "Note " << n << " ON at time:" << time << "\n";
                    b.start = time;
                } else {
                    out << "Note " << n << " OFF at time:" << time << "\n";
                    b.end = time;
                }
                b.pitchClass = n % 12;
                if (ev.IsNoteOff())
                    lists[static_cast<size_t>(j)].push_back(b);
            }
        }
    }

    std::ostringstream text;
    size_t sections = lists.size() < 21 ? lists.size() : 21;
    text << sections << "\n";
    for (size_t j = 0; j < sections; ++j) {
        text << lists[j].size() << "\n";
        for (const sBlock& b : lists[j]) {
            if (b.pitchClass > 3)
                text << "hn " << b.start << " " << b.end << " " << b.pitchClass % 4 << "\n";
            else
                text << "n " << b.start << " " << b.pitchClass << "\n";
        }
    }
    return sReference{out.str(), text.str()};
}

} // namespace ngtest
