#include "strobewerk/capture/ImageSequenceEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cmath>
#include <cstring>

#include "strobewerk/capture/CaptureOutput.h"

namespace {

// The WAV header's fields, little-endian, as 44 bytes.
void putWord(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

cImageSequenceEncoder::~cImageSequenceEncoder()
{
    abandon();
}

bool cImageSequenceEncoder::fail(const std::string& what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (code != 0)
        av_strerror(code, text, sizeof text);
    lastError = code != 0 ? what + ": " + text : what;
    return false;
}

bool cImageSequenceEncoder::open(const std::string& /*path*/, const sEncoderSettings& settings)
{
    abandon();
    config = settings;
    videoCount = 0;
    audioCount = 0;
    if (config.width <= 0 || config.height <= 0 || config.fps <= 0 || config.channels <= 0)
        return fail("bad picture size, frame rate or audio format");
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec)
        return fail("the FFmpeg libraries have no PNG encoder");
    png = avcodec_alloc_context3(codec);
    picture = av_frame_alloc();
    packet = av_packet_alloc();
    if (!png || !picture || !packet)
        return fail("out of memory");
    png->width = config.width;
    png->height = config.height;
    png->pix_fmt = AV_PIX_FMT_RGB24;
    png->time_base = AVRational{1, config.fps};
    // Lossless whatever the level: the quickest of zlib's keeps the encoder
    // from holding up the drawing, for files about a fifth larger.
    png->compression_level = 1;
    png->thread_count = 1;
    int result = avcodec_open2(png, codec, nullptr);
    if (result < 0)
        return fail("cannot start the PNG encoder", result);
    picture->format = png->pix_fmt;
    picture->width = config.width;
    picture->height = config.height;
    if ((result = av_frame_get_buffer(picture, 0)) < 0)
        return fail("out of memory", result);
    converter = sws_getContext(config.width, config.height, AV_PIX_FMT_BGRA, config.width, config.height,
                               AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    if (!converter)
        return fail("cannot set up the colour conversion");
    sound = std::fopen(config.soundFile.c_str(), "wb");
    if (!sound)
        return fail("cannot create " + config.soundFile + ": " + std::strerror(errno));
    return writeSoundHeader();
}

bool cImageSequenceEncoder::writeSoundHeader()
{
    const std::uint32_t bytes = static_cast<std::uint32_t>(audioCount * config.channels * 2);
    std::vector<std::uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    putWord(header, 36 + bytes, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putWord(header, 16, 4);
    putWord(header, 1, 2); // integer PCM
    putWord(header, static_cast<std::uint32_t>(config.channels), 2);
    putWord(header, static_cast<std::uint32_t>(config.sampleRate), 4);
    putWord(header, static_cast<std::uint32_t>(config.sampleRate * config.channels * 2), 4);
    putWord(header, static_cast<std::uint32_t>(config.channels * 2), 2);
    putWord(header, 16, 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    putWord(header, bytes, 4);
    if (std::fseek(sound, 0, SEEK_SET) != 0 || std::fwrite(header.data(), 1, header.size(), sound) != header.size())
        return fail("cannot write " + config.soundFile + ": " + std::strerror(errno));
    return std::fseek(sound, 0, SEEK_END) == 0;
}

bool cImageSequenceEncoder::writeVideo(const std::uint8_t* pixels, int stride)
{
    if (!png)
        return fail("the sequence is not open");
    int result = av_frame_make_writable(picture);
    if (result < 0)
        return fail("out of memory", result);
    const std::uint8_t* const source[1] = {pixels};
    const int sourceStride[1] = {stride};
    sws_scale(converter, source, sourceStride, 0, config.height, picture->data, picture->linesize);
    if ((result = avcodec_send_frame(png, picture)) < 0 || (result = avcodec_receive_packet(png, packet)) < 0)
        return fail("the PNG encoder refused a frame", result);
    const std::string name = sequenceFrameName(config.framePrefix, config.frameDigits, videoCount);
    std::FILE* file = std::fopen(name.c_str(), "wb");
    const bool written = file != nullptr && std::fwrite(packet->data, 1, static_cast<std::size_t>(packet->size), file)
                                                == static_cast<std::size_t>(packet->size);
    const int error = errno;
    av_packet_unref(packet);
    if (file != nullptr && std::fclose(file) != 0 && written)
        return fail("cannot write " + name + ": " + std::strerror(errno));
    if (!written)
        return fail("cannot write " + name + ": " + std::strerror(error));
    ++videoCount;
    return true;
}

bool cImageSequenceEncoder::writeAudio(const float* samples, int frames)
{
    if (!sound)
        return fail("the sequence is not open");
    const std::size_t values = static_cast<std::size_t>(frames) * static_cast<std::size_t>(config.channels);
    soundBlock.resize(values);
    for (std::size_t i = 0; i < values; ++i) {
        const float clamped = samples[i] < -1.0f ? -1.0f : samples[i] > 1.0f ? 1.0f : samples[i];
        const long value = std::lround(clamped * 32767.0f);
        soundBlock[i] = static_cast<std::int16_t>(value);
    }
    // Little-endian on every machine the production runs on.
    if (std::fwrite(soundBlock.data(), sizeof(std::int16_t), values, sound) != values)
        return fail("cannot write " + config.soundFile + ": " + std::strerror(errno));
    audioCount += frames;
    return true;
}

bool cImageSequenceEncoder::finish()
{
    if (!sound)
        return fail("the sequence is not open");
    if (!writeSoundHeader())
        return false;
    const int closed = std::fclose(sound);
    sound = nullptr;
    release();
    if (closed != 0)
        return fail("cannot write " + config.soundFile + ": " + std::strerror(errno));
    return true;
}

void cImageSequenceEncoder::abandon()
{
    if (sound)
        std::fclose(sound);
    sound = nullptr;
    release();
}

void cImageSequenceEncoder::release()
{
    avcodec_free_context(&png);
    av_frame_free(&picture);
    av_packet_free(&packet);
    sws_freeContext(converter);
    converter = nullptr;
}
