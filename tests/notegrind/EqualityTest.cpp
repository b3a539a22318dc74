// The one-pass conversion against the plain one (ReferenceConversion.h):
// same report and same note list, byte for byte, on generated songs whole
// and damaged, on the layouts where the one pass must hold tracks back, and
// through the program, whose note list is written while it converts.
#include "../smfkit/SmfBytes.h"
#include "ReferenceConversion.h"
#include "TempFolder.h"

#include "notegrind/NoteListFile.h"
#include "notegrind/Notegrind.h"
#include "smfkit/MIDIEventList.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using smftest::cSmfBytes;
using smftest::cTrackBytes;

namespace {

int pick(std::mt19937& r, std::initializer_list<int> choices)
{
    return *(choices.begin() + std::uniform_int_distribution<size_t>(0, choices.size() - 1)(r));
}

int below(std::mt19937& r, int n)
{
    return std::uniform_int_distribution<int>(0, n - 1)(r);
}

// A chunk of random events: notes (often under running status, now and
// then with a data byte of 128 or more), tempo changes (0 microseconds
// too), other channel messages, text, signatures, sysex and stray ends of
// track, over deltas from 0 to long.
cTrackBytes randomTrack(std::mt19937& r, int events)
{
    cTrackBytes t;
    int status = 0;
    for (int i = 0; i < events; ++i) {
        t.delta(static_cast<uint32_t>(pick(r, {0, 0, 0, 1, 5, 30, 120, 480, 100000 + below(r, 5000000)})));
        int kind = below(r, 100);
        if (kind < 60) {
            int s = (below(r, 4) == 0 ? 0x80 : 0x90) | below(r, 16);
            int note = below(r, 30) == 0 ? 128 + below(r, 128) : below(r, 128);
            int velocity = pick(r, {0, 64, 100});
            if (s == status && note < 128 && below(r, 2) == 0) {
                t.raw({note, velocity});
            } else {
                t.raw({s, note, velocity});
                status = s;
            }
        } else if (kind < 68) {
            uint32_t us = static_cast<uint32_t>(pick(r, {500000, 600000, 1000000, 0, 1, 428571, below(r, 1 << 24)}));
            t.raw({0xFF, 0x51, 3, static_cast<int>(us >> 16) & 0xFF, static_cast<int>(us >> 8) & 0xFF,
                   static_cast<int>(us) & 0xFF});
            status = 0xFF;
        } else if (kind < 75) {
            int s = pick(r, {0xB0, 0xC0, 0xD0, 0xE0, 0xA0}) | below(r, 16);
            t.raw({s, below(r, 128)});
            if (s < 0xC0 || s >= 0xE0)
                t.raw({below(r, 128)});
            status = s;
        } else if (kind < 80) {
            t.raw({0xFF, 1 + below(r, 15), 2, 'h', 'i'});
            status = 0xFF;
        } else if (kind < 84) {
            t.raw({0xFF, 0x58, 4, 4, 2, 24, 8});
            status = 0xFF;
        } else if (kind < 87) {
            t.raw({0xFF, 0x59, 2, 0xFD, 1});
            status = 0xFF;
        } else if (kind < 90) {
            t.raw({0xF0, 3, 0x7E, 0x09, 0xF7});
            status = 0xF0;
        } else if (kind < 92) {
            t.raw({0xFF, 0x2F, 0});
            status = 0xFF;
        } else if (kind < 94) {
            t.raw({0xFF, 0x21, 1, 0}); // dropped by the store: counts nowhere
            status = 0xFF;
        } else {
            int channel = below(r, 3);
            int note = below(r, 128);
            t.raw({0x90 | channel, note, 1 + below(r, 127)});
            t.delta(static_cast<uint32_t>(below(r, 500))).raw({0x80 | channel, note, 0});
            status = 0x80 | channel;
        }
    }
    return t.end();
}

std::vector<uint8_t> randomSong(std::mt19937& r)
{
    int format = pick(r, {0, 1, 1, 1, 2});
    int chunks = format == 0 && below(r, 5) != 0 ? 1 : pick(r, {1, 2, 3, 5, 17, 20, 22, 30, 66});
    int division = pick(r, {480, 96, 960, 1000, 2500, 0, 0xE728, 1});
    cSmfBytes f;
    f.header(format, chunks, division);
    for (int k = 0; k < chunks; ++k)
        f.track(randomTrack(r, below(r, chunks < 10 ? 300 : 40)));
    return f.bytes;
}

// Cuts the file short, changes a few bytes, or slips in a stray byte.
std::vector<uint8_t> damage(std::mt19937& r, std::vector<uint8_t> f)
{
    switch (below(r, 3)) {
    case 0:
        f.resize(static_cast<size_t>(below(r, static_cast<int>(f.size()) + 1)));
        break;
    case 1:
        for (int i = 0; i < 1 + below(r, 3); ++i)
            f[static_cast<size_t>(below(r, static_cast<int>(f.size())))] = static_cast<uint8_t>(below(r, 256));
        break;
    default:
        f.insert(f.begin() + 14 + below(r, static_cast<int>(f.size()) - 13),
                 static_cast<uint8_t>(pick(r, {0xF8, 0xF4, 0xFE, 0x3C, 0xF7, 0xF0})));
        break;
    }
    return f;
}

struct sOnePass {
    std::string report;
    std::string noteList;
    notegrind::sConversion conversion;
};

sOnePass onePass(const std::vector<uint8_t>& bytes, const std::string& name)
{
    std::ostringstream out;
    sOnePass p;
    p.conversion = notegrind::convertMidiBytes(bytes.data(), bytes.size(), name, &out);
    p.report = out.str();
    p.noteList = notegrind::formatNoteList(p.conversion.lists);
    return p;
}

void expectSame(const std::vector<uint8_t>& bytes, const std::string& what)
{
    ngtest::sReference ref = ngtest::referenceConvert(bytes, "song.mid");
    sOnePass p = onePass(bytes, "song.mid");
    EXPECT_EQ(p.report, ref.report) << what;
    EXPECT_EQ(p.noteList, ref.noteList) << what;
    notegrind::sConversion quiet = notegrind::convertMidiBytes(bytes.data(), bytes.size(), "song.mid");
    EXPECT_EQ(notegrind::formatNoteList(quiet.lists), ref.noteList) << what << ", without a report";
}

std::string withoutWarnings(const std::string& report)
{
    std::string out;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("warning: ", 0) != 0)
            out += line + "\n";
    return out;
}

} // namespace

TEST(EqualsReference, GeneratedSongsWholeAndDamaged)
{
    std::mt19937 r(20261208);
    int partial = 0;
    for (int i = 0; i < 160; ++i) {
        std::vector<uint8_t> song = randomSong(r);
        if (i % 2 == 1)
            song = damage(r, song);
        expectSame(song, "song " + std::to_string(i));
        partial += onePass(song, "x").conversion.readWhole ? 0 : 1;
    }
    EXPECT_GT(partial, 40) << "damaged songs must be among them";
    EXPECT_LT(partial, 150) << "and whole ones";
}

TEST(EqualsReference, LayoutsWhereTracksWaitTheirTurn)
{
    cTrackBytes first, second, third;
    // The first chunk's channels land in tracks 1 to 3, ahead of chunks 1
    // and 2, and its tempo changes govern everything after.
    first.tempo(0, 500000).noteOn(0, 0, 60).noteOn(0, 2, 61).noteOff(480, 0, 60).noteOff(0, 2, 61)
        .noteOn(0, 1, 64).noteOff(96, 1, 64).tempo(0, 1000000).end();
    second.noteOn(10, 5, 65).noteOff(480, 5, 65).tempo(960, 400000).noteOn(0, 5, 67).noteOff(1, 5, 67).end();
    third.noteOff(0, 9, 62).noteOn(0, 9, 70).noteOff(480, 9, 70).end();
    for (int format : {0, 1, 2}) {
        expectSame(cSmfBytes().header(format, 3, 480).track(first).track(second).track(third).bytes,
                   "format " + std::to_string(format) + ", three chunks");
        expectSame(cSmfBytes().header(format, 1, 480).track(second).bytes, "one chunk");
    }
    // More chunks than store tracks: chunks 64 and later count nowhere.
    cSmfBytes many;
    many.header(1, 70, 96);
    for (int k = 0; k < 70; ++k)
        many.track(k % 3 == 0 ? first : second);
    expectSame(many.bytes, "70 chunks");
    // A header that promises more chunks than there are, and an empty chunk.
    expectSame(cSmfBytes().header(1, 4, 480).track(first).track(cTrackBytes()).track(third).bytes, "cut short");
}

TEST(EqualsReference, TrackPastTheStoresCapacity)
{
    // Track 1 takes notes from both chunks (channel 0 of the first, all of
    // the second in a format 0 file) until it is full.
    const int perChunk = smfkit::MIDIEventList::kMaxEvents / 2 + 500;
    cTrackBytes a, b;
    a.tempo(0, 500000);
    for (int i = 0; i < perChunk / 2; ++i) {
        a.noteOn(0, 0, 60 + i % 12).noteOff(10, 0, 60 + i % 12);
        b.noteOn(0, 0, 48 + i % 12).noteOff(10, 0, 48 + i % 12);
    }
    a.end();
    b.end();
    std::vector<uint8_t> song = cSmfBytes().header(0, 2, 480).track(a).track(b).bytes;
    expectSame(song, "full track");
    notegrind::sConversion c = notegrind::convertMidiBytes(song.data(), song.size(), "full.mid");
    EXPECT_TRUE(c.readWhole);
    EXPECT_EQ(c.firstFullTrack, 1);
    // Each chunk holds perChunk + 1 stored events in track 1 (its end of
    // track goes to the chunk's own track, 0 and 1).
    EXPECT_EQ(c.droppedEvents, static_cast<uint64_t>(2 * (perChunk / 2) * 2 + 1 - smfkit::MIDIEventList::kMaxEvents));

    ngtest::cTempFolder folder;
    folder.write("full.mid", song);
    folder.enter();
    const char* argv[] = {"notegrind"};
    std::ostringstream report;
    EXPECT_EQ(notegrind::runNotegrind(1, argv, report), 1);
    EXPECT_NE(report.str().find("warning: full.mid: store track 1 holds at most 261120 events; " +
                                std::to_string(c.droppedEvents) +
                                " later events were left out of the report and the note list\n"),
              std::string::npos);
}

TEST(EqualsReference, ProgramWritesTheSameReportAndFiles)
{
    std::mt19937 r(7);
    ngtest::cTempFolder folder;
    std::vector<std::string> names;
    std::string expected;
    std::vector<std::string> lists;
    for (int i = 0; i < 30; ++i) {
        std::vector<uint8_t> song = randomSong(r);
        if (i % 3 == 2)
            song = damage(r, song);
        char name[16];
        std::snprintf(name, sizeof name, "s%02d.mid", i);
        folder.write(name, song);
        ngtest::sReference ref = ngtest::referenceConvert(song, name);
        expected += ref.report;
        lists.push_back(ref.noteList);
        names.push_back(name);
    }
    folder.enter();
    const char* argv[] = {"notegrind"};
    std::ostringstream report;
    notegrind::runNotegrind(1, argv, report);
    EXPECT_EQ(withoutWarnings(report.str()), expected);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(folder.read(notegrind::noteListName(names[i])), lists[i]) << names[i];
}
