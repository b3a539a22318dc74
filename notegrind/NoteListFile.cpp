#include "notegrind/NoteListFile.h"

#include <charconv>

namespace notegrind {

std::string noteListName(const std::string& inputPath)
{
    size_t nameStart = inputPath.rfind('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = inputPath.find('.', nameStart);
    return inputPath.substr(0, dot) + ".txt";
}

namespace {

void appendNumber(std::string& out, long long value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

} // namespace

std::string formatNoteList(const std::vector<std::vector<sNoteBlock>>& lists)
{
    size_t sections = lists.size() < kMaxNoteListSections ? lists.size() : kMaxNoteListSections;
    std::string text;
    appendNumber(text, static_cast<long long>(sections));
    text += '\n';
    for (size_t j = 0; j < sections; ++j) {
        appendNumber(text, static_cast<long long>(lists[j].size()));
        text += '\n';
        for (const sNoteBlock& b : lists[j]) {
            if (b.pitchClass > 3) {
                text += "hn ";
                appendNumber(text, b.startMs);
                text += ' ';
                appendNumber(text, b.endMs);
                text += ' ';
                appendNumber(text, b.pitchClass % 4);
            } else {
                text += "n ";
                appendNumber(text, b.startMs);
                text += ' ';
                appendNumber(text, b.pitchClass);
            }
            text += '\n';
        }
    }
    return text;
}

void writeNoteList(std::ostream& out, const std::vector<std::vector<sNoteBlock>>& lists)
{
    std::string text = formatNoteList(lists);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace notegrind
