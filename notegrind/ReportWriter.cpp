#include "notegrind/ReportWriter.h"

#include <charconv>
#include <cstdio>

namespace notegrind {

namespace {
constexpr size_t kHandOver = 1 << 16;
}

cReportWriter::cReportWriter(std::ostream* stream) : out(stream)
{
    if (out)
        pending.reserve(kHandOver + 256);
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
    if (out)
        pending += s;
    return *this;
}

cReportWriter& cReportWriter::number(long long value)
{
    if (!out)
        return *this;
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    pending.append(digits, result.ptr);
    return *this;
}

cReportWriter& cReportWriter::real(double value)
{
    if (!out)
        return *this;
    char digits[32];
    int n = std::snprintf(digits, sizeof digits, "%g", value);
    if (n > 0)
        pending.append(digits, static_cast<size_t>(n) < sizeof digits ? n : sizeof digits - 1);
    return *this;
}

void cReportWriter::endLine()
{
    if (!out)
        return;
    pending += '\n';
    if (pending.size() >= kHandOver) {
        out->write(pending.data(), static_cast<std::streamsize>(pending.size()));
        pending.clear();
    }
}

void cReportWriter::finish()
{
    if (!out)
        return;
    if (!pending.empty()) {
        out->write(pending.data(), static_cast<std::streamsize>(pending.size()));
        pending.clear();
    }
    out->flush();
}

} // namespace notegrind
