// FilterModel: the fixed-point formulas one sample at a time.
#include "filter_model.h"

#include <algorithm>
#include <cmath>

namespace {

// floor(u * v / 2^31), kept modulo 2^32.
int32_t hi31(int32_t u, int32_t v)
{
    int64_t p = (int64_t)u * (int64_t)v;
    int64_t q = p >= 0 ? p / 2147483648LL : -((-p + 2147483647LL) / 2147483648LL);
    return (int32_t)(uint32_t)(uint64_t)q;
}

int32_t wrap_sub(int32_t a, int32_t b)
{
    return (int32_t)((uint32_t)a - (uint32_t)b);
}

int32_t to_fixed(float s)
{
    if (s > 1.0f)
        s = 1.0f;
    else if (!(s >= -1.0f))
        s = -1.0f;
    float scaled = s * 1073741824.0f;
    return (int32_t)scaled;
}

} // namespace

void FilterModel::set_frequency(float x)
{
    if (std::isnan(x))
        return;
    x = std::min(1.0f, std::max(0.0f, x));
    set_knob(20.0f + x * (8333.0f - 20.0f));
}

void FilterModel::set_knob(float v)
{
    const float mn = 20.0f, mx = 8333.0f;
    float t = (v - mn) / (mx - mn);
    float shown = mn + (mx - mn) * t * t;
    target_hz = (double)shown * 1.2;
    filter = (float)target_hz;
    if (fresh)
        design(target_hz);
}

void FilterModel::set_state(float x)
{
    if (!std::isnan(x))
        on = x > 0.5f;
}

void FilterModel::set_sample_rate(float rate)
{
    if (!(rate >= 1.0f && rate < 2147483648.0f))
        return;
    fs = (int32_t)rate;
    design(target_hz);
}

void FilterModel::design(double hz)
{
    if (fs == 0)
        return;
    // The plug-in caps the filters at 0.225 times the rate.
    const float filter = (float)std::min(hz, fs * 0.225);
    int32_t f = (int32_t)filter;
    if (f != 0) {
        long double a = (long double)f * 13493037704.522018L /
                        ((long double)f * 3.141592653589793L + (long double)fs * 0.5L);
        alpha = (uint32_t)(uint64_t)(int64_t)a;
    }
    const double pi = 3.141592653589793;
    double q = 0.618f;
    double A = filter * q, B = filter / q;
    double wA = A * 2.0 * pi, wB = B * 2.0 * pi;
    double D = (wB - wA) / (wB * wA), E = 1.0 / (wB * wA);
    double g = fs * D * 0.5, h = fs * E * fs;
    double c1 = (2.0 * g + 1.0) / (g + h), c2 = 2.0 * g / (g + h), c3 = g / (g + h);
    k1 = (int32_t)(int64_t)(c1 * 32768.0 * 65536.0 * 0.5);
    k2 = (int32_t)(int64_t)(c2 * 32768.0 * 65536.0);
    k3 = (int32_t)(int64_t)(c3 * 32768.0 * 65536.0);
}

// One-pole low-pass minus band-pass, both fed x.
int32_t FilterModel::stage(Stage &s, int32_t x) const
{
    uint32_t u = (uint32_t)x - s.b + 2147483648u;
    s.b = s.b + (uint32_t)(((uint64_t)u * alpha) >> 32) - alpha / 2;
    int32_t low = (int32_t)s.b;

    int64_t sum = (int64_t)hi31(k3, wrap_sub(x, s.x2)) - s.y2 + hi31(k2, s.y2) + s.y1 + s.y1 -
                  hi31(k1, s.y1) - hi31(k1, s.y1);
    int32_t y = (int32_t)std::min<int64_t>(INT32_MAX, std::max<int64_t>(INT32_MIN, sum));
    s.x2 = s.x1;
    s.x1 = x;
    s.y2 = s.y1;
    s.y1 = y;
    return wrap_sub(low, y);
}

void FilterModel::glide_step()
{
    if (fs <= 0) {
        current_hz = target_hz;
    }
    else {
        const double max_octaves = 100.0 * 16 / fs; // 100 octaves a second
        const double octaves = std::log2(target_hz / current_hz);
        if (std::fabs(octaves) <= max_octaves)
            current_hz = target_hz;
        else
            current_hz *= std::exp2(octaves > 0 ? max_octaves : -max_octaves);
    }
    design(current_hz);
}

std::vector<float> FilterModel::process(const std::vector<float> &in)
{
    // A host call starts by jumping to the target when there is nothing to
    // glide from: the first block, filters at rest, no frequency yet.
    if (fresh || (!on && !previous_on) || !(current_hz > 0.0) || !(target_hz > 0.0)) {
        fresh = false;
        if (current_hz != target_hz) {
            current_hz = target_hz;
            design(current_hz);
        }
    }
    std::vector<float> out(in.size());
    for (size_t start = 0; start < in.size(); start += 512) {
        const int64_t n = (int64_t)std::min<size_t>(512, in.size() - start);
        const bool now = on;
        // During a glide the block runs in pieces that end on the grid, so a
        // switch fades over the first piece only.
        const int64_t fade = current_hz != target_hz && now != previous_on
                                 ? std::min<int64_t>(16 - (int64_t)(samples % 16), n)
                                 : n;
        for (int64_t j = 0; j < n; ++j) {
            if (j == fade) {
                if (previous_on && !now)
                    stages[0] = stages[1] = Stage();
                previous_on = now;
            }
            int32_t dry = to_fixed(in[start + j]);
            int32_t y = dry;
            if (now || previous_on) {
                int32_t wet = stage(stages[1], stage(stages[0], dry));
                if (now && previous_on)
                    y = wet;
                else if (now)
                    y = (int32_t)(((int64_t)dry * (fade - j) + (int64_t)wet * j) / fade);
                else
                    y = (int32_t)(((int64_t)dry * j + (int64_t)wet * (fade - j)) / fade);
            }
            out[start + j] = (float)y * (1.0f / 1073741824.0f);
            if (++samples % 16 == 0 && current_hz != target_hz)
                glide_step();
        }
        if (previous_on && !now)
            stages[0] = stages[1] = Stage();
        previous_on = now;
    }
    return out;
}

std::vector<float> FilterModel::run(const std::vector<float> &in,
                                    const std::vector<int32_t> &blocks)
{
    std::vector<float> out;
    size_t pos = 0;
    for (size_t b = 0; pos < in.size(); ++b) {
        size_t n = std::min<size_t>((size_t)blocks[b % blocks.size()], in.size() - pos);
        std::vector<float> part =
            process(std::vector<float>(in.begin() + (long)pos, in.begin() + (long)(pos + n)));
        out.insert(out.end(), part.begin(), part.end());
        pos += n;
    }
    return out;
}
