// writeDecimal: an integer as plain decimal text, straight into a buffer.
//
// Digits without leading zeros or spaces, a minus sign only when negative,
// exactly what printing the value through a stream gives. The caller makes
// room for kMaxDecimalChars characters; the end of the text is returned.
//     char* end = writeDecimal(line, -500); // "-500"
#pragma once

#include <cstdint>
#include <cstring>

namespace notegrind {

constexpr int kMaxDecimalChars = 20;

namespace decimal {

constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                          "25262728293031323334353637383940414243444546474849"
                          "50515253545556575859606162636465666768697071727374"
                          "75767778798081828384858687888990919293949596979899";

// Writes the digits of v forward, working out their count first so that
// they go straight to their places.
template <typename Unsigned>
inline char* writeDigits(char* out, Unsigned v)
{
    int count = 1;
    for (Unsigned limit = 10; v >= limit; limit = static_cast<Unsigned>(limit * 10)) {
        ++count;
        if (limit > static_cast<Unsigned>(~Unsigned(0)) / 10)
            break;
    }
    char* end = out + count;
    char* p = end;
    while (v >= 100) {
        unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v = static_cast<Unsigned>(v / 100);
        p -= 2;
        p[0] = kPairs[pair];
        p[1] = kPairs[pair + 1];
    }
    if (v >= 10) {
        p[-2] = kPairs[v * 2];
        p[-1] = kPairs[v * 2 + 1];
    } else {
        p[-1] = static_cast<char>('0' + v);
    }
    return end;
}

} // namespace decimal

inline char* writeDecimal(char* out, int64_t value)
{
    uint64_t v = static_cast<uint64_t>(value);
    if (value < 0) {
        *out++ = '-';
        v = 0 - v;
    }
    if (v <= UINT32_MAX)
        return decimal::writeDigits(out, static_cast<uint32_t>(v));
    return decimal::writeDigits(out, v);
}

} // namespace notegrind
