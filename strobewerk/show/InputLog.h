// cInputLog: the joystick as the show meets it, tick by tick.
//
// The show's state at a tick depends on the input of every tick before it,
// so live play writes down what the joystick does (only its changes, each
// with the first tick it holds for) and the show reads the input of a tick
// back from here, never from the device. The same log, saved to a file
// (`--record-input`) and loaded again (`--replay-input`), plays the very
// performance again, frame for frame.
//
//     std::int64_t changed = log.set(nextTick, inputNow); // live play
//     sSceneInput input = log.at(tick);                  // the show's step
//
// The file is text: a first line "strobewerk input 1", then one line per
// change: the tick, axes 0 to 3, the buttons as a number (bit i: button i)
// and the hat.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "strobewerk/scenes/SceneState.h"

class cInputLog {
public:
    // From `tick` on the input is `input`: whatever the log held for later
    // ticks is dropped (live input from here on replaces it). Returns the
    // first tick whose input changed, or -1 when the log gives the same
    // input for every tick as before.
    std::int64_t set(std::int64_t tick, const sSceneInput& input);

    // The input of `tick`: the last change at or before it, neutral
    // before the first.
    sSceneInput at(std::int64_t tick) const;

    bool empty() const { return changes.empty(); }
    std::size_t size() const { return changes.size(); }
    void clear() { changes.clear(); }

    // Writes the log to `path`; "" when written, otherwise the reason.
    std::string save(const std::string& path) const;
    // Replaces the log with the one in `path`; "" when read whole, else
    // the reason (the log is then left empty).
    std::string load(const std::string& path);

private:
    // Ascending ticks; each entry differs from the one before it.
    std::vector<std::pair<std::int64_t, sSceneInput>> changes;
};
