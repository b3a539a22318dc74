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

inline char* writeDecimal(char* out, int64_t value)
{
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                     "25262728293031323334353637383940414243444546474849"
                                     "50515253545556575859606162636465666768697071727374"
                                     "75767778798081828384858687888990919293949596979899";
    uint64_t v = static_cast<uint64_t>(value);
    if (value < 0) {
        *out++ = '-';
        v = 0 - v;
    }
    char digits[kMaxDecimalChars];
    char* p = digits + sizeof digits;
    while (v >= 100) {
        unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v /= 100;
        p -= 2;
        p[0] = kPairs[pair];
        p[1] = kPairs[pair + 1];
    }
    if (v >= 10) {
        p -= 2;
        p[0] = kPairs[v * 2];
        p[1] = kPairs[v * 2 + 1];
    } else {
        *--p = static_cast<char>('0' + v);
    }
    size_t n = static_cast<size_t>(digits + sizeof digits - p);
    std::memcpy(out, p, n);
    return out + n;
}

} // namespace notegrind
