#include "NoteListFile.h"

#include <fstream>

std::vector<sListedNote> sListedTracks::select(size_t track, int32_t code, bool held) const {
    std::vector<sListedNote> out;
    if (track >= tracks.size())
        return out;
    for (const sListedNote& n : tracks[track])
        if (n.code == code && n.held == held)
            out.push_back(n);
    return out;
}

sListedTracks readNoteListFile(const std::string& path) {
    sListedTracks result;
    std::ifstream in(path);
    int trackCount = 0;
    if (!(in >> trackCount) || trackCount < 0)
        return result;
    result.tracks.resize(static_cast<size_t>(trackCount));
    for (auto& track : result.tracks) {
        int count = 0;
        if (!(in >> count) || count < 0)
            return result;
        for (int i = 0; i < count; ++i) {
            std::string word;
            sListedNote note;
            if (!(in >> word))
                return result;
            if (word == "n") {
                if (!(in >> note.startMs >> note.code))
                    return result;
            } else if (word == "hn") {
                note.held = true;
                if (!(in >> note.startMs >> note.endMs >> note.code))
                    return result;
            } else {
                return result;
            }
            track.push_back(note);
        }
    }
    std::string extra;
    result.ok = !(in >> extra);
    return result;
}
