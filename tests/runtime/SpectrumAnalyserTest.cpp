#include "strobewerk/audio/SpectrumAnalyser.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

constexpr int spectrumBins = 512;
constexpr int blockSamples = 2 * spectrumBins;
const double pi = std::acos(-1.0);

std::vector<float> sine(double bin, float amplitude, double phase = 0.0)
{
    std::vector<float> samples(blockSamples);
    for (int i = 0; i < blockSamples; ++i)
        samples[i] = amplitude * static_cast<float>(std::sin(2.0 * pi * bin * i / blockSamples + phase));
    return samples;
}

TEST(SpectrumAnalyserTest, SineCentredOnABinReadsItsAmplitudeThereOnly)
{
    cSpectrumAnalyser analyser;
    std::vector<float> bins(spectrumBins);
    for (int bin : {1, 40, 300, 511}) {
        for (float amplitude : {1.0f, 0.25f}) {
            for (double phase : {0.0, 1.0}) {
                ASSERT_TRUE(analyser.analyse(sine(bin, amplitude, phase).data(), spectrumBins, bins.data()));
                EXPECT_NEAR(bins[bin], amplitude, 1e-4f) << "bin " << bin;
                for (int k = 0; k < spectrumBins; ++k) {
                    if (k != bin) {
                        ASSERT_LT(bins[k], 1e-4f) << "leak into bin " << k << " from " << bin;
                    }
                }
            }
        }
    }
}

TEST(SpectrumAnalyserTest, SilenceReadsZero)
{
    cSpectrumAnalyser analyser;
    std::vector<float> silence(blockSamples, 0.0f);
    std::vector<float> bins(spectrumBins, 7.0f);
    ASSERT_TRUE(analyser.analyse(silence.data(), spectrumBins, bins.data()));
    for (float v : bins)
        EXPECT_EQ(v, 0.0f);
}

TEST(SpectrumAnalyserTest, NoiseGivesNonNegativeFiniteValuesAtEverySize)
{
    cSpectrumAnalyser analyser;
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int bins : {64, 512, 8192, 512}) {
        std::vector<float> samples(2 * bins);
        for (float& s : samples)
            s = value(random);
        std::vector<float> out(bins, -1.0f);
        ASSERT_TRUE(analyser.analyse(samples.data(), bins, out.data()));
        for (float v : out) {
            ASSERT_GE(v, 0.0f);
            ASSERT_TRUE(std::isfinite(v));
        }
    }
}

TEST(SpectrumAnalyserTest, CountsOtherThanPowersOfTwoAreRefused)
{
    cSpectrumAnalyser analyser;
    std::vector<float> samples(2048, 0.5f);
    std::vector<float> out(1024, 3.0f);
    for (int bins : {0, -4, 500, 513})
        EXPECT_FALSE(analyser.analyse(samples.data(), bins, out.data()));
    EXPECT_EQ(out[0], 3.0f);
}

} // namespace
