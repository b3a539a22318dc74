#include "tests/capture/DecodedVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <fstream>

namespace {

bool moovBeforeMdat(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    for (;;) {
        unsigned char header[8];
        if (!in.read(reinterpret_cast<char*>(header), 8))
            return false;
        const std::uint64_t size = (std::uint64_t(header[0]) << 24) | (header[1] << 16) | (header[2] << 8) | header[3];
        const std::string type(reinterpret_cast<char*>(header + 4), 4);
        if (type == "moov")
            return true;
        if (type == "mdat" || size < 8)
            return false;
        in.seekg(static_cast<std::streamoff>(size - 8), std::ios::cur);
    }
}

struct sDecoder {
    AVCodecContext* codec = nullptr;
    ~sDecoder() { avcodec_free_context(&codec); }
};

} // namespace

sDecodedVideo decodeVideoFile(const std::string& path, bool keepPictures)
{
    sDecodedVideo out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
        out.error = "cannot open " + path;
        return out;
    }
    if (avformat_find_stream_info(format, nullptr) < 0) {
        out.error = "no stream info";
        avformat_close_input(&format);
        return out;
    }
    out.streamCount = static_cast<int>(format->nb_streams);
    out.formatDuration = format->duration > 0 ? format->duration / double(AV_TIME_BASE) : 0.0;
    out.indexAtFront = moovBeforeMdat(path);

    const int videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    sDecoder video, audio;
    auto openDecoder = [&](int index, sDecoder& decoder) {
        if (index < 0)
            return false;
        const AVCodecParameters* parameters = format->streams[index]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
        decoder.codec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoder.codec, parameters);
        decoder.codec->pkt_timebase = format->streams[index]->time_base;
        return avcodec_open2(decoder.codec, codec, nullptr) >= 0;
    };
    if (!openDecoder(videoIndex, video) || !openDecoder(audioIndex, audio)) {
        out.error = "missing or undecodable stream";
        avformat_close_input(&format);
        return out;
    }
    const AVStream* videoStream = format->streams[videoIndex];
    const AVStream* audioStream = format->streams[audioIndex];
    out.videoCodec = avcodec_get_name(videoStream->codecpar->codec_id);
    out.audioCodec = avcodec_get_name(audioStream->codecpar->codec_id);
    out.width = videoStream->codecpar->width;
    out.height = videoStream->codecpar->height;
    const char* pixelName = av_get_pix_fmt_name(static_cast<AVPixelFormat>(videoStream->codecpar->format));
    out.pixelFormat = pixelName ? pixelName : "";
    out.frameRate = av_q2d(videoStream->avg_frame_rate);
    out.sampleRate = audioStream->codecpar->sample_rate;
    out.channels = audioStream->codecpar->ch_layout.nb_channels;

    SwsContext* toRgb = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    bool firstPicture = true, firstSound = true;
    int sinceKeyframe = 0;
    double lastPictureEnd = 0.0;
    const double videoTimeBase = av_q2d(videoStream->time_base);

    auto takePictures = [&]() {
        while (avcodec_receive_frame(video.codec, frame) >= 0) {
            const double time = frame->best_effort_timestamp * videoTimeBase;
            if (firstPicture) {
                out.firstPictureTime = time;
                firstPicture = false;
            }
            lastPictureEnd = std::max(lastPictureEnd, time + frame->pkt_duration * videoTimeBase);
            out.pictureTimes.push_back(time);
            if (frame->key_frame)
                out.keyframes.push_back(out.frameCount);
            ++out.frameCount;
            if (frame->key_frame) {
                sinceKeyframe = 0;
            } else {
                out.longestKeyframeGap = std::max(out.longestKeyframeGap, ++sinceKeyframe);
            }
            if (keepPictures) {
                toRgb = sws_getCachedContext(toRgb, frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format), frame->width, frame->height,
                                             AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
                const int* coefficients = sws_getCoefficients(
                    frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
                sws_setColorspaceDetails(toRgb, coefficients, frame->color_range == AVCOL_RANGE_JPEG, coefficients, 1,
                                         0, 1 << 16, 1 << 16);
                std::vector<std::uint8_t> rgb(static_cast<size_t>(frame->width) * frame->height * 3);
                std::uint8_t* destination[1] = {rgb.data()};
                const int stride[1] = {frame->width * 3};
                sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, destination, stride);
                out.pictures.push_back(std::move(rgb));
            }
        }
    };
    auto takeSound = [&]() {
        while (avcodec_receive_frame(audio.codec, frame) >= 0) {
            if (firstSound) {
                out.firstSampleTime = frame->best_effort_timestamp * av_q2d(audioStream->time_base);
                firstSound = false;
            }
            for (int i = 0; i < frame->nb_samples; ++i)
                for (int c = 0; c < out.channels; ++c)
                    out.samples.push_back(reinterpret_cast<const float*>(frame->extended_data[c])[i]);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == videoIndex && avcodec_send_packet(video.codec, packet) >= 0)
            takePictures();
        else if (packet->stream_index == audioIndex && avcodec_send_packet(audio.codec, packet) >= 0)
            takeSound();
        av_packet_unref(packet);
    }
    avcodec_send_packet(video.codec, nullptr);
    takePictures();
    avcodec_send_packet(audio.codec, nullptr);
    takeSound();
    out.videoDuration = lastPictureEnd;

    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    out.ok = audio.codec->sample_fmt == AV_SAMPLE_FMT_FLTP;
    if (!out.ok)
        out.error = "audio is not planar float";
    return out;
}

std::vector<std::uint8_t> decodeImageFile(const std::string& path, int& width, int& height)
{
    std::vector<std::uint8_t> rgb;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return rgb;
    sDecoder image;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const AVCodec* codec = avcodec_find_decoder(format->streams[0]->codecpar->codec_id);
    image.codec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(image.codec, format->streams[0]->codecpar);
    if (avcodec_open2(image.codec, codec, nullptr) >= 0 && av_read_frame(format, packet) >= 0
        && avcodec_send_packet(image.codec, packet) >= 0 && avcodec_receive_frame(image.codec, frame) >= 0) {
        width = frame->width;
        height = frame->height;
        SwsContext* toRgb = sws_getContext(width, height, static_cast<AVPixelFormat>(frame->format), width, height,
                                           AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
        rgb.resize(static_cast<size_t>(width) * height * 3);
        std::uint8_t* destination[1] = {rgb.data()};
        const int stride[1] = {width * 3};
        sws_scale(toRgb, frame->data, frame->linesize, 0, height, destination, stride);
        sws_freeContext(toRgb);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return rgb;
}

double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    const double mse = sum / double(a.size());
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

double meanLevel(const std::vector<std::uint8_t>& rgb)
{
    double sum = 0.0;
    for (std::uint8_t v : rgb)
        sum += v;
    return rgb.empty() ? 0.0 : sum / double(rgb.size());
}

int bestLag(const std::vector<float>& heard, const std::vector<float>& reference, int maxLag)
{
    int best = 0;
    double bestScore = -1e300;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double score = 0.0;
        for (size_t i = 0; i < reference.size(); ++i) {
            const std::int64_t j = static_cast<std::int64_t>(i) + lag;
            if (j >= 0 && j < static_cast<std::int64_t>(heard.size()))
                score += double(heard[static_cast<size_t>(j)]) * reference[i];
        }
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

std::vector<float> channelOf(const std::vector<float>& interleaved, int channels, int channel)
{
    std::vector<float> out;
    for (size_t i = static_cast<size_t>(channel); i < interleaved.size(); i += static_cast<size_t>(channels))
        out.push_back(interleaved[i]);
    return out;
}
