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
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace notegrind {

class cReportWriter {
public:
    explicit cReportWriter(std::ostream* out);
    ~cReportWriter();
    cReportWriter(const cReportWriter&) = delete;
    cReportWriter& operator=(const cReportWriter&) = delete;

    void headerLine(const char* label, const std::string& value);
    void headerLine(const char* label, long long value);

    cReportWriter& text(const char* s);
    cReportWriter& number(long long value);
    // Six significant digits without trailing zeros: 120, 95.5, 133.344.
    cReportWriter& real(double value);
    void endLine();

    // Writes what is buffered and flushes the stream.
    void finish();

    bool active() const { return out != nullptr; }

private:
    std::ostream* out;
    std::string pending;
};

} // namespace notegrind
