#include "notegrind/NoteConverter.h"

namespace notegrind {

cNoteConverter::cNoteConverter(int ticksPerBeat, cReportWriter& out)
    : division(ticksPerBeat), report(out)
{
}

void cNoteConverter::tempoStep(uint32_t tick, int tempo32)
{
    if (tempoSeen) {
        int32_t span = static_cast<int32_t>(tick - static_cast<uint32_t>(lastChangeTick));
        lastChangeMs = tickSpanToMs(span, division, currentTempo, lastChangeMs);
    }
    currentTempo = tempo32;
    report.text("tempo change at ").number(tick).text(" bpmNew:").number(tempo32).endLine();
    lastChangeTick = static_cast<int32_t>(tick);
    tempoSeen = true;
    tempos.add(sTimeChange{lastChangeTick, lastChangeMs, tempo32});
    report.text("tempo change at ")
        .number(lastChangeMs)
        .text(" ms to ")
        .real(tempo32 / 32.0)
        .endLine();
}

int32_t cNoteConverter::noteTime(uint32_t tick) const
{
    sTimeChange e{0, 0, kDefaultTempo32};
    if (!tempos.empty())
        e = tempos.entryFor(static_cast<int32_t>(tick));
    int32_t span = static_cast<int32_t>(tick - static_cast<uint32_t>(e.tick));
    return tickSpanToMs(span, division, e.bpm32, e.ms);
}

cNoteLists cNoteConverter::convert(const smfkit::MIDIMultiTrack& store)
{
    int trackCount = store.GetNumTracks();
    cNoteLists lists(static_cast<size_t>(trackCount));
    tempos.clear();
    currentTempo = 0;
    lastChangeTick = 0;
    lastChangeMs = 0;
    tempoSeen = false;

    // Open notes of the track being walked, by note number; every entry
    // starts as zeros, as if created on first use.
    std::array<sNoteBlock, 256> open;

    for (int j = 0; j < trackCount; ++j) {
        const smfkit::MIDIEventList* track = store.GetTrack(j);
        if (!track || track->GetCount() == 0)
            continue;
        report.text("track ").number(j).endLine();
        open.fill(sNoteBlock{});
        std::vector<sNoteBlock>& list = lists[static_cast<size_t>(j)];
        int count = track->GetCount();
        list.reserve(static_cast<size_t>(count / 2));

        for (int i = 0; i < count; ++i) {
            const smfkit::MIDIStoredEvent& ev = *track->GetEvent(i);
            if (ev.IsTempo()) {
                tempoStep(ev.time, ev.GetTempo32());
            } else if (ev.IsNoteOn()) {
                int n = ev.GetNote();
                int32_t time = noteTime(ev.time);
                report.text("Note ").number(n).text(" ON at time:").number(time).endLine();
                open[n].startMs = time;
                open[n].pitchClass = n % 12;
            } else if (ev.IsNoteOff()) {
                int n = ev.GetNote();
                int32_t time = noteTime(ev.time);
                report.text("Note ").number(n).text(" OFF at time:").number(time).endLine();
                open[n].endMs = time;
                open[n].pitchClass = n % 12;
                list.push_back(open[n]);
            }
        }
    }
    return lists;
}

} // namespace notegrind
