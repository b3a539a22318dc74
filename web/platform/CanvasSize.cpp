#include "CanvasSize.h"

#include <algorithm>
#include <cmath>

sCanvasSize canvasDrawingSize(double cssWidth, double cssHeight, double devicePixelRatio)
{
    if (!(cssWidth > 0.0) || !(cssHeight > 0.0) || !std::isfinite(cssWidth * cssHeight))
        return {};
    const double ratio = devicePixelRatio > 0.0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    const double fit = std::sqrt(double(canvasPixelCeiling) / (cssWidth * cssHeight));
    const double scale = std::min(ratio, fit);
    // Rounded down, so the ceiling holds whatever the shape.
    const int width = std::max(1, static_cast<int>(std::floor(cssWidth * scale + 1e-6)));
    const int height = std::max(1, static_cast<int>(std::floor(cssHeight * scale + 1e-6)));
    return {width, height};
}
