#include "strobewerk/audio/SpectrumAnalyser.h"

#include <cmath>
#include <kiss_fftr.h>

cSpectrumAnalyser::~cSpectrumAnalyser()
{
    kiss_fftr_free(plan);
}

bool cSpectrumAnalyser::analyse(const float* samples, int binCount, float* bins)
{
    if (binCount < 1 || (binCount & (binCount - 1)) != 0 || binCount > (1 << 20))
        return false;
    const int size = 2 * binCount;
    if (size != planSize) {
        kiss_fftr_free(plan);
        plan = kiss_fftr_alloc(size, 0, nullptr, nullptr);
        if (!plan) {
            planSize = 0;
            return false;
        }
        planSize = size;
        input.resize(size);
        spectrumPairs.resize(2 * (binCount + 1));
    }
    // KissFFT takes non-const input.
    for (int i = 0; i < size; ++i)
        input[i] = samples[i];
    kiss_fft_cpx* out = reinterpret_cast<kiss_fft_cpx*>(spectrumPairs.data());
    kiss_fftr(plan, input.data(), out);
    const float scale = 2.0f / static_cast<float>(size);
    for (int k = 0; k < binCount; ++k)
        bins[k] = std::hypot(out[k].r, out[k].i) * scale;
    return true;
}
