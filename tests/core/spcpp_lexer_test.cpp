// The lexer: token kinds and values, word comparison and the fixed tables.
#include "ZR/core/ZR_spcpp.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>

namespace {

struct TokenCase {
    const char *text;
    int type;
    double number; // integer, float or address; unused for texts
};

void PrintTo(const TokenCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

const TokenCase token_cases[] = {
    {"0", ZR_TYPE_INT, 0},
    {"08", ZR_TYPE_INT, 8},
    {"00", ZR_TYPE_INT, 0},
    {"42", ZR_TYPE_INT, 42},
    {"-5", ZR_TYPE_INT, -5},
    {"+5", ZR_TYPE_INT, 5},
    {"-0", ZR_TYPE_INT, 0},
    {"-007", ZR_TYPE_INT, -7},
    {"2147483647", ZR_TYPE_INT, 2147483647.0},
    {"-2147483648", ZR_TYPE_INT, -2147483648.0},
    {"4294967295", ZR_TYPE_INT, -1}, // "%u" wraps into the 32 bits
    {"4294967296", ZR_TYPE_INT, 0},
    {".5", ZR_TYPE_FLOAT, 0.5},
    {"5.", ZR_TYPE_FLOAT, 5},
    {"-.5", ZR_TYPE_FLOAT, -0.5},
    {"+.25", ZR_TYPE_FLOAT, 0.25},
    {"1e5", ZR_TYPE_FLOAT, 1e5},
    {"1E-3", ZR_TYPE_FLOAT, (double)1e-3f},
    {"0e0", ZR_TYPE_FLOAT, 0},
    {"1e+2", ZR_TYPE_FLOAT, 100},
    {"-2.5e1", ZR_TYPE_FLOAT, -25},
    {"5.e3", ZR_TYPE_FLOAT, 5000},
    {".618", ZR_TYPE_FLOAT, (double).618f},
    {"0.1", ZR_TYPE_FLOAT, (double)0.1f},
    {"1e40", ZR_TYPE_FLOAT, INFINITY},
    {"-1e40", ZR_TYPE_FLOAT, -INFINITY},
    {"1e-50", ZR_TYPE_FLOAT, 0},
    {"99999999999999999999999999999999999999999999999999e-1", ZR_TYPE_FLOAT, INFINITY},
    {"0.0000000000000000000000000000000000000000000000000001", ZR_TYPE_FLOAT, 0},
    {".", ZR_TYPE_FLOAT, 0}, // no digits: a failed conversion gives 0
    {"-.", ZR_TYPE_FLOAT, 0},
    {".e3", ZR_TYPE_FLOAT, 0},
    {"0x1F", ZR_TYPE_OBJECT, 31},
    {"0X1f", ZR_TYPE_OBJECT, 31},
    {"0xFFFFFFFF", ZR_TYPE_OBJECT, 4294967295.0},
    {"0xdeadBEEF", ZR_TYPE_OBJECT, 3735928559.0},
    {"0x00A57BBD", ZR_TYPE_OBJECT, 0x00A57BBD},
    {"0x0", ZR_TYPE_OBJECT, 0},
    {"0x1e", ZR_TYPE_OBJECT, 30}, // e is a hex digit after 0x
    {"0x", ZR_TYPE_TEXT, 0},
    {"1e", ZR_TYPE_TEXT, 0},
    {"1e+", ZR_TYPE_TEXT, 0},
    {"1.2.3", ZR_TYPE_TEXT, 0},
    {"5x", ZR_TYPE_TEXT, 0},
    {"0x1G", ZR_TYPE_TEXT, 0},
    {"0x.", ZR_TYPE_TEXT, 0},
    {"12a", ZR_TYPE_TEXT, 0},
    {"+", ZR_TYPE_TEXT, 0},
    {"e5", ZR_TYPE_TEXT, 0},
    {"sub", ZR_TYPE_TEXT, 0},
    {"abc", ZR_TYPE_TEXT, 0},
    {"\xC3\xA9t\xC3\xA9", ZR_TYPE_TEXT, 0},
    {"", ZR_TYPE_TEXT, 0},
    {"-", ZR_TYPE_KEYWORD, 0},
    {"-mode", ZR_TYPE_KEYWORD, 0},
    {"-l", ZR_TYPE_KEYWORD, 0},
    {"--", ZR_TYPE_KEYWORD, 0},
    {"-1e", ZR_TYPE_KEYWORD, 0},
    {"-x5", ZR_TYPE_KEYWORD, 0},
};

class LexerToken : public ::testing::TestWithParam<TokenCase> {};

TEST_P(LexerToken, KindAndValue)
{
    const TokenCase &c = GetParam();
    // Alone, then followed by a space and more text: the same token.
    for (const char *tail : {"", " -next"}) {
        char text[128];
        std::snprintf(text, sizeof text, "%s%s", c.text, tail);
        int pos = 0;
        ZR_value v = spcpp_token(text, &pos);
        ASSERT_EQ(pos, (int)std::strlen(c.text)) << text;
        ASSERT_EQ(v.type, c.type) << text;
        EXPECT_EQ(v.len, -1);
        switch (c.type) {
        case ZR_TYPE_INT:
            EXPECT_EQ(v.value.i, (int32_t)(int64_t)c.number) << text;
            break;
        case ZR_TYPE_FLOAT:
            if (std::isinf(c.number))
                EXPECT_EQ(v.value.f, (float)c.number) << text;
            else
                EXPECT_FLOAT_EQ(v.value.f, (float)c.number) << text;
            break;
        case ZR_TYPE_OBJECT:
            EXPECT_EQ((uintptr_t)v.value.o, (uintptr_t)c.number) << text;
            break;
        default: // texts and keywords point at the token in place
            EXPECT_EQ(v.value.s, text) << text;
            break;
        }
    }
}

std::string case_name(const ::testing::TestParamInfo<TokenCase> &info)
{
    std::string name = std::to_string(info.index) + "_";
    for (const char *p = info.param.text; *p; ++p)
        name += std::isalnum((unsigned char)*p) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tokens, LexerToken, ::testing::ValuesIn(token_cases), case_name);

TEST(Lexer, ReadsTokensOneAfterAnother)
{
    const char *text = "T_Item -q .618 -mode sub";
    int pos = 0;
    EXPECT_EQ(spcpp_token(text, &pos).type, ZR_TYPE_TEXT);
    EXPECT_EQ(pos, 6);
    pos++;
    ZR_value q = spcpp_token(text, &pos);
    EXPECT_EQ(q.type, ZR_TYPE_KEYWORD);
    EXPECT_EQ(q.value.s, text + 7);
    pos++;
    EXPECT_FLOAT_EQ(spcpp_token(text, &pos).value.f, 0.618f);
    pos++;
    spcpp_token(text, &pos);
    pos++;
    ZR_value sub = spcpp_token(text, &pos);
    EXPECT_EQ(sub.type, ZR_TYPE_TEXT);
    EXPECT_STREQ(sub.value.s, "sub");
    EXPECT_EQ(text[pos], 0);
}

TEST(Lexer, EmptyTokenEndsAtOnce)
{
    int pos = 3;
    ZR_value v = spcpp_token("ab  cd", &pos); // at the second space
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(v.type, ZR_TYPE_TEXT);
}

TEST(Lexer, CharacterClasses)
{
    int expected[256];
    for (int &e : expected)
        e = 0;
    expected['+'] = expected['-'] = 1;
    expected['0'] = 2;
    for (int c = '1'; c <= '9'; ++c)
        expected[c] = 3;
    expected['.'] = 4;
    expected['e'] = expected['E'] = 5;
    expected['x'] = expected['X'] = 6;
    for (const char *h = "abcdfABCDF"; *h; ++h)
        expected[(unsigned char)*h] = 7;
    expected[' '] = expected[0] = 8;
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(spcpp_char_class((unsigned char)c), expected[c]) << "byte " << c;
}

TEST(Lexer, TransitionTable)
{
    const int table[12][9] = {
        {11, 1, 2, 5, 7, 11, 11, 11, 11},    {11, 11, 6, 6, 7, 11, 11, 11, 11},
        {11, 11, 5, 5, 7, 8, 3, 11, 5},      {11, 11, 4, 4, 11, 4, 11, 4, 11},
        {11, 11, 4, 4, 11, 4, 11, 4, 4},     {11, 11, 5, 5, 7, 8, 11, 11, 5},
        {11, 11, 6, 6, 7, 8, 11, 11, 6},     {11, 11, 7, 7, 11, 8, 11, 11, 7},
        {11, 9, 10, 10, 11, 11, 11, 11, 11}, {11, 11, 10, 10, 11, 11, 11, 11, 11},
        {11, 11, 10, 10, 11, 11, 11, 11, 7}, {11, 11, 11, 11, 11, 11, 11, 11, 11},
    };
    for (int s = 0; s < 12; ++s)
        for (int c = 0; c < 9; ++c)
            EXPECT_EQ(spcpp_next_state(s, c), table[s][c]) << s << "," << c;
    EXPECT_EQ(spcpp_next_state(12, 0), 11);
    EXPECT_EQ(spcpp_next_state(0, 9), 11);
}

TEST(Lexer, SameWordComparesWholeWords)
{
    EXPECT_TRUE(spcpp_same_word("l", "l"));
    EXPECT_TRUE(spcpp_same_word("l", "l 512"));
    EXPECT_TRUE(spcpp_same_word("limit -x", "limit"));
    EXPECT_FALSE(spcpp_same_word("l", "limit"));
    EXPECT_FALSE(spcpp_same_word("limit", "l"));
    EXPECT_FALSE(spcpp_same_word("limit", "lim"));
    EXPECT_FALSE(spcpp_same_word("ab", "ac"));
    EXPECT_TRUE(spcpp_same_word("", " x"));
    EXPECT_FALSE(spcpp_same_word("", "x"));
    EXPECT_FALSE(spcpp_same_word(nullptr, "x"));
    EXPECT_FALSE(spcpp_same_word("x", nullptr));
}

} // namespace
