#include "strobewerk/live/ScoreConversion.h"

#include <sstream>

#include "notegrind/NoteListFile.h"
#include "notegrind/Notegrind.h"
#include "strobewerk/NoteList.h"
#include "vorn/DataFile.h"

bool convertScore(const std::string& midiPath, std::string& noteListText, std::string& why)
{
    const notegrind::sConversion conversion = notegrind::convertMidiFile(vorn::resolveDataPath(midiPath));
    if (!conversion.systemError.empty()) {
        why = conversion.systemError;
        return false;
    }
    if (!conversion.readWhole) {
        why = (conversion.error.empty() ? std::string("not a whole MIDI file") : conversion.error) + " at byte "
              + std::to_string(conversion.errorOffset);
        return false;
    }
    noteListText = notegrind::formatNoteList(conversion.lists);
    return true;
}

bool reloadScore(cNoteList& notes, const std::string& midiPath, std::int32_t songTimeMs, std::string& why)
{
    std::string text;
    if (!convertScore(midiPath, text, why))
        return false;
    std::istringstream in(text);
    return notes.reloadText(in, songTimeMs, why);
}
