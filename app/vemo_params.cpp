// The host parameter table and the mappings and texts derived from it.
#include "app/vemo_params.h"

#include <cmath>
#include <cstdio>
#include <cstring>

const ParamInfo HOST_PARAMS[HOST_PARAM_COUNT] = {
    {"State", "State", ParamKind::Switch, "", "On", "Off", 0.0f, 1.0f, 1.0f},
    {"Frequency", "Freq", ParamKind::Cutoff, "Hz", "", "", KNOB_MIN, KNOB_MAX, KNOB_DEFAULT},
};

float param_from_host(const ParamInfo &info, float x)
{
    if (info.kind == ParamKind::Switch)
        return x > 0.5f ? 1.0f : 0.0f;
    return info.minimum + x * (info.maximum - info.minimum);
}

float param_to_host(const ParamInfo &info, float value)
{
    if (info.kind == ParamKind::Switch)
        return value != 0.0f ? 1.0f : 0.0f;
    return (value - info.minimum) / (info.maximum - info.minimum);
}

float shown_cutoff(float knob_value)
{
    const float mn = KNOB_MIN, mx = KNOB_MAX;
    const float t = (knob_value - mn) / (mx - mn);
    return mn + (mx - mn) * t * t;
}

float cutoff_from_host(float x)
{
    return shown_cutoff(param_from_host(HOST_PARAMS[PARAM_FREQUENCY], x));
}

float cutoff_to_host(double hz)
{
    if (!(hz > KNOB_MIN))
        return 0.0f;
    if (hz >= KNOB_MAX)
        return 1.0f;
    float x = (float)std::sqrt((hz - KNOB_MIN) / ((double)KNOB_MAX - KNOB_MIN));
    // Nudge up by a few ulps at most when the rounding lands just below hz.
    for (int i = 0; i < 8 && x < 1.0f && (double)cutoff_from_host(x) < (float)hz; ++i)
        x = std::nextafter(x, 1.0f);
    return x;
}

void param_display(const ParamInfo &info, float value, char *text, std::size_t size)
{
    if (!text || size == 0)
        return;
    if (info.kind == ParamKind::Switch) {
        std::snprintf(text, size, "%s", value != 0.0f ? info.on_text : info.off_text);
        return;
    }
    const float hz = shown_cutoff(value);
    if (std::isfinite(hz))
        std::snprintf(text, size, "%.0f", (double)hz);
    else
        text[0] = 0;
}

void param_label(const ParamInfo &info, char *text, std::size_t size)
{
    if (!text || size == 0)
        return;
    if (info.kind == ParamKind::Switch)
        std::snprintf(text, size, "%s/%s", info.on_text, info.off_text);
    else
        std::snprintf(text, size, "%s", info.unit);
}

namespace {

// Longest text read from a host; anything longer is refused unread.
constexpr std::size_t MAX_TYPED = 64;

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// Lower-case copy of text without surrounding blanks.
bool normalise(const char *text, char (&out)[MAX_TYPED + 1])
{
    const std::size_t n = strnlen(text, MAX_TYPED + 1);
    if (n > MAX_TYPED)
        return false;
    std::size_t a = 0, b = n;
    while (a < b && is_blank(text[a]))
        ++a;
    while (b > a && is_blank(text[b - 1]))
        --b;
    for (std::size_t i = a; i < b; ++i)
        out[i - a] = lower(text[i]);
    out[b - a] = 0;
    return true;
}

// [+-]digits[.digits] or [+-].digits, with '.' whatever the locale; advances p.
bool parse_decimal(const char *&p, double *out)
{
    double sign = 1.0, v = 0.0, scale = 1.0;
    if (*p == '+' || *p == '-')
        sign = *p++ == '-' ? -1.0 : 1.0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits)
        v = v * 10.0 + (*p - '0');
    if (*p == '.') {
        for (++p; *p >= '0' && *p <= '9'; ++p, ++digits)
            v += (*p - '0') * (scale /= 10.0);
    }
    *out = sign * v;
    return digits > 0;
}

} // namespace

bool param_parse(const ParamInfo &info, const char *text, float *host_value)
{
    char s[MAX_TYPED + 1];
    if (!text || !normalise(text, s))
        return false;
    if (info.kind == ParamKind::Switch) {
        const bool on = !std::strcmp(s, "on") || !std::strcmp(s, "1");
        const bool off = !std::strcmp(s, "off") || !std::strcmp(s, "0");
        if (on || off)
            *host_value = on ? 1.0f : 0.0f;
        return on || off;
    }
    const char *p = s;
    double hz;
    if (!parse_decimal(p, &hz))
        return false;
    while (is_blank(*p))
        ++p;
    if (!std::strcmp(p, "khz"))
        hz *= 1000.0;
    else if (*p && std::strcmp(p, "hz"))
        return false;
    *host_value = cutoff_to_host(hz);
    return true;
}
