// cPartReader: one part of a split capture, read back for the join. It
// opens the part's file, checks that it is the part the join expects (its
// "comment" tag), that its video is H.264 like the first part's (same size,
// same stream headers) and starts with a keyframe, counts its frames and
// hands its video packets over one by one, numbered on in the joined file.
//
//     cPartReader part;
//     if (!part.open("show-part2of4.mp4", expectedTag, &firstPart)) ... part.error()
//     while (part.next(packet, framesBefore + copied)) ... write packet (in 1/fps)
//
// Part of the encoder module. Not thread-safe.
#pragma once

#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVCodecParameters;
struct AVPacket;

class cPartReader {
public:
    cPartReader() = default;
    ~cPartReader();
    cPartReader(const cPartReader&) = delete;
    cPartReader& operator=(const cPartReader&) = delete;

    // `first`: the first part, whose video this one must match (nullptr
    // for the first itself); `fps`: the capture's frame rate.
    bool open(const std::string& path, const std::string& tag, const cPartReader* first, int fps);

    const AVCodecParameters* parameters() const;
    std::int64_t frames() const { return frameCount; }

    // The next video packet into `packet`, its time stamps in frames from
    // the joined file's start (the part's first frame is `frameNumber`
    // then). False at the part's end (error() empty) or when reading
    // failed.
    bool next(AVPacket* packet, std::int64_t frameNumber);

    const std::string& error() const { return lastError; }

private:
    bool fail(const std::string& what);
    bool reopen();

    std::string path;
    AVFormatContext* format = nullptr;
    int stream = -1;
    std::int64_t frameCount = 0;
    std::int64_t read = 0;
    std::int64_t firstFrameAt = 0;
    int framesPerSecond = 1;
    std::string lastError;
};
