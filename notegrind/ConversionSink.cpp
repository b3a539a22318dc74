#include "notegrind/ConversionSink.h"

#include "smfkit/MIDIEventList.h"
#include "smfkit/MIDIFileReadMultiTrack.h"
#include "smfkit/MIDITimedMsg.h"

namespace notegrind {

cConversionSink::cConversionSink(const std::string& fileName, int tracks, cReportWriter& out,
                                 cTrackNotes& finished)
    : name(fileName), trackCount(tracks), report(out), target(finished), converter(0, out),
      counts(static_cast<size_t>(tracks), 0), held(static_cast<size_t>(tracks))
{
}

void cConversionSink::printHeader(int division)
{
    report.headerLine("file:", name);
    report.headerLine("number of tracks:", trackCount);
    report.headerLine("the division? well it is:", division);
    report.headerLine("clicks per beat:", division);
    report.headerLine("millisex:", division / 1000);
}

void cConversionSink::OnHeader(int f, int, int division)
{
    format = f;
    headerSeen = true;
    converter.setDivision(division);
    printHeader(division);
}

bool cConversionSink::completeBefore(int t, int chunkIndex) const
{
    // Chunk k reaches store track k, and the first chunk (every chunk, in
    // a format 0 file) reaches tracks 1 to 16 through its channels.
    if (format == 0 && t >= 1 && t <= 16)
        return false;
    return t < chunkIndex;
}

void cConversionSink::OnTrackStart(int k)
{
    chunk = k;
    while (next < trackCount && completeBefore(next, k))
        closeNext();
    // The chunk's own track is converted as its events arrive when it is
    // next in turn and nothing after this chunk can add to it.
    if (next == k && k < trackCount && completeBefore(k, k + 1)) {
        openNext();
        live = k;
    }
}

void cConversionSink::OnTrackEnd(int)
{
    chunk = -1;
    live = -1;
}

void cConversionSink::finish()
{
    if (!headerSeen)
        printHeader(0);
    while (next < trackCount)
        closeNext();
}

void cConversionSink::beginIfNeeded()
{
    if (!nextBegun) {
        converter.beginTrack(next);
        nextBegun = true;
    }
}

void cConversionSink::openNext()
{
    std::vector<sHeldEvent>& waiting = held[static_cast<size_t>(next)];
    if (counts[static_cast<size_t>(next)] > 0)
        beginIfNeeded();
    for (const sHeldEvent& e : waiting)
        converter.event(e.msg, e.tick);
    std::vector<sHeldEvent>().swap(waiting);
    nextOpen = true;
}

void cConversionSink::closeNext()
{
    if (!nextOpen)
        openNext();
    target.trackDone(next, converter.trackNotes());
    converter.trackNotes().clear();
    if (live == next)
        live = -1;
    ++next;
    nextOpen = nextBegun = false;
}

bool cConversionSink::admit(int t)
{
    // As the store adds an event: a track it does not have drops it, and
    // so does a full one.
    if (t < 0 || t >= trackCount)
        return false;
    int& count = counts[static_cast<size_t>(t)];
    if (count >= smfkit::MIDIEventList::kMaxEvents) {
        ++dropped;
        if (fullTrack < 0)
            fullTrack = t;
        return false;
    }
    ++count;
    return true;
}

void cConversionSink::countEvent(int t)
{
    if (admit(t) && t == live)
        beginIfNeeded();
}

void cConversionSink::storeEvent(int t, const smfkit::MIDIShortMsg& msg, uint32_t tick)
{
    if (!admit(t))
        return;
    if (t == live) {
        beginIfNeeded();
        converter.event(msg, tick);
    } else if (msg.IsTempo() || msg.IsNoteOn() || msg.IsNoteOff()) {
        held[static_cast<size_t>(t)].push_back(sHeldEvent{tick, msg});
    }
}

void cConversionSink::OnChannelMessage(const smfkit::MIDITimedMsg& msg)
{
    int t = format == 0 || chunk == 0 ? msg.GetChannel() + 1 : chunk;
    storeEvent(t, msg, msg.time);
}

void cConversionSink::OnTempo(uint32_t time, uint32_t usPerQuarter)
{
    smfkit::MIDITimedMsg msg;
    msg.SetTempo(smfkit::MIDIFileReadMultiTrack::TempoValue(usPerQuarter));
    storeEvent(chunk, msg, time);
}

void cConversionSink::OnSysEx(uint32_t, const smfkit::MIDISystemExclusive&)
{
    countEvent(chunk);
}

void cConversionSink::OnTimeSignature(uint32_t, uint8_t, uint8_t, uint8_t, uint8_t)
{
    countEvent(chunk);
}

void cConversionSink::OnKeySignature(uint32_t, int8_t, uint8_t)
{
    countEvent(chunk);
}

void cConversionSink::OnText(uint32_t, int, int, const uint8_t*)
{
    countEvent(chunk);
}

void cConversionSink::OnEndOfTrack(uint32_t)
{
    countEvent(chunk);
}

} // namespace notegrind
