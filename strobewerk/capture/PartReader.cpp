#include "strobewerk/capture/PartReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstring>

namespace {

// Every frame of a part decoded, with the decoder's checks at their
// strictest: the first error (or a frame flagged corrupt) is the damage.
// The library's own complaints are not shown while it checks.
class cWholeDecode {
public:
    ~cWholeDecode()
    {
        av_frame_free(&frame);
        avcodec_free_context(&context);
        if (quietened)
            av_log_set_level(level);
    }
    bool open(const AVCodecParameters* parameters)
    {
        const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
        context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
        frame = av_frame_alloc();
        if (context == nullptr || frame == nullptr || avcodec_parameters_to_context(context, parameters) < 0)
            return false;
        context->err_recognition = AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_EXPLODE;
        context->thread_count = 0;
        level = av_log_get_level();
        av_log_set_level(AV_LOG_QUIET);
        quietened = true;
        return avcodec_open2(context, codec, nullptr) >= 0;
    }
    // nullptr: the end, the frames held back drained.
    void send(const AVPacket* packet)
    {
        if (!damage.empty())
            return;
        const int sent = avcodec_send_packet(context, packet);
        if (sent < 0 && sent != AVERROR_EOF) {
            damage = "frame " + std::to_string(sentCount) + " does not decode (" + errorText(sent) + ")";
            return;
        }
        ++sentCount;
        for (;;) {
            const int got = avcodec_receive_frame(context, frame);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return;
            if (got < 0) {
                damage = "frame " + std::to_string(decoded) + " does not decode (" + errorText(got) + ")";
                return;
            }
            if (frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0) {
                damage = "frame " + std::to_string(decoded) + " decodes with errors";
                return;
            }
            ++decoded;
            av_frame_unref(frame);
        }
    }

    std::int64_t decoded = 0;
    std::string damage;

private:
    static std::string errorText(int code)
    {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        return text;
    }
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    std::int64_t sentCount = 0;
    int level = 0;
    bool quietened = false;
};

} // namespace

cPartReader::~cPartReader()
{
    avformat_close_input(&format);
}

bool cPartReader::fail(const std::string& what)
{
    lastError = path + ": " + what;
    avformat_close_input(&format);
    return false;
}

bool cPartReader::reopen()
{
    avformat_close_input(&format);
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return fail("cannot be opened");
    if (avformat_find_stream_info(format, nullptr) < 0)
        return fail("is not a video file");
    stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0 || format->streams[stream]->codecpar->codec_id != AV_CODEC_ID_H264)
        return fail("holds no H.264 video");
    return true;
}

bool cPartReader::open(const std::string& file, const std::string& tag, const cPartReader* first, int fps)
{
    path = file;
    framesPerSecond = fps;
    if (!reopen())
        return false;
    const AVDictionaryEntry* comment = av_dict_get(format->metadata, "comment", nullptr, 0);
    if (comment == nullptr || tag != comment->value)
        return fail("is not " + tag + (comment ? std::string(" (it is ") + comment->value + ")" : ""));
    if (first != nullptr) {
        const AVCodecParameters* mine = parameters();
        const AVCodecParameters* theirs = first->parameters();
        if (mine->width != theirs->width || mine->height != theirs->height
            || mine->extradata_size != theirs->extradata_size
            || std::memcmp(mine->extradata, theirs->extradata, static_cast<std::size_t>(mine->extradata_size)) != 0)
            return fail("was encoded otherwise than the first part (size or stream headers differ)");
    }
    // The frames, counted from the packets (not every container's index
    // states them), and the first one's time; and every frame decoded, so
    // that a damaged part is never joined.
    cWholeDecode decode;
    if (!decode.open(format->streams[stream]->codecpar))
        return fail("cannot be decoded (no H.264 decoder)");
    AVPacket* packet = av_packet_alloc();
    bool firstPacket = true;
    bool startsWithKeyframe = false;
    int readResult = 0;
    while (packet != nullptr && (readResult = av_read_frame(format, packet)) >= 0) {
        if (packet->stream_index == stream) {
            if (firstPacket) {
                startsWithKeyframe = (packet->flags & AV_PKT_FLAG_KEY) != 0;
                firstFrameAt = packet->pts;
                firstPacket = false;
            }
            ++frameCount;
            decode.send(packet);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (readResult != AVERROR_EOF && readResult < 0)
        return fail("is damaged: it cannot be read to its end");
    if (frameCount == 0 || !startsWithKeyframe)
        return fail(frameCount == 0 ? "holds no frames" : "does not start with a keyframe");
    decode.send(nullptr);
    if (!decode.damage.empty() || decode.decoded != frameCount)
        return fail("is damaged: " + (decode.damage.empty() ? std::to_string(decode.decoded) + " of "
                                                                  + std::to_string(frameCount) + " frames decode"
                                                            : decode.damage));
    return reopen();
}

const AVCodecParameters* cPartReader::parameters() const
{
    return format->streams[stream]->codecpar;
}

bool cPartReader::next(AVPacket* packet, std::int64_t frameNumber)
{
    if (format == nullptr)
        return false;
    for (;;) {
        const int result = av_read_frame(format, packet);
        if (result == AVERROR_EOF) {
            avformat_close_input(&format);
            return false;
        }
        if (result < 0)
            return fail("cannot be read to its end");
        if (packet->stream_index != stream) {
            av_packet_unref(packet);
            continue;
        }
        // The part's own times, in frames from its first, become the joined
        // file's; the decode order stays as it was.
        const AVRational timeBase = format->streams[stream]->time_base;
        const AVRational frame{1, framesPerSecond};
        const std::int64_t shown = av_rescale_q_rnd(packet->pts - firstFrameAt, timeBase, frame,
                                                    static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        const std::int64_t decoded = av_rescale_q_rnd(packet->dts - firstFrameAt, timeBase, frame,
                                                      static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
        packet->pts = frameNumber - read + shown;
        packet->dts = frameNumber - read + decoded;
        packet->duration = 1;
        packet->pos = -1;
        ++read;
        return true;
    }
}
