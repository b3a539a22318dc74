#include "strobewerk/capture/Mp4Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "strobewerk/capture/ImageSequenceEncoder.h"

namespace {

std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

tEncoderMessageSink messageSink = nullptr;

// The libraries' own messages: their errors go to the sink, the chatter
// (encoder statistics, muxer notes) is dropped.
void forwardLibraryMessage(void* /*context*/, int level, const char* format, va_list arguments)
{
    // A part's whole decode quietens the libraries while it checks.
    if (level > AV_LOG_ERROR || level > av_log_get_level())
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (!line.empty() && messageSink != nullptr)
        messageSink(line.c_str());
}

} // namespace

extern "C" cVideoEncoder* strobewerkNewVideoEncoder(tEncoderMessageSink sink, const char* container)
{
    // The libraries have one message handler for the whole process.
    static std::once_flag routed;
    std::call_once(routed, [sink] {
        messageSink = sink;
        av_log_set_callback(forwardLibraryMessage);
    });
    if (std::string(container) == "png")
        return new cImageSequenceEncoder();
    return new cMp4Encoder();
}

cMp4Encoder::~cMp4Encoder()
{
    abandon();
}

bool cMp4Encoder::fail(const std::string& what, int code)
{
    lastError = code != 0 ? what + ": " + errorText(code) : what;
    return false;
}

bool cMp4Encoder::startFile(const std::string& path, const sEncoderSettings& settings)
{
    abandon();
    config = settings;
    videoCount = 0;
    audioCount = 0;
    finished = false;
    if (config.width <= 0 || config.height <= 0 || config.width % 2 != 0 || config.height % 2 != 0)
        return fail("the picture size must be even and not empty");
    if (config.fps <= 0 || config.sampleRate <= 0 || config.channels <= 0)
        return fail("bad frame rate or audio format");
    const int result = avformat_alloc_output_context2(&format, nullptr, config.container.c_str(), path.c_str());
    if (result < 0 || !format)
        return fail("no " + config.container + " writer", result);
    if (!config.tag.empty())
        av_dict_set(&format->metadata, "comment", config.tag.c_str(), 0);
    videoStream = avformat_new_stream(format, nullptr);
    if (!videoStream)
        return fail("out of memory");
    videoStream->time_base = AVRational{1, config.fps};
    videoStream->avg_frame_rate = AVRational{config.fps, 1};
    return true;
}

bool cMp4Encoder::open(const std::string& path, const sEncoderSettings& settings)
{
    if (!startFile(path, settings))
        return false;
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264)
        return fail("the FFmpeg libraries have no H.264 encoder (libx264)");
    video = avcodec_alloc_context3(h264);
    if (!video)
        return fail("out of memory");
    video->width = config.width;
    video->height = config.height;
    video->time_base = AVRational{1, config.fps};
    video->framerate = AVRational{config.fps, 1};
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->gop_size = keyframeInterval(config.fps);
    video->colorspace = AVCOL_SPC_BT709;
    video->color_primaries = AVCOL_PRI_BT709;
    video->color_trc = AVCOL_TRC_BT709;
    video->color_range = AVCOL_RANGE_MPEG;
    if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0)
        video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    video->thread_count = config.threads > 0 ? config.threads : 1;
    av_opt_set(video->priv_data, "preset", config.preset, 0);
    av_opt_set(video->priv_data, "crf", std::to_string(config.crf).c_str(), 0);
    int result = avcodec_open2(video, h264, nullptr);
    if (result < 0)
        return fail("cannot start the H.264 encoder", result);
    if ((result = avcodec_parameters_from_context(videoStream->codecpar, video)) < 0)
        return fail("cannot describe the video stream", result);

    picture = av_frame_alloc();
    if (!picture)
        return fail("out of memory");
    picture->format = video->pix_fmt;
    picture->width = config.width;
    picture->height = config.height;
    if ((result = av_frame_get_buffer(picture, 0)) < 0)
        return fail("out of memory", result);
    scaler = sws_getContext(config.width, config.height, AV_PIX_FMT_BGRA, config.width, config.height,
                            AV_PIX_FMT_YUV420P, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scaler)
        return fail("cannot set up the colour conversion");
    // Full-range RGB in, BT.709 limited range out, as the stream says.
    sws_setColorspaceDetails(scaler, sws_getCoefficients(SWS_CS_DEFAULT), 1, sws_getCoefficients(SWS_CS_ITU709), 0,
                             0, 1 << 16, 1 << 16);
    return addAudio() && writeHeader(path);
}

bool cMp4Encoder::openJoin(const std::string& path, const sEncoderSettings& settings,
                           const std::vector<sVideoPart>& partFiles)
{
    if (!startFile(path, settings))
        return false;
    for (const sVideoPart& file : partFiles) {
        parts.push_back(std::make_unique<cPartReader>());
        if (!parts.back()->open(file.path, file.tag, parts.size() == 1 ? nullptr : parts.front().get(),
                                   config.fps))
            return fail(parts.back()->error());
    }
    if (parts.empty())
        return fail("no parts to join");
    int result = avcodec_parameters_copy(videoStream->codecpar, parts.front()->parameters());
    if (result < 0)
        return fail("cannot describe the video stream", result);
    videoStream->codecpar->codec_tag = 0;
    packet = av_packet_alloc();
    if (!packet)
        return fail("out of memory");
    return addAudio() && writeHeader(path);
}

std::int64_t cMp4Encoder::partFrames(std::size_t k) const
{
    return k < parts.size() ? parts[k]->frames() : 0;
}

bool cMp4Encoder::copyVideo(std::int64_t frames)
{
    if (!headerWritten || finished || parts.empty())
        return fail("the file is not open for joining");
    for (std::int64_t copied = 0; copied < frames;) {
        if (nextPart >= parts.size())
            return fail("the parts end before the frames asked for");
        cPartReader& part = *parts[nextPart];
        if (!part.next(packet, videoCount)) {
            if (!part.error().empty())
                return fail(part.error());
            ++nextPart;
            continue;
        }
        packet->stream_index = videoStream->index;
        av_packet_rescale_ts(packet, AVRational{1, config.fps}, videoStream->time_base);
        const int result = av_interleaved_write_frame(format, packet);
        if (result < 0)
            return fail("cannot write to the file", result);
        ++videoCount;
        ++copied;
    }
    return true;
}

bool cMp4Encoder::addAudio()
{
    if (!config.audio)
        return true;
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!aac)
        return fail("the FFmpeg libraries have no AAC encoder");
    audioStream = avformat_new_stream(format, nullptr);
    audio = avcodec_alloc_context3(aac);
    if (!audioStream || !audio)
        return fail("out of memory");
    audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio->sample_rate = config.sampleRate;
    av_channel_layout_default(&audio->ch_layout, config.channels);
    audio->bit_rate = 192000;
    audio->time_base = AVRational{1, config.sampleRate};
    if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0)
        audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The quick one of the encoder's ways of choosing its quantisers: at
    // this rate the sound is transparent either way, and the careful way
    // takes more than twice the time (0.7 against 0.3 ms for each 1/30 s
    // of sound on a 2-core machine).
    av_opt_set(audio->priv_data, "aac_coder", "fast", 0);
    int result = avcodec_open2(audio, aac, nullptr);
    if (result < 0)
        return fail("cannot start the AAC encoder", result);
    if ((result = avcodec_parameters_from_context(audioStream->codecpar, audio)) < 0)
        return fail("cannot describe the audio stream", result);
    audioStream->time_base = audio->time_base;
    sound = av_frame_alloc();
    if (!packet)
        packet = av_packet_alloc();
    if (!sound || !packet)
        return fail("out of memory");
    sound->format = audio->sample_fmt;
    sound->sample_rate = audio->sample_rate;
    av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
    sound->nb_samples = audio->frame_size > 0 ? audio->frame_size : 1024;
    if ((result = av_frame_get_buffer(sound, 0)) < 0)
        return fail("out of memory", result);
    pending.assign(static_cast<size_t>(config.channels), {});
    return true;
}

bool cMp4Encoder::writeHeader(const std::string& path)
{
    if (!packet && !(packet = av_packet_alloc()))
        return fail("out of memory");
    int result = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0)
        return fail("cannot create the file", result);
    AVDictionary* muxerOptions = nullptr;
    // The index goes to the front once the file is complete.
    if (config.container != "matroska")
        av_dict_set(&muxerOptions, "movflags", "+faststart", 0);
    result = avformat_write_header(format, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (result < 0)
        return fail("cannot write the file's header", result);
    headerWritten = true;
    return true;
}

bool cMp4Encoder::drain(AVCodecContext* codec, AVStream* stream)
{
    for (;;) {
        int result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return fail("the encoder failed", result);
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(format, packet);
        if (result < 0)
            return fail("cannot write to the file", result);
    }
}

bool cMp4Encoder::writeVideo(const std::uint8_t* pixels, int stride)
{
    if (!headerWritten || finished || !video)
        return fail("the file is not open");
    int result = av_frame_make_writable(picture);
    if (result < 0)
        return fail("out of memory", result);
    const std::uint8_t* const source[1] = {pixels};
    const int sourceStride[1] = {stride};
    sws_scale(scaler, source, sourceStride, 0, config.height, picture->data, picture->linesize);
    picture->pts = videoCount;
    if ((result = avcodec_send_frame(video, picture)) < 0)
        return fail("the H.264 encoder refused a frame", result);
    ++videoCount;
    return drain(video, videoStream);
}

bool cMp4Encoder::encodeAudioBlock(int frames)
{
    int result = av_frame_make_writable(sound);
    if (result < 0)
        return fail("out of memory", result);
    sound->nb_samples = frames;
    for (int c = 0; c < config.channels; ++c) {
        std::vector<float>& queue = pending[static_cast<size_t>(c)];
        std::copy(queue.begin(), queue.begin() + frames, reinterpret_cast<float*>(sound->data[c]));
        queue.erase(queue.begin(), queue.begin() + frames);
    }
    sound->pts = audioCount;
    if ((result = avcodec_send_frame(audio, sound)) < 0)
        return fail("the AAC encoder refused a block", result);
    audioCount += frames;
    return drain(audio, audioStream);
}

bool cMp4Encoder::writeAudio(const float* samples, int frames)
{
    if (!headerWritten || finished || !audio)
        return fail("the file is not open");
    for (int c = 0; c < config.channels; ++c) {
        std::vector<float>& queue = pending[static_cast<size_t>(c)];
        for (int f = 0; f < frames; ++f)
            queue.push_back(samples[f * config.channels + c]);
    }
    const int block = audio->frame_size > 0 ? audio->frame_size : 1024;
    while (static_cast<int>(pending[0].size()) >= block)
        if (!encodeAudioBlock(block))
            return false;
    return true;
}

bool cMp4Encoder::finish()
{
    if (!headerWritten || finished)
        return fail("the file is not open");
    // The last, shorter block: its length is the track's true end.
    if (audio && !pending[0].empty() && !encodeAudioBlock(static_cast<int>(pending[0].size())))
        return false;
    int result = 0;
    if (video && ((result = avcodec_send_frame(video, nullptr)) < 0 || !drain(video, videoStream)))
        return result < 0 ? fail("cannot end the video", result) : false;
    if (audio && ((result = avcodec_send_frame(audio, nullptr)) < 0 || !drain(audio, audioStream)))
        return result < 0 ? fail("cannot end the audio", result) : false;
    if ((result = av_write_trailer(format)) < 0)
        return fail("cannot write the file's index", result);
    finished = true;
    if ((result = avio_closep(&format->pb)) < 0)
        return fail("cannot close the file", result);
    release();
    return true;
}

void cMp4Encoder::abandon()
{
    if (format && format->pb)
        avio_closep(&format->pb);
    release();
}

void cMp4Encoder::release()
{
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    av_frame_free(&picture);
    av_frame_free(&sound);
    av_packet_free(&packet);
    sws_freeContext(scaler);
    scaler = nullptr;
    if (format)
        avformat_free_context(format);
    format = nullptr;
    parts.clear();
    nextPart = 0;
    videoStream = nullptr;
    audioStream = nullptr;
    headerWritten = false;
}
