// The size the canvas's drawing buffer is given: the page's layout size in
// the screen's device pixels, so the frames are as sharp as the screen,
// but never more pixels than a 1920 x 1080 frame, so a 4K screen (or a
// phone at three device pixels to one) costs no more than a 1080p one. The
// web main loop asks for it every frame with the layout size and the
// device pixel ratio it reads from the browser; it follows resizes and
// rotation that way.
#pragma once

struct sCanvasSize {
    int width = 0;
    int height = 0;
};

// The most pixels the canvas draws.
constexpr long long canvasPixelCeiling = 1920LL * 1080LL;

// The drawing buffer for a layout of cssWidth x cssHeight CSS pixels at
// devicePixelRatio device pixels to one (taken as 1 when not above 0):
// the layout at the ratio, scaled down to the ceiling keeping its shape;
// at least 1 x 1 for any layout with an area, 0 x 0 for one without.
sCanvasSize canvasDrawingSize(double cssWidth, double cssHeight, double devicePixelRatio);
