// cSpectrumAnalyser: magnitudes of a block of samples (real FFT, KissFFT).
//
// analyse takes 2 * n samples and gives n magnitudes, lowest band first:
// bin k is |X[k]| * 2 / (2 * n), so a full-scale sine centred on bin k
// reads 1.0 there and silence reads 0. No window is applied. The FFT set-up
// for the last size is kept between calls.
#pragma once

#include <vector>

struct kiss_fftr_state;

class cSpectrumAnalyser {
public:
    cSpectrumAnalyser() = default;
    ~cSpectrumAnalyser();
    cSpectrumAnalyser(const cSpectrumAnalyser&) = delete;
    cSpectrumAnalyser& operator=(const cSpectrumAnalyser&) = delete;

    // `samples` holds 2 * binCount values; binCount is a power of two from 1.
    // Returns false (and leaves `bins` alone) for other counts.
    bool analyse(const float* samples, int binCount, float* bins);

private:
    kiss_fftr_state* plan = nullptr;
    int planSize = 0;
    std::vector<float> input;
    std::vector<float> spectrumPairs; // kiss_fft_cpx as float pairs
};
