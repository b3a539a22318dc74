#include "notegrind/TempoMap.h"

#include <cmath>

namespace notegrind {

int32_t truncToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return INT32_MAX;
    if (value <= -2147483649.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t tickSpanToMs(int32_t spanTicks, int division, int bpm32, int32_t baseMs)
{
    double ticksPerBeat = division != 0 ? division : 1;
    double tempo = bpm32 != 0 ? bpm32 : 1;
    double ms = static_cast<double>(spanTicks) / ticksPerBeat / (tempo / 32.0) * 60000.0 + baseMs;
    return truncToInt32(ms);
}

void cTempoMap::clear()
{
    entries.clear();
    candidates.clear();
    hint = 0;
}

void cTempoMap::add(const sTimeChange& change)
{
    while (!candidates.empty() && entries[candidates.back()].tick >= change.tick)
        candidates.pop_back();
    candidates.push_back(static_cast<uint32_t>(entries.size()));
    entries.push_back(change);
}

const sTimeChange& cTempoMap::entryFor(int32_t tick) const
{
    // lo = the number of candidates whose tick lies before `tick`. Notes
    // mostly come in tick order, so the previous answer or the next one
    // usually holds; otherwise a binary search finds it.
    size_t n = candidates.size();
    auto fits = [&](size_t k) {
        return (k == 0 || entries[candidates[k - 1]].tick < tick) &&
               (k == n || entries[candidates[k]].tick >= tick);
    };
    size_t lo = hint <= n ? hint : n;
    if (!fits(lo)) {
        if (lo < n && fits(lo + 1)) {
            ++lo;
        } else {
            lo = 0;
            size_t hi = n;
            while (lo < hi) {
                size_t mid = lo + (hi - lo) / 2;
                if (entries[candidates[mid]].tick < tick)
                    lo = mid + 1;
                else
                    hi = mid;
            }
        }
    }
    hint = lo;
    if (lo == 0)
        return entries.front();
    return entries[candidates[lo - 1]];
}

} // namespace notegrind
