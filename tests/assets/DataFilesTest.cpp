// The committed data files are what the production and other tools expect:
// every image the scenes load is an 8-bit RGBA PNG with power-of-two sides,
// and the score is a format 1 MIDI file whose tempos the converter turns into
// exact tempo values. (The box mesh is checked with objbake's tests.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string root = ASSET_ROOT;

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t bigEndian32(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

bool isPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// --- images ------------------------------------------------------------------

const char* const imageNames[] = {
    "happy.png", "party.png", "OST.png", "oc.png", "cred.png",
    "greets1.png", "greets2.png", "greets3.png", "greets4.png", "greets5.png", "greets6.png",
    "eye.png", "colorscheme.png", "f1.png", "f2.png", "grad2.png",
};

TEST(ProductionImages, EveryImageIsAnRgba8PngWithPowerOfTwoSides) {
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const char* name : imageNames) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> png = readFile(root + "/data/" + name);
        ASSERT_GE(png.size(), 33u) << "missing or truncated";
        EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
        // The first chunk is IHDR: width, height, bit depth, colour type.
        EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
        const uint32_t width = bigEndian32(png, 16), height = bigEndian32(png, 20);
        EXPECT_TRUE(isPowerOfTwo(width)) << "width " << width;
        EXPECT_TRUE(isPowerOfTwo(height)) << "height " << height;
        EXPECT_EQ(png[24], 8) << "bit depth";
        EXPECT_EQ(png[25], 6) << "colour type (6 = RGBA)";
        EXPECT_EQ(png[28], 0) << "interlaced";
    }
}

TEST(ProductionImages, CardsShareOneSizeSoTheyLineUpWhenTheyAlternate) {
    const std::vector<uint8_t> first = readFile(root + "/data/OST.png");
    ASSERT_GE(first.size(), 24u);
    for (const char* name : {"oc.png", "cred.png", "greets1.png", "greets2.png", "greets3.png",
                             "greets4.png", "greets5.png", "greets6.png"}) {
        const std::vector<uint8_t> png = readFile(root + "/data/" + name);
        ASSERT_GE(png.size(), 24u) << name;
        EXPECT_EQ(bigEndian32(png, 16), bigEndian32(first, 16)) << name;
        EXPECT_EQ(bigEndian32(png, 20), bigEndian32(first, 20)) << name;
    }
}

// --- the score -------------------------------------------------------------

struct sScoreFacts {
    bool ok = false;
    int format = -1;
    int chunks = 0;
    int division = 0;
    std::vector<uint32_t> tempos;          // microseconds per quarter note
    std::vector<int> notesPerChunk;
};

uint32_t readVarLen(const std::vector<uint8_t>& b, size_t& at, size_t end) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && at < end; ++i) {
        uint8_t c = b[at++];
        v = (v << 7) | (c & 0x7F);
        if (!(c & 0x80))
            break;
    }
    return v;
}

sScoreFacts readScore(const std::string& path) {
    sScoreFacts facts;
    const std::vector<uint8_t> b = readFile(path);
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd")
        return facts;
    facts.format = (b[8] << 8) | b[9];
    facts.chunks = (b[10] << 8) | b[11];
    facts.division = (b[12] << 8) | b[13];
    size_t at = 8 + bigEndian32(b, 4);
    for (int c = 0; c < facts.chunks; ++c) {
        if (at + 8 > b.size() || std::string(b.begin() + at, b.begin() + at + 4) != "MTrk")
            return facts;
        const size_t end = at + 8 + bigEndian32(b, at + 4);
        if (end > b.size())
            return facts;
        at += 8;
        int notes = 0;
        uint8_t status = 0;
        while (at < end) {
            readVarLen(b, at, end);
            if (at >= end)
                return facts;
            if (b[at] & 0x80)
                status = b[at++];
            if (status == 0xFF) {
                const uint8_t type = b[at++];
                const uint32_t len = readVarLen(b, at, end);
                if (type == 0x51 && len == 3 && at + 3 <= end)
                    facts.tempos.push_back((uint32_t(b[at]) << 16) | (uint32_t(b[at + 1]) << 8) | b[at + 2]);
                at += len;
            } else if (status == 0xF0 || status == 0xF7) {
                at += readVarLen(b, at, end);
            } else {
                const int kind = status & 0xF0;
                const int length = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (kind == 0x90 && at + 1 < end && b[at + 1] > 0)
                    ++notes;
                at += static_cast<size_t>(length);
            }
        }
        if (at != end)
            return facts;
        facts.notesPerChunk.push_back(notes);
    }
    facts.ok = true;
    return facts;
}

// The converter's tempo value: beats per minute times 32 through two
// single-precision steps, cut toward zero.
int converterTempoValue(uint32_t microsecondsPerBeat) {
    const float beatsPerSecond = static_cast<float>(1000000.0 / microsecondsPerBeat);
    const float beatsPerMinute = static_cast<float>(beatsPerSecond * 60.0);
    return static_cast<int>(static_cast<int64_t>(beatsPerMinute * 32) & 0xFFFF);
}

TEST(ProductionScore, IsFormat1WithTheMusicOutsideTheCueChunks) {
    const sScoreFacts score = readScore(root + "/data/morvelane.mid");
    ASSERT_TRUE(score.ok);
    EXPECT_EQ(score.format, 1);
    EXPECT_GT(score.division, 0);
    ASSERT_GE(score.chunks, 6);
    EXPECT_EQ(score.notesPerChunk[0], 0) << "the first chunk's notes would be spread over tracks 1 to 16";
    for (int cueChunk : {1, 3, 4})
        EXPECT_GT(score.notesPerChunk[cueChunk], 0) << "chunk " << cueChunk;
    int music = 0;
    for (int c = 0; c < score.chunks; ++c)
        if (c != 1 && c != 3 && c != 4)
            music += score.notesPerChunk[c];
    EXPECT_GT(music, 1000);
}

TEST(ProductionScore, EveryTempoComesOutOfTheConverterExactly) {
    const sScoreFacts score = readScore(root + "/data/morvelane.mid");
    ASSERT_TRUE(score.ok);
    ASSERT_FALSE(score.tempos.empty());
    for (uint32_t u : score.tempos) {
        // Exact only when the tempo is a whole number of 1/32 beats per minute.
        const double exact = 60000000.0 / u * 32.0;
        ASSERT_EQ(exact, std::floor(exact)) << u << " us per beat";
        EXPECT_EQ(converterTempoValue(u), static_cast<int>(exact)) << u << " us per beat";
    }
}

} // namespace
