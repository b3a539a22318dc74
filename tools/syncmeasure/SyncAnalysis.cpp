#include "tools/syncmeasure/SyncAnalysis.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr double kRate = 44100.0;

} // namespace

std::int64_t blockFrames(const std::vector<sWrite>& writes)
{
    std::map<std::int64_t, int> counts;
    for (std::size_t i = 1; i < writes.size(); ++i) {
        const std::int64_t step = writes[i].totalFrames - writes[i - 1].totalFrames;
        if (step > 0)
            ++counts[step];
    }
    std::int64_t best = 0;
    int bestCount = 0;
    for (const auto& [step, count] : counts) {
        if (count > bestCount) {
            best = step;
            bestCount = count;
        }
    }
    return best;
}

std::int64_t firstSoundingFrame(const std::vector<std::int16_t>& samples)
{
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0)
            return static_cast<std::int64_t>(i / 2);
    }
    return -1;
}

std::int64_t endOfSound(const std::vector<std::int16_t>& samples)
{
    for (std::size_t i = samples.size(); i > 0; --i) {
        if (samples[i - 1] != 0)
            return static_cast<std::int64_t>((i - 1) / 2 + 1);
    }
    return 0;
}

bool heardSongTime(const std::vector<sWrite>& writes, std::int64_t timeNs, std::int64_t block,
                   std::int64_t startFrame, std::int32_t fromMs, double& heardMs)
{
    // The last write at or before timeNs.
    auto after = std::upper_bound(writes.begin(), writes.end(), timeNs,
                                  [](std::int64_t t, const sWrite& w) { return t < w.timeNs; });
    if (after == writes.begin())
        return false;
    const sWrite& last = *(after - 1);
    const double since = std::min<double>(static_cast<double>(timeNs - last.timeNs) * kRate / 1e9,
                                          static_cast<double>(block));
    const double frame = static_cast<double>(last.totalFrames - block - startFrame) + since;
    heardMs = fromMs + frame * 1000.0 / kRate;
    return true;
}

std::vector<double> syncOffsets(const std::vector<sWrite>& writes, const std::vector<sFrame>& frames,
                                std::int64_t block, std::int64_t startFrame, std::int64_t endFrame,
                                std::int32_t fromMs)
{
    const double endMs = fromMs + static_cast<double>(endFrame - startFrame) * 1000.0 / kRate;
    std::vector<double> offsets;
    for (const sFrame& frame : frames) {
        double heard = 0.0;
        if (!heardSongTime(writes, frame.timeNs, block, startFrame, fromMs, heard))
            continue;
        if (heard > endMs)
            break;
        offsets.push_back(frame.songTime - heard);
    }
    return offsets;
}

sOffsetSummary summariseOffsets(std::vector<double> offsets)
{
    sOffsetSummary summary;
    summary.count = offsets.size();
    if (offsets.empty())
        return summary;
    std::size_t within = 0;
    for (double o : offsets) {
        if (std::fabs(o) > std::fabs(summary.largest))
            summary.largest = o;
        within += std::fabs(o) <= 20.0;
    }
    summary.within20 = static_cast<double>(within) / static_cast<double>(offsets.size());
    std::sort(offsets.begin(), offsets.end());
    const std::size_t mid = offsets.size() / 2;
    summary.median = offsets.size() % 2 ? offsets[mid] : (offsets[mid - 1] + offsets[mid]) / 2.0;
    return summary;
}
