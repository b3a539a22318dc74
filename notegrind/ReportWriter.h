// cReportWriter: the converter's console report for one file.
//
// Header lines go out at once, each flushed. The per-event lines (tracks,
// tempo changes, notes) collect in a buffer that is handed to the stream in
// large pieces and flushed when the file's report ends, so a big file does
// not cost one write per line. Built on no stream (a null pointer), it
// formats nothing at all: a conversion without a report pays nothing for it.
//     cReportWriter report(&std::cout);
//     report.headerLine("file:", name);
//     report.text("Note ").number(60).text(" ON at time:").number(500).endLine();
//     report.finish();
// Hot lines are written straight into the buffer: lineSpace() gives room
// for kMaxLine characters, endLine(end) closes the line written up to end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace notegrind {

class cReportWriter {
public:
    static constexpr size_t kMaxLine = 256;

    explicit cReportWriter(std::ostream* out);
    ~cReportWriter();
    cReportWriter(const cReportWriter&) = delete;
    cReportWriter& operator=(const cReportWriter&) = delete;

    void headerLine(const char* label, const std::string& value);
    void headerLine(const char* label, long long value);

    // A line piece by piece. A line holds at most kMaxLine characters;
    // pieces beyond that are cut.
    cReportWriter& text(const char* s);
    cReportWriter& number(long long value);
    // Six significant digits without trailing zeros: 120, 95.5, 133.344.
    cReportWriter& real(double value);
    void endLine();

    // Room for kMaxLine characters at the end of the buffer.
    char* lineSpace() { return buffer.get() + used; }
    // Ends the line whose text runs up to end (inside the room given).
    void endLine(char* end)
    {
        *end++ = '\n';
        used = static_cast<size_t>(end - buffer.get());
        lineStart = used;
        if (used >= kHandOver)
            handOver();
    }

    // Writes what is buffered and flushes the stream.
    void finish();

    bool active() const { return out != nullptr; }

private:
    static constexpr size_t kHandOver = 1 << 16;

    void handOver();
    // Characters the current line can still take.
    size_t room() const { return kMaxLine - (used - lineStart); }

    std::ostream* out;
    std::unique_ptr<char[]> buffer;
    size_t used = 0;
    size_t lineStart = 0;
};

// The report's form of a tempo in beats per minute: the stream's default
// floating-point form (six significant digits, no trailing zeros).
std::string tempoText(double bpm);

} // namespace notegrind
