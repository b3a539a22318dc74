// cConversionSink: converts a MIDI file while the reader reads it.
//
// It takes the reader's callbacks in place of the multi-track store and
// its sink, and gives the converter exactly what walking that store would:
// the same routing of events to store tracks (channel c of a format 0 file
// or of the first chunk goes to track c + 1, everything else to the track
// of its chunk), the same capacity per track (events past it dropped), the
// same walk in store-track order, and the header lines of the report. It
// keeps nothing it does not need: a track's events are converted as they
// arrive once every earlier track is done and no later chunk can add to
// it (the usual case: chunk k of a format 1 file is store track k), and
// only the tempo changes and notes of the other tracks wait, eight bytes
// each, until their turn.
//     cConversionSink sink("song.mid", kStoreTracks, report, finished);
//     smfkit::MIDIFileRead reader(&in, &sink, kMessageCapacity);
//     reader.ParseFile();
//     sink.finish(); // hands over every track still open, in order
// Each store track's notes go to the cTrackNotes target when the track is
// done, in store-track order, every track (the empty ones too) once.
#pragma once

#include "notegrind/NoteBlock.h"
#include "notegrind/NoteConverter.h"
#include "notegrind/ReportWriter.h"
#include "notegrind/TrackNotes.h"
#include "smfkit/MIDIFileEvents.h"

#include <cstdint>
#include <string>
#include <vector>

namespace notegrind {

class cConversionSink : public smfkit::MIDIFileEvents {
public:
    cConversionSink(const std::string& name, int trackCount, cReportWriter& report, cTrackNotes& target);

    // After the parse: the header lines if no header was read, then every
    // track not handed over yet.
    void finish();

    // Events dropped because their store track was full, and the first
    // such track (-1 when none).
    uint64_t droppedEvents() const { return dropped; }
    int firstFullTrack() const { return fullTrack; }

    void OnSysEx(uint32_t time, const smfkit::MIDISystemExclusive& ex) override;
    void OnTimeSignature(uint32_t time, uint8_t numerator, uint8_t denominatorPower, uint8_t clocksPerClick,
                         uint8_t n32ndsPerQuarter) override;
    void OnTempo(uint32_t time, uint32_t usPerQuarter) override;
    void OnKeySignature(uint32_t time, int8_t sharps, uint8_t minor) override;
    void OnText(uint32_t time, int type, int length, const uint8_t* text) override;
    void OnEndOfTrack(uint32_t time) override;
    void OnTrackStart(int track) override;
    void OnTrackEnd(int track) override;
    void OnHeader(int format, int trackCount, int division) override;
    void OnChannelMessage(const smfkit::MIDITimedMsg& msg) override;

private:
    // A tempo change or note waiting for its track's turn.
    struct sHeldEvent {
        uint32_t tick;
        smfkit::MIDIShortMsg msg;
    };

    void printHeader(int division);
    // A stored event that the converter passes over: it only counts.
    void countEvent(int target);
    void storeEvent(int target, const smfkit::MIDIShortMsg& msg, uint32_t tick);
    bool admit(int target);
    // Whether no chunk from index chunk on can add to store track t.
    bool completeBefore(int t, int chunk) const;
    void beginIfNeeded();
    void openNext();
    void closeNext();

    std::string name;
    int trackCount;
    cReportWriter& report;
    cTrackNotes& target;
    cNoteConverter converter;
    int format = 0;
    bool headerSeen = false;
    int chunk = -1; // the track chunk being read, -1 outside one
    std::vector<int> counts;
    std::vector<std::vector<sHeldEvent>> held;
    int next = 0;          // first track not handed over yet
    bool nextOpen = false; // its waiting events have been walked
    bool nextBegun = false;
    int live = -1;         // the track whose events are converted as they come
    uint64_t dropped = 0;
    int fullTrack = -1;
};

} // namespace notegrind
