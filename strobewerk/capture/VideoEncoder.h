// cVideoEncoder: what the capture asks of the encoder that writes its
// output, and the settings it writes with.
//
// The encoders themselves (over the FFmpeg libraries: cMp4Encoder for MP4,
// MOV and MKV files, cImageSequenceEncoder for PNG frames and a WAV) are
// built as a module of their own, libstrobewerk_encoder.so, with one entry
// point, strobewerkNewVideoEncoder. The program loads it only when a
// capture starts (cCaptureEncoder does), so the live production never
// loads the hundred-odd libraries that the encoders bring with them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// Half the cores this process has, at least one: the machine's, or as many
// as the software renderer is given (LP_NUM_THREADS, which a split capture
// sets to each part's share).
inline int defaultEncoderThreads()
{
    const char* given = std::getenv("LP_NUM_THREADS");
    const int cores = given != nullptr && std::atoi(given) > 0 ? std::atoi(given)
                                                                : static_cast<int>(std::thread::hardware_concurrency());
    return std::max(1, cores / 2);
}

// Frames from one keyframe to the next: one every 2 s, so players seek
// quickly (and the parts of a split capture start on one).
inline int keyframeInterval(int fps)
{
    return 2 * fps;
}

struct sEncoderSettings {
    // "mp4", "mov", "matroska", or "png" for an image sequence.
    std::string container = "mp4";
    int width = 0;
    int height = 0;
    int fps = 60;
    int sampleRate = 44100;
    int channels = 2;
    // x264's constant rate factor: 14 keeps even small pictures near
    // visually lossless (their sharp coloured edges lose most to the
    // halved colour resolution of yuv420p).
    int crf = 14;
    // x264's speed: on a software renderer the encoder shares the cores
    // with the drawing, and "ultrafast" keeps its share smallest (half of
    // "superfast"'s) at the cost of a larger file (about a third), not
    // of picture quality at this rate factor.
    const char* preset = "ultrafast";
    // The encoder's threads: by default half the cores, at least one. On a
    // software renderer the drawing takes every core it is given, and
    // encoder threads beyond that only contend with it and with each
    // other; on a GPU the encoder still gets enough to keep up.
    int threads = defaultEncoderThreads();
    // False: no audio track (the parts of a split capture, whose sound is
    // encoded once when they are joined).
    bool audio = true;
    // Written into the file's "comment" tag; a join finds its parts by it.
    std::string tag;
    // An image sequence: the frames' path before the number, the number's
    // digits and the sound's file.
    std::string framePrefix;
    int frameDigits = 5;
    std::string soundFile;
};

// A part file to join and the tag it must carry.
struct sVideoPart {
    std::string path;
    std::string tag;
};

class cVideoEncoder {
public:
    virtual ~cVideoEncoder() = default;

    // Creates the file at `path` in settings.container.
    virtual bool open(const std::string& path, const sEncoderSettings& settings) = 0;
    // Creates the file at `path` with the video of `parts` copied in order
    // (not encoded again) and the sound encoded from writeAudio. Each part
    // must carry its tag and the same video stream as the first. Encoders
    // that cannot copy video refuse.
    virtual bool openJoin(const std::string& /*path*/, const sEncoderSettings& /*settings*/,
                          const std::vector<sVideoPart>& /*parts*/)
    {
        return false;
    }
    // After openJoin: the frames part k holds.
    virtual std::int64_t partFrames(std::size_t /*k*/) const { return 0; }
    // After openJoin: copies the next `frames` frames of the parts.
    virtual bool copyVideo(std::int64_t /*frames*/) { return false; }
    // One frame of width x height BGRA pixels; `stride` is the byte step
    // from one row to the next in the picture's top-to-bottom order.
    virtual bool writeVideo(const std::uint8_t* pixels, int stride) = 0;
    // `frames` sample frames of interleaved audio.
    virtual bool writeAudio(const float* samples, int frames) = 0;
    // Drains both encoders, writes the index and closes the file.
    virtual bool finish() = 0;
    // Closes without finishing (the file is left incomplete).
    virtual void abandon() = 0;

    virtual const std::string& error() const = 0;
    virtual std::int64_t videoFrames() const = 0;
    virtual std::int64_t audioSamples() const = 0;
};

// Where the encoder's libraries send their error messages, one line each.
using tEncoderMessageSink = void (*)(const char* line);

// The module's entry point: a new encoder for `container` (as in
// sEncoderSettings), owned by the caller.
extern "C" cVideoEncoder* strobewerkNewVideoEncoder(tEncoderMessageSink sink, const char* container);
inline constexpr const char* newVideoEncoderSymbol = "strobewerkNewVideoEncoder";
