// The arithmetic of the sync measurement: how far each drawn frame's song
// time is from what the sound output has played at that moment.
//
// The measurement records, from outside the production's clock, when SDL's
// disk audio driver wrote each block to its file (sWrite) and, for every
// frame, the song time shown and when (sFrame). The output plays a block
// over one block's time after writing it, so at time t the listener hears
//     from + (written before t - blockFrames - startFrame + frames since that write) / rate,
// the frames since the write capped at one block. startFrame is where the
// soundtrack begins in the file (its first non-silent sample, played from
// `from`). syncOffsets gives song time minus that for each frame (positive:
// the pictures are ahead of the sound) and summariseOffsets the median
// and the largest.
#pragma once

#include <cstdint>
#include <vector>

struct sWrite {
    std::int64_t timeNs;
    std::int64_t totalFrames; // frames in the file after this write
};

struct sFrame {
    std::int64_t timeNs;
    std::int32_t songTime;
};

// The most common size of a write: the output's block (0 when fewer than
// two writes).
std::int64_t blockFrames(const std::vector<sWrite>& writes);

// Index of the first stereo frame with a sample other than 0; -1 when all
// are silent.
std::int64_t firstSoundingFrame(const std::vector<std::int16_t>& interleavedStereo);
// Index one past the last stereo frame with a sample other than 0 (the end
// of the soundtrack in the file); 0 when all are silent.
std::int64_t endOfSound(const std::vector<std::int16_t>& interleavedStereo);

// The song time heard at `timeNs`, or false before the first write.
bool heardSongTime(const std::vector<sWrite>& writes, std::int64_t timeNs, std::int64_t block,
                   std::int64_t startFrame, std::int32_t fromMs, double& heardMs);

// Song time minus heard song time of every frame after the first write,
// up to the first frame at which the soundtrack has played to its end
// (heard song time past fromMs + (endFrame - startFrame) / rate); after it
// there is nothing to be in time with.
std::vector<double> syncOffsets(const std::vector<sWrite>& writes, const std::vector<sFrame>& frames,
                                std::int64_t block, std::int64_t startFrame, std::int64_t endFrame,
                                std::int32_t fromMs);

struct sOffsetSummary {
    std::size_t count = 0;
    double median = 0.0;
    double largest = 0.0;   // the largest by size, with its sign
    double within20 = 0.0;  // share of frames within 20 ms, 0..1
};
sOffsetSummary summariseOffsets(std::vector<double> offsets);
