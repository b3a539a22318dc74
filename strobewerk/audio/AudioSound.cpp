#include "strobewerk/audio/AudioSound.h"

#include "strobewerk/audio/AudioResult.h"
#include "vorn/DataFile.h"

#include <cstdio>
#include <mpg123.h>
#include <new>

cAudioSound::~cAudioSound()
{
    if (decoder) {
        mpg123_close(decoder);
        mpg123_delete(decoder);
    }
}

int32_t cAudioSound::open(const std::string& path, bool accurate, cAudioSound** sound)
{
    const std::string found = vorn::resolveDataPath(path);
    if (std::FILE* probe = std::fopen(found.c_str(), "rb"))
        std::fclose(probe);
    else
        return AUDIO_ERR_FILE_NOTFOUND;

    cAudioSound* made = new (std::nothrow) cAudioSound();
    if (!made)
        return AUDIO_ERR_MEMORY;
    int error = MPG123_OK;
    made->decoder = mpg123_new(nullptr, &error);
    if (!made->decoder) {
        delete made;
        return AUDIO_ERR_DECODER;
    }
    mpg123_handle* mh = made->decoder;
    // Quiet: the decoder must not write to the error stream. Gapless: the
    // encoder's delay and padding are not part of the sound.
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(mh);
    mpg123_format(mh, audioOutputRate, MPG123_STEREO, MPG123_ENC_FLOAT_32);

    if (mpg123_open(mh, found.c_str()) != MPG123_OK) {
        delete made;
        return AUDIO_ERR_FILE_NOTFOUND;
    }
    if (accurate && mpg123_scan(mh) != MPG123_OK) {
        delete made;
        return AUDIO_ERR_FORMAT;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK
        || rate != audioOutputRate || channels != audioOutputChannels
        || encoding != MPG123_ENC_FLOAT_32) {
        delete made;
        return AUDIO_ERR_FORMAT;
    }
    const off_t length = mpg123_length(mh);
    if (length <= 0) {
        delete made;
        return AUDIO_ERR_FORMAT;
    }
    made->frameCount = length;
    *sound = made;
    return AUDIO_OK;
}

bool cAudioSound::seekFrame(int64_t frame)
{
    return mpg123_seek(decoder, static_cast<off_t>(frame), SEEK_SET) >= 0;
}

int cAudioSound::read(float* out, int frames)
{
    unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
    const size_t frameBytes = sizeof(float) * audioOutputChannels;
    const size_t wanted = frameBytes * static_cast<size_t>(frames);
    size_t filled = 0;
    while (filled < wanted) {
        size_t got = 0;
        const int result = mpg123_read(decoder, bytes + filled, wanted - filled, &got);
        filled += got;
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && got > 0))
            continue;
        // The end of the stream, or a frame the decoder cannot read.
        break;
    }
    return static_cast<int>(filled / frameBytes);
}
