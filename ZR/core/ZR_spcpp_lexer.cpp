// The lexer of the command language: character classes, a transition table,
// and in-place number conversion (locale-independent, no allocation).
#include "ZR/core/ZR_spcpp.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

struct CharClasses {
    unsigned char of[256];
    constexpr CharClasses() : of()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = 0;
        of[(unsigned char)'+'] = of[(unsigned char)'-'] = 1;
        of[(unsigned char)'0'] = 2;
        for (int c = '1'; c <= '9'; ++c)
            of[c] = 3;
        of[(unsigned char)'.'] = 4;
        of[(unsigned char)'e'] = of[(unsigned char)'E'] = 5;
        of[(unsigned char)'x'] = of[(unsigned char)'X'] = 6;
        for (const char *h = "abcdfABCDF"; *h; ++h)
            of[(unsigned char)*h] = 7;
        of[(unsigned char)' '] = of[0] = 8;
    }
};

constexpr CharClasses char_classes;

// Next state by state (rows) and character class (columns: other, sign, 0,
// 1-9, '.', e, x, other hex letter, end of token).
constexpr unsigned char transitions[12][9] = {
    {11, 1, 2, 5, 7, 11, 11, 11, 11},     // start
    {11, 11, 6, 6, 7, 11, 11, 11, 11},    // after a sign
    {11, 11, 5, 5, 7, 8, 3, 11, 5},       // a leading 0
    {11, 11, 4, 4, 11, 4, 11, 4, 11},     // 0x
    {11, 11, 4, 4, 11, 4, 11, 4, 4},      // hex digits
    {11, 11, 5, 5, 7, 8, 11, 11, 5},      // unsigned decimal
    {11, 11, 6, 6, 7, 8, 11, 11, 6},      // signed decimal
    {11, 11, 7, 7, 11, 8, 11, 11, 7},     // real, after the point
    {11, 9, 10, 10, 11, 11, 11, 11, 11},  // after e
    {11, 11, 10, 10, 11, 11, 11, 11, 11}, // exponent sign
    {11, 11, 10, 10, 11, 11, 11, 11, 7},  // exponent digits
    {11, 11, 11, 11, 11, 11, 11, 11, 11}, // a word
};

enum {
    HEX = 4,
    UNSIGNED = 5,
    SIGNED = 6,
    REAL = 7,
    WORD = 11
};

// Decimal digits (after an optional sign), modulo 2^32.
int32_t parse_decimal(const char *p, const char *end)
{
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    uint32_t n = 0;
    for (; p < end; ++p)
        n = n * 10u + (uint32_t)(*p - '0');
    if (negative)
        n = 0u - n;
    return (int32_t)n;
}

uintptr_t parse_hex(const char *p, const char *end)
{
    uintptr_t n = 0;
    for (; p < end; ++p) {
        char c = *p;
        unsigned d = c <= '9' ? (unsigned)(c - '0') : (unsigned)((c | 0x20) - 'a' + 10);
        n = (n << 4) | d;
    }
    return n;
}

// For a real token out of float range: true when its magnitude is at least 1
// (an overflow), false when below 1 (an underflow).
bool magnitude_at_least_one(const char *p, const char *end)
{
    int digit_exponent = 0; // decimal exponent of the first non-zero digit
    bool seen_point = false, seen_digit = false;
    for (; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            seen_point = true;
        }
        else if (!seen_digit && *p == '0') {
            if (seen_point)
                --digit_exponent;
        }
        else if (!seen_digit) {
            seen_digit = true;
            if (seen_point)
                --digit_exponent;
        }
        else if (!seen_point) {
            ++digit_exponent;
        }
    }
    long exponent = 0;
    bool negative = false;
    if (p < end) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            negative = *p++ == '-';
        for (; p < end && exponent < 100000; ++p)
            exponent = exponent * 10 + (*p - '0');
    }
    return digit_exponent + (negative ? -exponent : exponent) >= 0;
}

// The token as single precision, rounded once; out-of-range values become
// infinities or zeros like strtof, and a token without digits (".", ".e5")
// gives 0 like a failed scanf.
float parse_real(const char *p, const char *end)
{
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    float f = 0.0f;
    auto r = std::from_chars(p, end, f, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        f = magnitude_at_least_one(p, end) ? std::numeric_limits<float>::infinity() : 0.0f;
    else if (r.ec != std::errc())
        f = 0.0f;
    return negative ? -f : f;
}

} // namespace

int spcpp_char_class(unsigned char c)
{
    return char_classes.of[c];
}

int spcpp_next_state(int state, int char_class)
{
    if (state < 0 || state > 11 || char_class < 0 || char_class > 8)
        return WORD;
    return transitions[state][char_class];
}

ZR_value spcpp_token(const char *text, int *pos)
{
    const char *start = text + *pos;
    int state = 0;
    const char *p = start;
    for (;;) {
        int cls = char_classes.of[(unsigned char)*p];
        state = transitions[state][cls];
        if (cls == 8)
            break;
        ++p;
    }
    *pos = (int)(p - text);

    switch (state) {
    case UNSIGNED:
    case SIGNED:
        return ZR_value::of_int(parse_decimal(start, p));
    case REAL:
        return ZR_value::of_float(parse_real(start, p));
    case HEX:
        return ZR_value::of_object((const void *)parse_hex(start + 2, p));
    default: {
        ZR_value v = ZR_value::of_text(start);
        if (*start == '-')
            v.type = ZR_TYPE_KEYWORD;
        return v;
    }
    }
}

bool spcpp_same_word(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    for (;; ++a, ++b) {
        bool a_end = *a == ' ' || *a == 0;
        bool b_end = *b == ' ' || *b == 0;
        if (a_end || b_end)
            return a_end && b_end;
        if (*a != *b)
            return false;
    }
}
