#include "notegrind/ReportWriter.h"

#include "notegrind/DecimalText.h"

#include <cstdio>
#include <cstring>

namespace notegrind {

cReportWriter::cReportWriter(std::ostream* stream) : out(stream)
{
    if (out)
        buffer.reset(new char[kHandOver + kMaxLine + 1]);
}

cReportWriter::~cReportWriter()
{
    finish();
}

void cReportWriter::headerLine(const char* label, const std::string& value)
{
    if (out)
        *out << label << value << std::endl;
}

void cReportWriter::headerLine(const char* label, long long value)
{
    if (out)
        *out << label << value << std::endl;
}

cReportWriter& cReportWriter::text(const char* s)
{
    if (out) {
        size_t n = std::strlen(s);
        n = n < room() ? n : room();
        std::memcpy(buffer.get() + used, s, n);
        used += n;
    }
    return *this;
}

cReportWriter& cReportWriter::number(long long value)
{
    if (out && room() >= kMaxDecimalChars)
        used = static_cast<size_t>(writeDecimal(buffer.get() + used, value) - buffer.get());
    return *this;
}

std::string tempoText(double bpm)
{
    char digits[32];
    int n = std::snprintf(digits, sizeof digits, "%g", bpm);
    if (n < 0)
        return std::string();
    return std::string(digits, static_cast<size_t>(n) < sizeof digits ? static_cast<size_t>(n) : sizeof digits - 1);
}

cReportWriter& cReportWriter::real(double value)
{
    if (out) {
        std::string s = tempoText(value);
        size_t n = s.size() < room() ? s.size() : room();
        std::memcpy(buffer.get() + used, s.data(), n);
        used += n;
    }
    return *this;
}

void cReportWriter::endLine()
{
    if (out)
        endLine(buffer.get() + used);
}

void cReportWriter::handOver()
{
    out->write(buffer.get(), static_cast<std::streamsize>(used));
    used = lineStart = 0;
}

void cReportWriter::finish()
{
    if (!out)
        return;
    if (used > 0)
        handOver();
    out->flush();
}

} // namespace notegrind
