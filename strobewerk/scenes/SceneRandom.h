// cSceneRandom: the production's own random numbers. The particles' spawns,
// the seed boxes' scatter and the flash image a cue picks all draw from it,
// so the show at a song time does not depend on anything else in the
// process drawing numbers, and a copy of the generator (it is a plain value
// of 33 words) is all a snapshot of the show needs to go on from there.
//
// The sequence is the one the C library's rand() gives after being seeded
// with 1 (the additive feedback generator of degree 31 that glibc uses), so
// the show draws the very numbers it always drew:
//     cSceneRandom random;          // seeded as rand() is at start-up
//     int r = random.next();       // 0 .. 2^31 - 1
// The scenes' arithmetic draws through a RandomSource, which the show
// makes of its generator ([&] { return random.next(); }) and a test of a
// script of its own.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

// A source of non-negative random integers, as cSceneRandom::next gives.
using RandomSource = std::function<int()>;

class cSceneRandom {
public:
    explicit cSceneRandom(std::uint32_t seed = 1);

    // The next number, 0 .. 2^31 - 1.
    int next();

    // Draws and drops `count` numbers.
    void discard(int count);

    bool operator==(const cSceneRandom& other) const;
    bool operator!=(const cSceneRandom& other) const { return !(*this == other); }

private:
    static constexpr int degree = 31;
    static constexpr int separation = 3;
    std::array<std::uint32_t, degree> table{};
    int front = separation;
    int rear = 0;
};
