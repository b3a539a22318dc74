// Conversion speed on a large generated MIDI file: about a million events
// over 15 note tracks, with thousands of tempo changes in the first track,
// converted from disk with the report built and sent nowhere and the note
// list written beside it. Reports bytes of MIDI file per second and
// x_plain_copy: the conversion's CPU time over that of reading the same
// file and writing its bytes to another file (the least any converter of
// it pays).
//
// notegrind_bench --write-song=PATH writes the large file and exits, for
// comparing the program with other tools on it (compare_midicsv.sh).
//
// ConvertTempoChanges keeps the events fixed and multiplies the tempo
// changes: the time per conversion stays flat because each note finds its
// tempo-map entry by binary search, not by walking the map.
#include "notegrind/Notegrind.h"
#include "smfkit/MIDIFileReadStreamMemory.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class cNullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void putVarLen(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t bytes[5];
    int n = 0;
    bytes[n++] = v & 0x7F;
    while (v >>= 7)
        bytes[n++] = static_cast<uint8_t>((v & 0x7F) | 0x80);
    while (n)
        out.push_back(bytes[--n]);
}

void putChunk(std::vector<uint8_t>& file, const std::vector<uint8_t>& data)
{
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    uint32_t n = static_cast<uint32_t>(data.size());
    file.insert(file.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                             static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    file.insert(file.end(), data.begin(), data.end());
}

constexpr int kNoteTracks = 15;
constexpr int kNotesPerTrack = 33000; // two events each: about a million in all
constexpr uint32_t kNoteLength = 90;
constexpr uint32_t kNoteGap = 30;

// A format 1 file: tempo changes spread evenly over the song in the first
// chunk, then the note tracks.
std::vector<uint8_t> makeSong(int tempoChanges)
{
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, kNoteTracks + 1, 0x01, 0xE0};
    const uint32_t songTicks = kNotesPerTrack * (kNoteLength + kNoteGap);

    std::vector<uint8_t> tempo;
    uint32_t step = songTicks / static_cast<uint32_t>(tempoChanges);
    for (int i = 0; i < tempoChanges; ++i) {
        putVarLen(tempo, i == 0 ? 0 : step);
        uint32_t us = 400000 + static_cast<uint32_t>(i % 97) * 3000;
        tempo.insert(tempo.end(), {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16),
                                   static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
    }
    tempo.insert(tempo.end(), {0x00, 0xFF, 0x2F, 0x00});
    putChunk(file, tempo);

    for (int t = 0; t < kNoteTracks; ++t) {
        std::vector<uint8_t> notes;
        for (int i = 0; i < kNotesPerTrack; ++i) {
            uint8_t note = static_cast<uint8_t>(36 + (i * 7 + t * 5) % 48);
            putVarLen(notes, kNoteGap + static_cast<uint32_t>(t));
            notes.insert(notes.end(), {static_cast<uint8_t>(0x90 | t), note, 100});
            putVarLen(notes, kNoteLength);
            notes.insert(notes.end(), {static_cast<uint8_t>(0x80 | t), note, 0});
        }
        notes.insert(notes.end(), {0x00, 0xFF, 0x2F, 0x00});
        putChunk(file, notes);
    }
    return file;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Reads the file in large blocks and writes the same bytes to another.
void plainCopy(const std::string& from, const std::string& to)
{
    std::FILE* in = std::fopen(from.c_str(), "rb");
    std::FILE* out = std::fopen(to.c_str(), "wb");
    static char block[1 << 16];
    size_t n;
    while (in && out && (n = std::fread(block, 1, sizeof block, in)) > 0)
        std::fwrite(block, 1, n, out);
    if (in)
        std::fclose(in);
    if (out)
        std::fclose(out);
}

// CPU seconds of one plain copy, the least of several.
double plainCopySeconds(const std::string& from, const std::string& to)
{
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        double start = cpuSeconds();
        plainCopy(from, to);
        double spent = cpuSeconds() - start;
        best = spent < best ? spent : best;
    }
    return best;
}

void BM_ConvertLargeFile(benchmark::State& state)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("notegrind-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string input = (folder / "large.mid").string();
    std::vector<uint8_t> song = makeSong(static_cast<int>(state.range(0)));
    {
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));
    }
    double copySeconds = plainCopySeconds(input, (folder / "copy.bin").string());
    cNullBuffer nothing;
    std::ostream report(&nothing);
    double start = cpuSeconds();
    for (auto _ : state)
        notegrind::convertFile(input, report);
    double convertSeconds = (cpuSeconds() - start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(song.size()));
    state.counters["x_plain_copy"] = convertSeconds / copySeconds;
    state.counters["file_MB"] = static_cast<double>(song.size()) / 1e6;
    state.counters["events"] = kNoteTracks * kNotesPerTrack * 2.0 + static_cast<double>(state.range(0));
    fs::remove_all(folder);
}
BENCHMARK(BM_ConvertLargeFile)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ConvertTempoChanges(benchmark::State& state)
{
    std::vector<uint8_t> song = makeSong(static_cast<int>(state.range(0)));
    cNullBuffer nothing;
    std::ostream report(&nothing);
    for (auto _ : state) {
        smfkit::MIDIFileReadStreamMemory in(song.data(), song.size());
        benchmark::DoNotOptimize(notegrind::convertStream(in, "large.mid", &report));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(song.size()));
}
BENCHMARK(BM_ConvertTempoChanges)->Arg(100)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const char* option = "--write-song=";
    if (argc == 2 && std::strncmp(argv[1], option, std::strlen(option)) == 0) {
        std::vector<uint8_t> song = makeSong(5000);
        std::ofstream out(argv[1] + std::strlen(option), std::ios::binary);
        out.write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));
        return out ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
