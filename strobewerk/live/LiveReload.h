// What live play reloads when a maker edits it while the production runs:
//   data/morvelane.mid  the score, converted in the program into notes;
//   data/mvl.txt        the note list;
//   every shader file   of every loaded program, rebuilt with its uniforms
//                       set up again.
// Reloading keeps the song time; the show's state is worked out again with
// the new notes, as if they had always been there. A
// score or note list that cannot be read keeps the last notes, a shader
// that does not compile or link keeps the last program (its log is
// printed); either way one console line says what happened.
#pragma once

#include <cstdint>
#include <functional>

class cReloadWatcher;

// The score that live play converts when it changes.
extern const char* const scoreFile;

// The song time a reload happens at: the notes resume there and the console
// line names it.
using SongTimeSource = std::function<std::int32_t()>;

// Adds the production's files, with their reloads, to `watcher`. Needs the
// scene set-ups done (the shader files are those of the loaded programs).
void watchEditedFiles(cReloadWatcher& watcher, const SongTimeSource& songTimeNow);
