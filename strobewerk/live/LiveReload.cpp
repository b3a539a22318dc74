#include "strobewerk/live/LiveReload.h"

#include <set>
#include <string>

#include "strobewerk/NoteList.h"
#include "strobewerk/Options.h"
#include "strobewerk/live/ReloadWatcher.h"
#include "strobewerk/live/ScoreConversion.h"
#include "strobewerk/show/Show.h"
#include "vorn/ConsoleLog.h"
#include "vorn/DataFile.h"
#include "vorn/ShaderProgram.h"

const char* const scoreFile = "data/morvelane.mid";

namespace {

// The show's state follows the new notes from the start of the song.
void notesReloaded(const std::string& path, std::int32_t songTime)
{
    showTimeline.notesChanged();
    vorn::consoleLog.line("reloaded ", path, ": ", static_cast<unsigned long long>(noteList.noteCount()),
                          " notes, at ", formatSongTime(songTime));
}

void notesLost(const std::string& path, const std::string& why)
{
    vorn::consoleLog.line(path, " not reloaded (", why, "), keeping the last notes");
}

void reloadScoreFile(const std::string& path, std::int32_t songTime)
{
    std::string why;
    if (reloadScore(noteList, path, songTime, why))
        notesReloaded(path, songTime);
    else
        notesLost(path, why);
}

void reloadNoteListFile(const std::string& path, std::int32_t songTime)
{
    std::string why;
    if (noteList.reload(path, songTime, why))
        notesReloaded(path, songTime);
    else
        notesLost(path, why);
}

void reloadShaderFile(const std::string& bareName)
{
    int rebuilt = 0;
    int failed = 0;
    for (vorn::cShaderProgram* program : vorn::cShaderProgram::loadedPrograms()) {
        if (!program->usesFile(bareName))
            continue;
        if (program->reload())
            ++rebuilt;
        else
            ++failed;
    }
    if (failed == 0)
        vorn::consoleLog.line("reloaded shader ", bareName, " (", rebuilt, rebuilt == 1 ? " program)" : " programs)");
    else
        vorn::consoleLog.line("shader ", bareName, " not reloaded in ", failed, failed == 1 ? " program" : " programs",
                              ", keeping the last one");
}

} // namespace

void watchEditedFiles(cReloadWatcher& watcher, const SongTimeSource& songTimeNow)
{
    watcher.watch(scoreFile, [songTimeNow](const std::string& path) { reloadScoreFile(path, songTimeNow()); },
                  notesLost);
    watcher.watch(noteListFile, [songTimeNow](const std::string& path) { reloadNoteListFile(path, songTimeNow()); },
                  notesLost);
    std::set<std::string> shaderFiles;
    for (const vorn::cShaderProgram* program : vorn::cShaderProgram::loadedPrograms()) {
        shaderFiles.insert(program->vertexFiles().begin(), program->vertexFiles().end());
        shaderFiles.insert(program->fragmentFiles().begin(), program->fragmentFiles().end());
    }
    for (const std::string& name : shaderFiles)
        watcher.watch(vorn::dataFile(name), [name](const std::string&) { reloadShaderFile(name); },
                      [name](const std::string&, const std::string& why) {
                          vorn::consoleLog.line("shader ", name, " not reloaded (", why, "), keeping the last program");
                      });
}
