// What the fuzz targets of the production's readers share: a check that
// stops the run when a reader breaks its promise (the sanitizers catch the
// rest), and an output stream that swallows the console lines.
#pragma once

#include <ostream>
#include <streambuf>

namespace fuzzsupport {

inline void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

class cNullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// An ostream that writes nowhere, for vorn::consoleLog.setStream.
inline std::ostream& nullStream()
{
    static cNullBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

} // namespace fuzzsupport
