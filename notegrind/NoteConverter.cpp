#include "notegrind/NoteConverter.h"

#include "notegrind/DecimalText.h"

#include <cstring>

namespace notegrind {

namespace {

// "Note 60 ON at time:" and "Note 60 OFF at time:" for every note number,
// so a note line is two copies and a number.
struct sNotePrefixes {
    struct sPrefix {
        char text[32];
        size_t length;
    };
    sPrefix on[256];
    sPrefix off[256];

    sNotePrefixes()
    {
        for (int n = 0; n < 256; ++n) {
            fill(on[n], n, " ON at time:");
            fill(off[n], n, " OFF at time:");
        }
    }
    static void fill(sPrefix& p, int n, const char* tail)
    {
        std::memset(p.text, 0, sizeof p.text);
        std::memcpy(p.text, "Note ", 5);
        char* end = writeDecimal(p.text + 5, n);
        size_t tailLength = std::strlen(tail);
        std::memcpy(end, tail, tailLength);
        p.length = static_cast<size_t>(end - p.text) + tailLength;
    }
};

const sNotePrefixes& notePrefixes()
{
    static const sNotePrefixes prefixes;
    return prefixes;
}

} // namespace

cNoteConverter::cNoteConverter(int ticksPerBeat, cReportWriter& out)
    : division(ticksPerBeat), report(out)
{
}

void cNoteConverter::reset()
{
    queued = 0;
    tempos.clear();
    currentTempo = 0;
    lastChangeTick = 0;
    lastChangeMs = 0;
    tempoSeen = false;
    memoValid = false;
    notes.clear();
}

void cNoteConverter::beginTrack(int j)
{
    flushNotes();
    if (report.active())
        report.text("track ").number(j).endLine();
    open.fill(sNoteBlock{});
}

void cNoteConverter::tempoStep(uint32_t tick, int tempo32)
{
    flushNotes();
    if (tempoSeen) {
        int32_t span = static_cast<int32_t>(tick - static_cast<uint32_t>(lastChangeTick));
        lastChangeMs = tickSpanToMs(span, division, currentTempo, lastChangeMs);
    }
    currentTempo = tempo32;
    if (report.active())
        report.text("tempo change at ").number(tick).text(" bpmNew:").number(tempo32).endLine();
    lastChangeTick = static_cast<int32_t>(tick);
    tempoSeen = true;
    tempos.add(sTimeChange{lastChangeTick, lastChangeMs, tempo32});
    memoValid = false;
    if (report.active())
        report.text("tempo change at ").number(lastChangeMs).text(" ms to ").real(tempo32 / 32.0).endLine();
}

int32_t cNoteConverter::noteTime(uint32_t tick)
{
    if (memoValid && tick == memoTick)
        return memoMs;
    sTimeChange e{0, 0, kDefaultTempo32};
    if (!tempos.empty())
        e = tempos.entryFor(static_cast<int32_t>(tick));
    int32_t span = static_cast<int32_t>(tick - static_cast<uint32_t>(e.tick));
    memoTick = tick;
    memoMs = tickSpanToMs(span, division, e.bpm32, e.ms);
    memoValid = true;
    return memoMs;
}

void cNoteConverter::flushNotes()
{
    if (queued == 0)
        return;
    for (size_t i = 0; i < queued; ++i)
        queue[i].time = noteTime(queue[i].tick);
    const sNotePrefixes& prefixes = notePrefixes();
    for (size_t i = 0; i < queued; ++i) {
        const sQueuedNote& q = queue[i];
        uint8_t n = q.note;
        if (report.active()) {
            const auto& prefix = q.on ? prefixes.on[n] : prefixes.off[n];
            char* p = report.lineSpace();
            std::memcpy(p, prefix.text, sizeof prefix.text);
            report.endLine(writeDecimal(p + prefix.length, q.time));
        }
        sNoteBlock& b = open[n];
        if (q.on) {
            b.startMs = q.time;
        } else {
            b.endMs = q.time;
        }
        b.pitchClass = n % 12;
        if (!q.on)
            notes.push_back(b);
    }
    queued = 0;
}

cNoteLists cNoteConverter::convert(const smfkit::MIDIMultiTrack& store)
{
    int trackCount = store.GetNumTracks();
    cNoteLists lists(static_cast<size_t>(trackCount));
    reset();
    for (int j = 0; j < trackCount; ++j) {
        const smfkit::MIDIEventList* track = store.GetTrack(j);
        if (!track || track->GetCount() == 0)
            continue;
        beginTrack(j);
        int count = track->GetCount();
        for (int i = 0; i < count; ++i) {
            const smfkit::MIDIStoredEvent& ev = *track->GetEvent(i);
            event(ev, ev.time);
        }
        lists[static_cast<size_t>(j)].swap(trackNotes());
        notes.clear();
    }
    return lists;
}

} // namespace notegrind
