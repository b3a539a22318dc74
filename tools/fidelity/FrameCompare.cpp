#include "tools/fidelity/FrameCompare.h"

#include <cmath>
#include <limits>

namespace {

bool sameSize(const sRgbFrame& a, const sRgbFrame& b)
{
    const size_t samples = static_cast<size_t>(a.width) * static_cast<size_t>(a.height) * 3;
    return a.width == b.width && a.height == b.height && a.rgb.size() == samples && b.rgb.size() == samples;
}

std::vector<double> luma(const sRgbFrame& f)
{
    std::vector<double> y(static_cast<size_t>(f.width) * static_cast<size_t>(f.height));
    for (size_t i = 0; i < y.size(); ++i)
        y[i] = 0.299 * f.rgb[i * 3] + 0.587 * f.rgb[i * 3 + 1] + 0.114 * f.rgb[i * 3 + 2];
    return y;
}

// Summed-area table with one row and column of zeros in front.
std::vector<double> summedArea(const std::vector<double>& v, int w, int h)
{
    std::vector<double> s(static_cast<size_t>(w + 1) * static_cast<size_t>(h + 1), 0.0);
    for (int y = 0; y < h; ++y) {
        double row = 0.0;
        for (int x = 0; x < w; ++x) {
            row += v[static_cast<size_t>(y) * w + x];
            s[static_cast<size_t>(y + 1) * (w + 1) + x + 1] = s[static_cast<size_t>(y) * (w + 1) + x + 1] + row;
        }
    }
    return s;
}

double boxSum(const std::vector<double>& s, int w, int x0, int y0, int x1, int y1)
{
    const size_t stride = static_cast<size_t>(w + 1);
    return s[y1 * stride + x1] - s[y0 * stride + x1] - s[y1 * stride + x0] + s[y0 * stride + x0];
}

} // namespace

double framePsnr(const sRgbFrame& a, const sRgbFrame& b, int border)
{
    if (!sameSize(a, b))
        return 0.0;
    double squared = 0.0;
    size_t count = 0;
    for (int y = border; y < a.height - border; ++y) {
        for (int x = border; x < a.width - border; ++x) {
            const size_t i = (static_cast<size_t>(y) * a.width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                const double d = static_cast<double>(a.rgb[i + c]) - static_cast<double>(b.rgb[i + c]);
                squared += d * d;
            }
            count += 3;
        }
    }
    if (count == 0 || squared == 0.0)
        return std::numeric_limits<double>::infinity();
    const double mse = squared / static_cast<double>(count);
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

double frameSsim(const sRgbFrame& a, const sRgbFrame& b, int border)
{
    if (!sameSize(a, b))
        return 0.0;
    const int w = a.width, h = a.height;
    const std::vector<double> ya = luma(a), yb = luma(b);
    std::vector<double> aa(ya.size()), bb(ya.size()), ab(ya.size());
    for (size_t i = 0; i < ya.size(); ++i) {
        aa[i] = ya[i] * ya[i];
        bb[i] = yb[i] * yb[i];
        ab[i] = ya[i] * yb[i];
    }
    const std::vector<double> sa = summedArea(ya, w, h), sb = summedArea(yb, w, h);
    const std::vector<double> saa = summedArea(aa, w, h), sbb = summedArea(bb, w, h), sab = summedArea(ab, w, h);
    constexpr int radius = 3;
    constexpr double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    double total = 0.0;
    size_t count = 0;
    for (int y = border; y < h - border; ++y) {
        const int y0 = y - radius < 0 ? 0 : y - radius, y1 = y + radius + 1 > h ? h : y + radius + 1;
        for (int x = border; x < w - border; ++x) {
            const int x0 = x - radius < 0 ? 0 : x - radius, x1 = x + radius + 1 > w ? w : x + radius + 1;
            const double n = static_cast<double>((x1 - x0) * (y1 - y0));
            const double ma = boxSum(sa, w, x0, y0, x1, y1) / n, mb = boxSum(sb, w, x0, y0, x1, y1) / n;
            const double va = boxSum(saa, w, x0, y0, x1, y1) / n - ma * ma;
            const double vb = boxSum(sbb, w, x0, y0, x1, y1) / n - mb * mb;
            const double cov = boxSum(sab, w, x0, y0, x1, y1) / n - ma * mb;
            total += ((2 * ma * mb + c1) * (2 * cov + c2)) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
            ++count;
        }
    }
    return count == 0 ? 1.0 : total / static_cast<double>(count);
}
