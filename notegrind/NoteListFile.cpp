#include "notegrind/NoteListFile.h"

#include "notegrind/DecimalText.h"

#include <cerrno>
#include <cstring>

namespace notegrind {

std::string noteListName(const std::string& inputPath)
{
    size_t nameStart = inputPath.rfind('/');
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = inputPath.find('.', nameStart);
    return inputPath.substr(0, dot) + ".txt";
}

namespace {

// The longest note line: "hn", two 11-character numbers, a code, three
// spaces and the line break.
constexpr size_t kMaxNoteLine = 2 + 2 * 11 + 1 + 3 + 1;
constexpr size_t kMaxCountLine = kMaxDecimalChars + 1;

char* writeCountLine(char* p, size_t count)
{
    p = writeDecimal(p, static_cast<int64_t>(count));
    *p++ = '\n';
    return p;
}

char* writeNoteLine(char* p, const sNoteBlock& b)
{
    if (b.pitchClass > 3) {
        *p++ = 'h';
        *p++ = 'n';
        *p++ = ' ';
        p = writeDecimal(p, b.startMs);
        *p++ = ' ';
        p = writeDecimal(p, b.endMs);
        *p++ = ' ';
        p = writeDecimal(p, b.pitchClass % 4);
    } else {
        *p++ = 'n';
        *p++ = ' ';
        p = writeDecimal(p, b.startMs);
        *p++ = ' ';
        p = writeDecimal(p, b.pitchClass);
    }
    *p++ = '\n';
    return p;
}

size_t sectionCount(size_t lists)
{
    return lists < kMaxNoteListSections ? lists : kMaxNoteListSections;
}

} // namespace

std::string formatNoteList(const std::vector<std::vector<sNoteBlock>>& lists)
{
    size_t sections = sectionCount(lists.size());
    size_t room = kMaxCountLine * (sections + 1);
    for (size_t j = 0; j < sections; ++j)
        room += lists[j].size() * kMaxNoteLine;
    std::string text(room, '\0');
    char* start = &text[0];
    char* p = writeCountLine(start, sections);
    for (size_t j = 0; j < sections; ++j) {
        p = writeCountLine(p, lists[j].size());
        for (const sNoteBlock& b : lists[j])
            p = writeNoteLine(p, b);
    }
    text.resize(static_cast<size_t>(p - start));
    return text;
}

void writeNoteList(std::ostream& out, const std::vector<std::vector<sNoteBlock>>& lists)
{
    std::string text = formatNoteList(lists);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

namespace {
constexpr size_t kFileBuffer = 1 << 16;
}

cNoteListFile::cNoteListFile(std::FILE* out, size_t trackCount)
    : file(out), sections(sectionCount(trackCount)), buffer(new char[kFileBuffer + kMaxNoteLine + kMaxCountLine])
{
    used = static_cast<size_t>(writeCountLine(buffer.get(), sections) - buffer.get());
}

void cNoteListFile::handOver()
{
    if (file && used > 0 && writeError == 0) {
        errno = 0;
        if (std::fwrite(buffer.get(), 1, used, file) != used)
            writeError = errno != 0 ? errno : EIO;
    }
    used = 0;
}

void cNoteListFile::trackDone(int track, std::vector<sNoteBlock>& notes)
{
    if (track < 0 || static_cast<size_t>(track) >= sections)
        return;
    char* base = buffer.get();
    used = static_cast<size_t>(writeCountLine(base + used, notes.size()) - base);
    for (const sNoteBlock& b : notes) {
        if (used >= kFileBuffer)
            handOver();
        used = static_cast<size_t>(writeNoteLine(base + used, b) - base);
    }
    if (used >= kFileBuffer)
        handOver();
}

bool cNoteListFile::finish()
{
    handOver();
    if (file && writeError == 0) {
        errno = 0;
        if (std::fflush(file) != 0)
            writeError = errno != 0 ? errno : EIO;
    }
    return writeError == 0;
}

} // namespace notegrind
