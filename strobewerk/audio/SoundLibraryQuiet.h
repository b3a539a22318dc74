#pragma once
// Keeps the system's sound libraries off the error stream.
//
// When SDL probes its audio back ends, the ALSA library prints its own
// diagnostics (missing cards, unknown PCMs) straight to the error stream.
// The audio layer reports the outcome itself in one console line, so before
// opening the device it hands ALSA a handler that drops those messages.
// ALSA is looked up at run time: where it is not installed nothing happens.

// Installs the quiet handler once per process; later calls do nothing.
// Returns whether ALSA was found and now stays quiet.
bool quietSoundLibraryDiagnostics();
