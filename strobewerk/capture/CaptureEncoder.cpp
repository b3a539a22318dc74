#include "strobewerk/capture/CaptureEncoder.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "strobewerk/ProgramPath.h"
#include "vorn/ConsoleLog.h"

namespace {

void printLibraryMessage(const char* line)
{
    vorn::consoleLog.line("capture: ", line);
}

// The folder of the running program, with a trailing slash ("" if unknown).
std::string programFolder()
{
    const std::string program = programPath();
    return program.substr(0, program.rfind('/') + 1);
}

std::vector<std::string> modulePlaces()
{
    if (const char* chosen = std::getenv("STROBEWERK_ENCODER_MODULE"); chosen != nullptr && *chosen != '\0')
        return {chosen};
    std::vector<std::string> places{programFolder() + encoderModuleName};
#ifdef ENCODER_MODULE_BUILD_PATH
    places.push_back(ENCODER_MODULE_BUILD_PATH);
#endif
    return places;
}

// A new encoder for `container` from the module, or nullptr with `why`
// set. The module stays loaded once it is.
cVideoEncoder* newEncoder(const std::string& container, std::string& why)
{
    why.clear();
    for (const std::string& place : modulePlaces()) {
        void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            if (why.empty())
                why = dlerror();
            continue;
        }
        auto create = reinterpret_cast<decltype(&strobewerkNewVideoEncoder)>(dlsym(module, newVideoEncoderSymbol));
        if (create == nullptr) {
            why = place + " has no encoder in it";
            continue;
        }
        return create(printLibraryMessage, container.c_str());
    }
    why = "the video encoder could not be loaded (" + why + ")";
    return nullptr;
}

} // namespace

bool cCaptureEncoder::load(const std::string& container)
{
    encoder.reset(newEncoder(container, lastError));
    return encoder != nullptr;
}

bool cCaptureEncoder::open(const std::string& path, const sEncoderSettings& settings)
{
    return load(settings.container) && encoder->open(path, settings);
}

bool cCaptureEncoder::openJoin(const std::string& path, const sEncoderSettings& settings,
                               const std::vector<sVideoPart>& parts)
{
    return load(settings.container) && encoder->openJoin(path, settings, parts);
}

bool cCaptureEncoder::copyVideo(std::int64_t frames)
{
    return encoder ? encoder->copyVideo(frames) : notOpen();
}

bool cCaptureEncoder::notOpen()
{
    lastError = "the file is not open";
    return false;
}

bool cCaptureEncoder::writeVideo(const std::uint8_t* pixels, int stride)
{
    return encoder ? encoder->writeVideo(pixels, stride) : notOpen();
}

bool cCaptureEncoder::writeAudio(const float* samples, int frames)
{
    return encoder ? encoder->writeAudio(samples, frames) : notOpen();
}

bool cCaptureEncoder::finish()
{
    return encoder ? encoder->finish() : notOpen();
}

void cCaptureEncoder::abandon()
{
    if (encoder)
        encoder->abandon();
}

const std::string& cCaptureEncoder::error() const
{
    return encoder ? encoder->error() : lastError;
}
