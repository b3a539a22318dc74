// cNoteConverter: turns the tracks of a filled store into note lists.
//
// It walks store tracks 0, 1, ... in turn, each event in stored order.
// Tempo changes extend the tempo map (kept across tracks, so a change in an
// earlier track governs the notes of later ones); note-ons and note-offs are
// timed through the map and paired by note number within their track. Every
// note-off appends a block to its track's list. Each tempo change and note,
// and each non-empty track, is reported through the report writer.
//
// Until the first tempo change, notes are timed at 120 beats per minute
// (tempo value 3840) from tick 0 at 0 ms, the Standard MIDI File default.
//     cNoteConverter converter(division, report);
//     cNoteLists lists = converter.convert(store);
#pragma once

#include "notegrind/NoteBlock.h"
#include "notegrind/ReportWriter.h"
#include "notegrind/TempoMap.h"
#include "smfkit/MIDIMultiTrack.h"

#include <array>
#include <cstdint>
#include <vector>

namespace notegrind {

using cNoteLists = std::vector<std::vector<sNoteBlock>>;

class cNoteConverter {
public:
    static constexpr int kDefaultTempo32 = 3840;

    cNoteConverter(int division, cReportWriter& report);

    // One list per store track, in store-track order.
    cNoteLists convert(const smfkit::MIDIMultiTrack& store);

    const cTempoMap& tempoMap() const { return tempos; }

private:
    void tempoStep(uint32_t tick, int tempo32);
    int32_t noteTime(uint32_t tick) const;

    int division;
    cReportWriter& report;
    cTempoMap tempos;
    int currentTempo = 0;
    int32_t lastChangeTick = 0;
    int32_t lastChangeMs = 0;
    bool tempoSeen = false;
};

} // namespace notegrind
