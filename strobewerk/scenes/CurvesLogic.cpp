#include "strobewerk/scenes/CurvesLogic.h"

#include <algorithm>

float catmullRom(float p0, float p1, float p2, float p3, float u)
{
    const float u2 = u * u;
    const float u3 = u2 * u;
    return 0.5f * (2.0f * p1 + (p2 - p0) * u + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * u2
                   + (3.0f * p1 - p0 - 3.0f * p2 + p3) * u3);
}

float sampleCurve(const std::vector<float>& keys, float x)
{
    return sampleCurve(keys, x, static_cast<int>(keys.size()));
}

float sampleCurve(const std::vector<float>& keys, float x, int n)
{
    if (keys.empty())
        return 0.0f;
    n = std::clamp(n, 1, static_cast<int>(keys.size()));
    // NaN compares false both ways and would slip through std::clamp.
    if (!(x >= 0.0f))
        x = 0.0f;
    if (x > 1.0f)
        x = 1.0f;

    const float step = 1.0f / static_cast<float>(n);
    const int i = static_cast<int>(static_cast<float>(n) * x);
    if (i >= n)
        return keys[n - 1];

    int i0 = i - 1;
    int i2 = i + 1;
    if (i2 >= n)
        i2 -= 1;
    int i3 = i2 + 1;
    if (i3 >= n)
        i3 -= 1;
    if (i0 < 0)
        i0 = 0;

    const float segmentStart = static_cast<float>(i) * step;
    const float u = (x - segmentStart) / ((segmentStart + step) - segmentStart);
    return catmullRom(keys[i0], keys[i], keys[i2], keys[i3], u);
}

float sampleCurveThrough(const std::vector<float>& keys, float x)
{
    if (keys.empty())
        return 0.0f;
    const int n = static_cast<int>(keys.size());
    const float scaled = static_cast<float>(n - 1) * x;
    // Anything that cannot name a segment (negative, past the end, NaN)
    // reads the last key; the range test comes before the conversion so
    // no out-of-range float is ever converted to int.
    if (!(scaled > -1.0f) || scaled >= static_cast<float>(n - 1))
        return keys.back();
    const int i = static_cast<int>(scaled);
    if (i < 0 || i >= n - 1)
        return keys.back();

    int i0 = i - 1;
    if (i0 < 0)
        i0 = 0;
    const int i2 = i + 1;
    int i3 = i + 2;
    if (i3 >= n)
        i3 = n - 1;

    const float step = 1.0f / static_cast<float>(n);
    const float u = (x - static_cast<float>(i) * step)
        / (static_cast<float>(i + 1) * step - static_cast<float>(i) * step);
    return catmullRom(keys[i0], keys[i], keys[i2], keys[i3], u);
}
