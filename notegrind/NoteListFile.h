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
#pragma once

#include "notegrind/NoteBlock.h"

#include <ostream>
#include <string>
#include <vector>

namespace notegrind {

constexpr size_t kMaxNoteListSections = 21;

std::string noteListName(const std::string& inputPath);
void writeNoteList(std::ostream& out, const std::vector<std::vector<sNoteBlock>>& lists);
std::string formatNoteList(const std::vector<std::vector<sNoteBlock>>& lists);

} // namespace notegrind
