// What a host reads and types for the two parameters: names, the shown
// cutoff, property records and text typed into a host's generic controls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "app/ZR_Application.h"
#include "plugin_host.h"
#include "vst/ZR_Main_Vst.h"

namespace {

// The shown cutoff for a host value, evaluated in double: 20 + 8313 x^2.
double cutoff_hz(double x)
{
    return 20.0 + 8313.0 * x * x;
}

const char *frequency_text(AEffect *e)
{
    return static_cast<ZR_Main_Vst *>(static_cast<AudioEffect *>(e->object))
        ->application()
        .frequency_text;
}

intptr_t type(Plugin &p, int32_t index, const char *text)
{
    return p.dispatch(effString2Parameter, index, 0, const_cast<char *>(text));
}

TEST(HostParameters, WhatTheHostShows)
{
    struct Row {
        int32_t index;
        float host_value; // NaN: as constructed
        const char *name, *display, *label;
    };
    const Row rows[] = {
        {1, std::nanf(""), "Frequen", "283", "Hz"}, // default knob 1500: 283 Hz shown
        {1, 0.5f, "Frequen", "2098", "Hz"},         // 20 + 8313 x 0.25
        {1, 0.0f, "Frequen", "20", "Hz"},
        {1, 1.0f, "Frequen", "8333", "Hz"},
        {0, std::nanf(""), "State", "On", "On/Off"},
        {0, 0.0f, "State", "Off", "On/Off"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::to_string(r.index) + " at " + std::to_string(r.host_value));
        Plugin p;
        if (!std::isnan(r.host_value))
            p.set(r.index, r.host_value);
        EXPECT_EQ(p.text(effGetParamName, r.index), r.name);
        EXPECT_EQ(p.text(effGetParamDisplay, r.index), r.display);
        EXPECT_EQ(p.text(effGetParamLabel, r.index), r.label);
    }
}

TEST(HostParameters, DisplayIsTheShownCutoffOverTheWholeKnob)
{
    Plugin p;
    std::mt19937 rng(18);
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    for (int i = 0; i < 500; ++i) {
        const float x = any(rng);
        p.set(1, x);
        const std::string shown = p.text(effGetParamDisplay, 1);
        // Single precision may round the other way only right at a half hertz.
        EXPECT_LE(std::fabs(std::stod(shown) - cutoff_hz(x)), 0.5 + 1e-3) << x;
        EXPECT_EQ(shown + " Hz", frequency_text(p.e)) << "host and panel disagree at " << x;
    }
}

// Offsets of VstParameterProperties fields in the published layout.
constexpr size_t LABEL = 12, FLAGS = 76, SHORT_LABEL = 96, SIZE = 152;

TEST(HostParameters, PropertyRecordsCarryTheFullNames)
{
    Plugin p;
    struct Case {
        int32_t index;
        const char *label, *short_label;
        int32_t flags;
    };
    for (const Case c : {Case{0, "State", "State", 1}, Case{1, "Frequency", "Freq", 0}}) {
        SCOPED_TRACE(c.index);
        unsigned char bytes[SIZE + 16];
        std::memset(bytes, 0xA5, sizeof bytes);
        ASSERT_EQ(p.dispatch(effGetParameterProperties, c.index, 0, bytes), 1);

        unsigned char expected[SIZE] = {};
        std::memcpy(expected + LABEL, c.label, std::strlen(c.label));
        std::memcpy(expected + FLAGS, &c.flags, 4);
        std::memcpy(expected + SHORT_LABEL, c.short_label, std::strlen(c.short_label));
        ASSERT_LT(std::strlen(c.short_label), 8u);
        for (size_t i = 0; i < SIZE; ++i)
            EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
        for (size_t i = SIZE; i < sizeof bytes; ++i)
            EXPECT_EQ(bytes[i], 0xA5) << "written past the record at " << i;
    }
    // Unknown indices and a missing record: 0, nothing written.
    for (int32_t index : {-1, 2, 3, 1 << 30}) {
        unsigned char bytes[SIZE];
        std::memset(bytes, 0xA5, sizeof bytes);
        EXPECT_EQ(p.dispatch(effGetParameterProperties, index, 0, bytes), 0) << index;
        for (unsigned char b : bytes)
            ASSERT_EQ(b, 0xA5) << index;
    }
    EXPECT_EQ(p.dispatch(effGetParameterProperties, 1, 0, nullptr), 0);
}

TEST(HostParameters, TypedTextSetsTheParameter)
{
    struct Case {
        int32_t index;
        const char *typed, *display;
    };
    const Case cases[] = {
        {1, "1000", "1000"}, {1, "1000 Hz", "1000"}, {1, "1 kHz", "1000"},  {1, " 2.5KHZ ", "2500"},
        {1, "440hz", "440"}, {1, ".5 kHz", "500"},   {1, "20", "20"},       {1, "8333", "8333"},
        {1, "0", "20"},      {1, "-5 Hz", "20"},     {1, "100000", "8333"}, {1, "12 kHz", "8333"},
        {1, "283.4", "283"}, {1, "+7000", "7000"},   {0, "off", "Off"},     {0, "ON", "On"},
        {0, "0", "Off"},     {0, " 1\t", "On"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        Plugin p;
        p.set(0, c.display[0] == 'O' && c.display[1] == 'n' ? 0.0f : 1.0f);
        p.set(1, 0.7f);
        ASSERT_EQ(type(p, c.index, c.typed), 1);
        EXPECT_EQ(p.text(effGetParamDisplay, c.index), c.display);
    }
    // The value went the host's way: the panel and the host value follow.
    Plugin p;
    ASSERT_EQ(type(p, 1, "1 kHz"), 1);
    EXPECT_STREQ(frequency_text(p.e), "1000 Hz");
    EXPECT_NEAR(cutoff_hz(p.get(1)), 1000.0, 1e-3);
}

TEST(HostParameters, TypedCutoffsComeBackAsTyped)
{
    Plugin p;
    char typed[32];
    for (int hz = 20; hz <= 8333; ++hz) {
        std::snprintf(typed, sizeof typed, "%d", hz);
        ASSERT_EQ(type(p, 1, typed), 1) << typed;
        ASSERT_EQ(p.text(effGetParamDisplay, 1), typed);
    }
    std::mt19937 rng(27);
    std::uniform_real_distribution<double> any(20.0, 8333.0);
    for (int i = 0; i < 500; ++i) {
        const double hz = any(rng);
        std::snprintf(typed, sizeof typed, "%.4f Hz", hz);
        ASSERT_EQ(type(p, 1, typed), 1) << typed;
        EXPECT_LE(std::fabs(std::stod(p.text(effGetParamDisplay, 1)) - hz), 0.5 + 1e-3) << typed;
        EXPECT_GE(cutoff_hz(p.get(1)), hz - 1e-3) << typed;
    }
}

TEST(HostParameters, NonsenseIsRefusedAndChangesNothing)
{
    Plugin p;
    p.set(1, 0.3f);
    const float frequency = p.get(1), state = p.get(0);
    const std::string shown = p.text(effGetParamDisplay, 1);
    const std::string too_long(200, '1');
    for (const char *typed :
         {"", " ", "abc", "Hz", "kHz", "1000 Hz!", "10 MHz", "1e3", "nan", "inf", "1,5", "--5",
          "1 000", "0x10", "1000Hz Hz", "on", too_long.c_str()}) {
        EXPECT_EQ(type(p, 1, typed), 0) << typed;
    }
    for (const char *typed : {"", "2", "yes", "true", "onn", "1000", "0.5", "o n"})
        EXPECT_EQ(type(p, 0, typed), 0) << typed;
    EXPECT_EQ(p.get(1), frequency);
    EXPECT_EQ(p.get(0), state);
    EXPECT_EQ(p.text(effGetParamDisplay, 1), shown);
    for (int32_t index : {-1, 2, 1000})
        EXPECT_EQ(type(p, index, "1000"), 0) << index;
}

TEST(HostParameters, NullTextAsksWhetherTextIsTaken)
{
    Plugin p;
    EXPECT_EQ(type(p, 0, nullptr), 1);
    EXPECT_EQ(type(p, 1, nullptr), 1);
    EXPECT_EQ(type(p, 2, nullptr), 0);
    EXPECT_EQ(type(p, -1, nullptr), 0);
    EXPECT_EQ(p.text(effGetParamDisplay, 1), "283");
}

} // namespace
