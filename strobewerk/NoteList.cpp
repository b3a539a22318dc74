#include "strobewerk/NoteList.h"

#include "vorn/DataFile.h"

#include <fstream>

const char* const noteListFile = "data/mvl.txt";

cNoteList noteList;

namespace {

// Reads one note line after its keyword. Returns false when the line is
// not whole (the stream broke off or held something other than a number).
bool readNoteFields(std::istream& in, const std::string& keyword, sNote& note)
{
    note = sNote{};
    if (keyword == "n") {
        note.held = false;
        in >> note.startMs >> note.pitchCode;
    } else {
        note.held = true;
        in >> note.startMs >> note.endMs >> note.pitchCode;
    }
    return static_cast<bool>(in);
}

} // namespace

std::string cNoteList::load(const std::string& path)
{
    tracks.clear();
    std::ifstream in(vorn::resolveDataPath(path));
    if (!in)
        return "cannot be opened (missing or unreadable), playing without note cues";
    return load(in);
}

std::string cNoteList::load(std::istream& in)
{
    tracks.clear();
    long long trackTotal = 0;
    if (!(in >> trackTotal) || trackTotal < 0)
        return "holds no track count (empty or damaged), playing without note cues";

    size_t notesRead = 0;
    size_t skipped = 0;
    auto brokeOff = [&](long long track) {
        return "breaks off in track " + std::to_string(track) + ", playing with the " + std::to_string(notesRead)
            + " notes before it";
    };
    // Sections are added as they are read, so a damaged count cannot make
    // the store allocate more than the file holds.
    for (long long t = 0; t < trackTotal; ++t) {
        long long noteTotal = 0;
        if (!(in >> noteTotal))
            return brokeOff(t);
        tracks.emplace_back();
        std::vector<sNote>& notes = tracks.back();
        for (long long i = 0; i < noteTotal; ++i) {
            std::string keyword;
            if (!(in >> keyword))
                return brokeOff(t);
            // A line with an unknown keyword stands for no note: it is
            // skipped rather than kept as an all-zero record, which would
            // fire as a hit at 0 ms.
            if (keyword != "n" && keyword != "hn") {
                ++skipped;
                continue;
            }
            sNote note;
            if (!readNoteFields(in, keyword, note))
                return brokeOff(t);
            notes.push_back(note);
            ++notesRead;
        }
    }
    if (skipped > 0)
        return std::to_string(skipped) + " lines that are not notes left out";
    return {};
}

namespace {

// The whole note list, or false with the reason.
bool readWholeNoteList(std::istream& in, std::vector<std::vector<sNote>>& tracks, std::string& why)
{
    long long trackTotal = 0;
    if (!(in >> trackTotal) || trackTotal < 0 || trackTotal > 1000000) {
        why = "no track count at its start";
        return false;
    }
    for (long long t = 0; t < trackTotal; ++t) {
        long long noteTotal = 0;
        if (!(in >> noteTotal) || noteTotal < 0) {
            why = "track " + std::to_string(t) + " has no note count";
            return false;
        }
        tracks.emplace_back();
        for (long long i = 0; i < noteTotal; ++i) {
            std::string keyword;
            if (!(in >> keyword)) {
                why = "it breaks off in track " + std::to_string(t) + " after " + std::to_string(i) + " of "
                      + std::to_string(noteTotal) + " notes";
                return false;
            }
            if (keyword != "n" && keyword != "hn") {
                why = "\"" + keyword.substr(0, 20) + "\" is no note (track " + std::to_string(t) + ", note "
                      + std::to_string(i) + ")";
                return false;
            }
            sNote note;
            if (!readNoteFields(in, keyword, note)) {
                why = "note " + std::to_string(i) + " of track " + std::to_string(t) + " is not whole";
                return false;
            }
            tracks.back().push_back(note);
        }
    }
    return true;
}

} // namespace

bool cNoteList::reload(const std::string& path, int32_t songTimeMs, std::string& why)
{
    std::ifstream in(vorn::resolveDataPath(path));
    if (!in) {
        why = "cannot open it";
        return false;
    }
    return reloadText(in, songTimeMs, why);
}

bool cNoteList::reloadText(std::istream& in, int32_t songTimeMs, std::string& why)
{
    std::vector<std::vector<sNote>> read;
    if (!readWholeNoteList(in, read, why))
        return false;
    tracks = std::move(read);
    resume(songTimeMs);
    return true;
}

void cNoteList::resume(int32_t songTimeMs)
{
    for (std::vector<sNote>& notes : tracks) {
        for (sNote& note : notes) {
            note.active = false;
            note.progress = 0.0f;
            note.invDuration = 0.0f;
            note.done = note.held ? note.endMs <= songTimeMs : note.startMs <= songTimeMs;
        }
    }
}

size_t cNoteList::noteCount() const
{
    size_t count = 0;
    for (const std::vector<sNote>& notes : tracks)
        count += notes.size();
    return count;
}

namespace {

// The note held at song time `t` as an update at t leaves it while it sounds.
void heldAt(sNote& note, int64_t t)
{
    const float duration = static_cast<float>(int64_t(note.endMs) - note.startMs);
    note.progress = static_cast<float>(t - note.startMs) / duration;
    note.invDuration = 1.0f / duration;
    note.active = true;
}

} // namespace

void cNoteList::update(int32_t songTimeMs)
{
    const int64_t t = songTimeMs;
    for (std::vector<sNote>& notes : tracks) {
        for (sNote& note : notes) {
            if (note.done) {
                note.active = false;
                note.progress = 0.0f;
            } else if (note.held) {
                if (t >= note.endMs) {
                    // The last active values stay for this one update.
                    note.done = true;
                } else if (t >= note.startMs) {
                    heldAt(note, t);
                }
            } else if (t >= note.startMs) {
                note.done = true;
                note.active = true;
                note.progress = 1.0f;
            }
        }
    }
}

void cNoteList::rewind(int32_t songTimeMs)
{
    for (std::vector<sNote>& notes : tracks) {
        for (sNote& note : notes) {
            note.active = false;
            note.progress = 0.0f;
            note.invDuration = 0.0f;
            note.done = note.startMs < songTimeMs;
        }
    }
}

const sNote* cNoteList::firstActive(uint32_t track, int32_t pitchCode, bool held) const
{
    if (track >= tracks.size())
        return nullptr;
    for (const sNote& note : tracks[track]) {
        if (note.active && note.pitchCode == pitchCode && note.held == held)
            return &note;
    }
    return nullptr;
}

sNote cNoteList::findNote(uint32_t track, int32_t pitchCode, bool held) const
{
    const sNote* note = firstActive(track, pitchCode, held);
    return note ? *note : sNote{};
}

float cNoteList::noteProgress(uint32_t track, int32_t pitchCode, bool held) const
{
    const sNote* note = firstActive(track, pitchCode, held);
    return note ? note->progress : 0.0f;
}

bool cNoteList::isNoteActive(uint32_t track, int32_t pitchCode, bool held) const
{
    return firstActive(track, pitchCode, held) != nullptr;
}

sNote cNoteList::findNoteBetween(uint32_t track, int32_t pitchCode, bool held, int32_t previous, int32_t now) const
{
    if (track >= tracks.size())
        return sNote{};
    for (sNote note : tracks[track]) {
        if (note.pitchCode != pitchCode || note.held != held)
            continue;
        note.active = false;
        note.progress = 0.0f;
        note.invDuration = 0.0f;
        note.done = false;
        if (!held) {
            if (previous < note.startMs && note.startMs <= now) {
                note.active = true;
                note.progress = 1.0f;
                return note;
            }
        } else if (note.endMs > previous) {
            if (now >= note.endMs) {
                // The update that reaches the end keeps the values of the
                // one before it.
                if (note.startMs <= previous) {
                    heldAt(note, previous);
                    return note;
                }
            } else if (now >= note.startMs) {
                heldAt(note, now);
                return note;
            }
        }
    }
    return sNote{};
}

const std::vector<sNote>& cNoteList::trackNotes(uint32_t track) const
{
    static const std::vector<sNote> none;
    return track < tracks.size() ? tracks[track] : none;
}
