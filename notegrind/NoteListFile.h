// The note-list file: how its name is made and how its text is laid out.
//
// noteListName cuts the input path at the first "." of its file-name part
// and adds ".txt" ("../music/song.mid" gives "../music/song.txt",
// "my.song.mid" gives "my.txt").
//
// The text: a line with the section count (the number of lists, at most
// 21), then per list a line with its note count and one line per note:
// "hn start end code" for pitch classes 4..11 (code = class mod 4), "n start
// class" for pitch classes 0..3. Numbers are plain decimal, one space apart.
// formatNoteList gives the whole text of a set of lists in memory, exactly
// as the program writes it to the file.
//
// cNoteListFile writes that text to an open file section by section, as a
// conversion finishes its tracks, so a large song never holds all its notes
// or all its text at once:
//     cNoteListFile out(file, kStoreTracks);
//     ... converting hands it every track in order ...
//     if (!out.finish()) report(std::strerror(out.error()));
#pragma once

#include "notegrind/NoteBlock.h"
#include "notegrind/TrackNotes.h"

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace notegrind {

constexpr size_t kMaxNoteListSections = 21;

std::string noteListName(const std::string& inputPath);
void writeNoteList(std::ostream& out, const std::vector<std::vector<sNoteBlock>>& lists);
std::string formatNoteList(const std::vector<std::vector<sNoteBlock>>& lists);

class cNoteListFile : public cTrackNotes {
public:
    // file may be null: then nothing is written. The first line goes out
    // at once: the section count for a conversion of trackCount tracks.
    cNoteListFile(std::FILE* file, size_t trackCount);
    cNoteListFile(const cNoteListFile&) = delete;
    cNoteListFile& operator=(const cNoteListFile&) = delete;

    void trackDone(int track, std::vector<sNoteBlock>& notes) override;
    // Writes what is buffered; false when any write failed, error() then
    // holding the system's error number.
    bool finish();
    int error() const { return writeError; }

private:
    void put(const char* text, size_t length);
    void handOver();

    std::FILE* file;
    size_t sections;
    std::unique_ptr<char[]> buffer;
    size_t used = 0;
    int writeError = 0;
};

} // namespace notegrind
