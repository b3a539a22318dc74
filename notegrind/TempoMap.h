// cTempoMap: the tempo changes of one file, in the order the walk met them,
// and the lookup that times a note through them.
//
// entryFor(tick) answers with the last entry in map order whose tick lies
// strictly before the given tick, or the first entry when none does. It
// keeps, beside the entries, the indices that can still be an answer (an
// entry followed later by one at an equal or earlier tick never can), whose
// ticks therefore rise; a binary search over them makes each lookup
// logarithmic, whatever order the changes come in, and lookups in rising
// tick order (the usual case) start from where the previous one ended.
//
// tickSpanToMs is the time arithmetic itself, free of any state:
//     ms = trunc(span / division / (bpm32 / 32) * 60000 + baseMs)
// in double precision in that order. A division or tempo of 0 counts as 1
// and results beyond the 32-bit range stop at its ends, so no input leads
// to a division by zero or an out-of-range conversion.
#pragma once

#include "notegrind/TimeChange.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace notegrind {

// Cuts toward zero into a signed 32-bit value, saturating at its ends; a
// value that is not a number gives 0.
int32_t truncToInt32(double value);

int32_t tickSpanToMs(int32_t spanTicks, int division, int bpm32, int32_t baseMs);

class cTempoMap {
public:
    void clear();
    void add(const sTimeChange& change);

    bool empty() const { return entries.empty(); }
    size_t size() const { return entries.size(); }
    const sTimeChange& operator[](size_t i) const { return entries[i]; }

    // The map must not be empty.
    const sTimeChange& entryFor(int32_t tick) const;

private:
    std::vector<sTimeChange> entries;
    std::vector<uint32_t> candidates; // indices into entries, ticks strictly rising
    mutable size_t hint = 0;          // where the last lookup ended among the candidates
};

} // namespace notegrind
