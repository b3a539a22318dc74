// Jumps through the production's song with its own note list and soundtrack
// levels, stepping the show's state without drawing it.
//
// BM_DecodeSoundtrackLevels: the soundtrack's level at every tick, decoded
// from the file (done once per run, on a thread of its own, while the
// first frames play).
// BM_ColdSeekToTheEnd: a fresh timeline (nothing kept) to the song's last
// second: every tick of the song.
// BM_SeekAfterOnePass: after one pass through the song, jumps to song times
// spread over it (each from the copy kept at or before it).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include "strobewerk/NoteList.h"
#include "strobewerk/audio/Soundtrack.h"
#include "strobewerk/audio/SoundtrackLevels.h"
#include "strobewerk/show/ShowTimeline.h"
#include "tools/RepositoryRoot.h"

namespace {

// The song's length as the note list and the soundtrack put it (3:06).
constexpr std::int32_t songEndMs = 186000;
const sSceneCounts counts{9, 2};

struct sSong {
    cNoteList notes;
    cSoundtrackLevels levels;
    bool ready = false;
};

sSong& song()
{
    static sSong loaded;
    if (!loaded.ready) {
        if (!enterRepository())
            return loaded;
        loaded.notes.load(noteListFile);
        loaded.levels.open(soundtrackFile, showTicksPerSecond);
        loaded.levels.waitUntilDecoded();
        loaded.ready = true;
    }
    return loaded;
}

void BM_DecodeSoundtrackLevels(benchmark::State& state)
{
    if (!enterRepository()) {
        state.SkipWithError("run it from inside the repository");
        return;
    }
    for (auto _ : state) {
        cSoundtrackLevels levels;
        levels.open(soundtrackFile, showTicksPerSecond);
        levels.waitUntilDecoded();
        benchmark::DoNotOptimize(levels.level(6000));
    }
}

void BM_ColdSeekToTheEnd(benchmark::State& state)
{
    sSong& s = song();
    if (!s.ready) {
        state.SkipWithError("run it from inside the repository");
        return;
    }
    for (auto _ : state) {
        cShowTimeline timeline;
        timeline.attach(&s.notes, &s.levels, counts);
        benchmark::DoNotOptimize(timeline.stateAt(songEndMs - 1).metaballClock);
    }
}

void BM_SeekAfterOnePass(benchmark::State& state)
{
    sSong& s = song();
    if (!s.ready) {
        state.SkipWithError("run it from inside the repository");
        return;
    }
    cShowTimeline timeline;
    timeline.attach(&s.notes, &s.levels, counts);
    timeline.stateAt(songEndMs - 1);
    std::mt19937 gen(3);
    std::uniform_int_distribution<std::int32_t> anywhere(0, songEndMs - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(timeline.stateAt(anywhere(gen)).metaballClock);
}

BENCHMARK(BM_DecodeSoundtrackLevels)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ColdSeekToTheEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_SeekAfterOnePass)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
