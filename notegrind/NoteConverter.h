// cNoteConverter: turns the tracks of a song, walked in store-track order,
// into note lists.
//
// It takes the store tracks 0, 1, ... in turn, each event in stored order.
// Tempo changes extend the tempo map (kept across tracks, so a change in an
// earlier track governs the notes of later ones); note-ons and note-offs are
// timed through the map and paired by note number within their track. Every
// note-off appends a block to its track's list. Each tempo change and note,
// and each non-empty track, is reported through the report writer.
//
// Until the first tempo change, notes are timed at 120 beats per minute
// (tempo value 3840) from tick 0 at 0 ms, the Standard MIDI File default.
//
// Either a whole store at once:
//     cNoteConverter converter(division, report);
//     cNoteLists lists = converter.convert(store);
// or event by event, as a reader delivers them (tracks in rising order,
// each begun before its first event):
//     converter.beginTrack(3);
//     converter.event(msg, tick); ...
//     std::vector<sNoteBlock>& notes = converter.trackNotes(); // then clear it
#pragma once

#include "notegrind/NoteBlock.h"
#include "notegrind/ReportWriter.h"
#include "notegrind/TempoMap.h"
#include "notegrind/TrackNotes.h"
#include "smfkit/MIDIMultiTrack.h"
#include "smfkit/MIDIShortMsg.h"

#include <array>
#include <cstdint>
#include <vector>

namespace notegrind {

class cNoteConverter {
public:
    static constexpr int kDefaultTempo32 = 3840;

    cNoteConverter(int division, cReportWriter& report);

    // One list per store track, in store-track order.
    cNoteLists convert(const smfkit::MIDIMultiTrack& store);

    // Starts store track j: reports it and forgets the open notes.
    void beginTrack(int j);
    // One stored event of the current track: tempo changes and notes count,
    // everything else is passed over.
    void event(const smfkit::MIDIShortMsg& msg, uint32_t tick)
    {
        if (msg.IsTempo())
            tempoStep(tick, msg.GetTempo32());
        else if (msg.IsNoteOn())
            noteOn(tick, msg.GetNote());
        else if (msg.IsNoteOff())
            noteOff(tick, msg.GetNote());
    }
    void tempoStep(uint32_t tick, int tempo32);
    void noteOn(uint32_t tick, uint8_t note) { queueNote(tick, note, true); }
    void noteOff(uint32_t tick, uint8_t note) { queueNote(tick, note, false); }
    // The notes ended so far in the current track; the caller takes them
    // and clears the list between tracks.
    std::vector<sNoteBlock>& trackNotes()
    {
        flushNotes();
        return notes;
    }

    void setDivision(int ticksPerBeat)
    {
        flushNotes();
        division = ticksPerBeat;
        memoValid = false;
    }
    // Forgets every tempo change, for a new file.
    void reset();

    const cTempoMap& tempoMap() const { return tempos; }

private:
    // Notes wait in a small queue and are timed together, then reported and
    // paired in their order: the times of a run of notes are independent of
    // each other, so their divisions overlap instead of each waiting for
    // the last. Every step that reports or reads the pairing state (a new
    // track, a tempo change, handing over the notes) empties the queue
    // first, so the results and the report are those of one note at a time.
    struct sQueuedNote {
        uint32_t tick;
        int32_t time;
        uint8_t note;
        bool on;
    };
    static constexpr size_t kQueue = 64;

    void queueNote(uint32_t tick, uint8_t note, bool on)
    {
        queue[queued++] = sQueuedNote{tick, 0, note, on};
        if (queued == kQueue)
            flushNotes();
    }
    void flushNotes();
    int32_t noteTime(uint32_t tick);

    int division;
    cReportWriter& report;
    cTempoMap tempos;
    int currentTempo = 0;
    int32_t lastChangeTick = 0;
    int32_t lastChangeMs = 0;
    bool tempoSeen = false;
    // The last note time worked out, for notes at the same tick (chords,
    // a note-off and the next note-on): the time depends on the tick and
    // the tempo map alone, and the map only changes at a tempo change.
    bool memoValid = false;
    uint32_t memoTick = 0;
    int32_t memoMs = 0;
    // Open notes of the track being walked, by note number; every entry
    // starts as zeros, as if created on first use.
    std::array<sNoteBlock, 256> open{};
    std::vector<sNoteBlock> notes;
    sQueuedNote queue[kQueue];
    size_t queued = 0;
};

} // namespace notegrind
