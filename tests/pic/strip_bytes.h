// Hand-built ZRIF and ZRVF bytes for the tests, written field by field.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

struct Bytes {
    std::vector<std::uint8_t> b;

    Bytes &text(const char *s)
    {
        while (*s)
            b.push_back((std::uint8_t)*s++);
        return *this;
    }
    Bytes &i32(std::int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.push_back((std::uint8_t)((std::uint32_t)v >> (8 * i)));
        return *this;
    }
    Bytes &u16(unsigned v)
    {
        b.push_back((std::uint8_t)v);
        b.push_back((std::uint8_t)(v >> 8));
        return *this;
    }
    // A pixel whose bytes tell where it came from.
    Bytes &pix(int blue, int green, int red, int alpha)
    {
        for (int v : {blue, green, red, alpha})
            b.push_back((std::uint8_t)v);
        return *this;
    }
    Bytes &zeros(std::size_t n)
    {
        b.insert(b.end(), n, 0);
        return *this;
    }
};
