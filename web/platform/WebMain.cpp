// The production in a web page. The page calls main (Module.callMain) from
// the viewer's click, so the sound may start; start-up is live play's own,
// and the browser then calls one iteration of live play's main loop per
// animation frame. The canvas follows the page's size, in the screen's
// device pixels up to a ceiling (CanvasSize.h).
//
// For tests and for showing a still, the page can hold the clock at a song
// time (strobewerk_hold: the sound paused and sought there, as the maker's
// keys do; a negative time resumes) and count the frames drawn.
//
// A tab that was hidden (no animation frames there) is drawn again at
// once when shown, at the time of the sound, which played on.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <memory>

#include "CanvasSize.h"
#include "strobewerk/FrameState.h"
#include "strobewerk/Options.h"
#include "strobewerk/live/LivePlay.h"
#include "strobewerk/show/Show.h"
#include "vorn/ConsoleLog.h"

namespace {

sOptions options;
std::unique_ptr<sLiveLoop> loop;
unsigned framesDrawn = 0;

// The canvas's drawing buffer takes the size the page lays it out at, in
// device pixels.
void followCanvasSize()
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    if (emscripten_get_element_css_size("#canvas", &cssWidth, &cssHeight) != EMSCRIPTEN_RESULT_SUCCESS)
        return;
    const sCanvasSize size = canvasDrawingSize(cssWidth, cssHeight, emscripten_get_device_pixel_ratio());
    const int width = size.width;
    const int height = size.height;
    if (width <= 0 || height <= 0 || (width == windowWidth && height == windowHeight))
        return;
    emscripten_set_canvas_element_size("#canvas", width, height);
    onResize(width, height);
}

void runFrame()
{
    followCanvasSize();
    const bool goesOn = runLoopIteration(*loop);
    ++framesDrawn;
    if (goesOn)
        return;
    emscripten_cancel_main_loop();
    const int code = endLivePlay(options);
    EM_ASM({ if (Module.onEnded) Module.onEnded($0); }, code);
}

} // namespace

// Returns the song time held at (a time past the song holds at its end),
// or -1 when the clock runs on.
extern "C" EMSCRIPTEN_KEEPALIVE int strobewerk_hold(int songTimeMs)
{
    if (songTimeMs < 0) {
        setSongPaused(false);
        return -1;
    }
    setSongPaused(true);
    return seekSong(songTimeMs);
}

extern "C" EMSCRIPTEN_KEEPALIVE unsigned strobewerk_frames()
{
    return framesDrawn;
}

extern "C" EMSCRIPTEN_KEEPALIVE int strobewerk_song_time()
{
    return liveSongTime;
}

int main(int argc, char** argv)
{
    const sOptionsResult parsed = parseOptions(argc, argv);
    if (!parsed.ok) {
        vorn::consoleLog.line(parsed.error);
        EM_ASM({ if (Module.onEnded) Module.onEnded(2); });
        return 2;
    }
    options = parsed.options;
    if (const std::optional<int> failed = startLivePlay(options)) {
        EM_ASM({ if (Module.onEnded) Module.onEnded($0); }, *failed);
        return *failed;
    }
    followCanvasSize();
    loop = std::make_unique<sLiveLoop>();
    startMainLoop(*loop);
    emscripten_set_main_loop(runFrame, 0, 0);
    return 0;
}
