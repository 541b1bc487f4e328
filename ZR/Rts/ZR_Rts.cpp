// ZR_Rts: base operations, mode texts, the instance list and copyBuffer.
#include "ZR/Rts/ZR_Rts.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <utility>

ZR_Chain ZR_Rts_instances;

namespace {

std::atomic<bool> refusal_latch{false};

void copy_name(char (&to)[64], const char *from)
{
    std::snprintf(to, sizeof to, "%s", from ? from : "");
}

} // namespace

ZR_Rts::Chan::Chan(const char *chan_name, uint32_t chan_format, int32_t chan_count)
    : link(this), data(nullptr), count(chan_count), format(chan_format)
{
    copy_name(name, chan_name);
}

ZR_Rts::Mode::Mode(int32_t mode_rate, int32_t mode_bits, int32_t mode_frames, int32_t mode_channels)
    : link(this), rate(mode_rate), frames(mode_frames), bits(mode_bits), channels(mode_channels)
{
    static const char *const CHANNEL_WORDS[] = {"", "mono", "stereo", "trio", "quadro"};
    // Each present part in order, ", " between parts; at most 46 characters.
    int used = 0;
    auto part = [&](const char *format, auto value) {
        if (used > 0 && used < (int)sizeof text)
            used += std::snprintf(text + used, sizeof text - (size_t)used, ", ");
        if (used >= 0 && used < (int)sizeof text)
            used += std::snprintf(text + used, sizeof text - (size_t)used, format, value);
    };
    text[0] = 0;
    if (rate)
        part("%5.1f kHz", rate * 0.001);
    if (bits)
        part("%d bit", bits);
    if (channels >= 1 && channels <= 4)
        part("%s", CHANNEL_WORDS[channels]);
    else if (channels)
        part("%d ch", channels);
}

ZR_Rts::ZR_Rts(const char *driver_name) : current_mode(nullptr), running(false), instance_link(this)
{
    copy_name(name, driver_name);
}

ZR_Rts::~ZR_Rts()
{
    ZR_Rts_instances.remove(&instance_link);
    delete_modes(modes);
    delete_chans(inputs);
    delete_chans(outputs);
}

void ZR_Rts::delete_chans(ZR_Chain &list)
{
    while (list.first() != list.end()) {
        ZR_Chain_Item *item = list.first();
        list.remove(item);
        delete static_cast<Chan *>(item->owner);
    }
}

void ZR_Rts::delete_modes(ZR_Chain &list)
{
    while (list.first() != list.end()) {
        ZR_Chain_Item *item = list.first();
        list.remove(item);
        delete static_cast<Mode *>(item->owner);
    }
}

ZR_Rts::Mode *ZR_Rts::mode_at(const ZR_Chain &list, int n)
{
    for (ZR_Chain_Item *i = list.first(); i != list.end(); i = i->next)
        if (n-- == 0)
            return static_cast<Mode *>(i->owner);
    return nullptr;
}

ZR_Rts::Chan *ZR_Rts::chan_at(const ZR_Chain &list, int n)
{
    for (ZR_Chain_Item *i = list.first(); i != list.end(); i = i->next)
        if (n-- == 0)
            return static_cast<Chan *>(i->owner);
    return nullptr;
}

ZR_status ZR_Rts::init()
{
    return ZR_OK;
}

ZR_status ZR_Rts::done()
{
    current_mode = nullptr;
    delete_modes(modes);
    delete_chans(inputs);
    delete_chans(outputs);
    return ZR_OK;
}

ZR_status ZR_Rts::mode(Mode *new_mode)
{
    current_mode = new_mode;
    return ZR_OK;
}

ZR_status ZR_Rts::free()
{
    current_mode = nullptr;
    delete_chans(outputs);
    return ZR_OK;
}

ZR_status ZR_Rts::start()
{
    running = true;
    return ZR_OK;
}

ZR_status ZR_Rts::stop()
{
    running = false;
    return ZR_OK;
}

bool ZR_Rts::refusing()
{
    return refusal_latch.load(std::memory_order_relaxed);
}

void ZR_Rts::clear_refusal()
{
    refusal_latch.store(false, std::memory_order_relaxed);
}

// ---- copyBuffer ----------------------------------------------------------

namespace {

// Sample layouts with a conversion rule: integers in 1 to 4 byte containers,
// 32-bit floats, and 64-bit floats (float flag with 64 valid bits).
enum Kind {
    INT8,
    INT16,
    INT24,
    INT32,
    FLOAT32,
    FLOAT64,
    KINDS
};

struct Layout {
    int kind = -1;
    int shift = 0; // 32 - valid bits for integers
    uint32_t stride = 0;
};

Layout decode(uint32_t format)
{
    Layout l;
    l.stride = format & 0xFF;
    int valid = (format >> 8) & 0xFF;
    int padding = (format >> 16) & 0xFF;
    if (format >> 24) {
        l.kind = valid == 64 ? FLOAT64 : FLOAT32;
        return l;
    }
    int bytes = (valid + padding) / 8;
    if (valid < 1 || valid > 32 || bytes < 1 || bytes > 4)
        return l; // no rule for this container: refused
    l.kind = INT8 + bytes - 1;
    l.shift = 32 - valid;
    return l;
}

constexpr double FULL = 2147483647.0;

// Out-of-range floats clip; NaN becomes silence instead of an undefined
// float-to-integer conversion.
inline double clip(double x)
{
    // Plain selects, no early returns: the compiler vectorises these.
    x = x > 1.0 ? 1.0 : x;
    x = x < -1.0 ? -1.0 : x;
    return x == x ? x : 0.0;
}

inline float clip(float x)
{
    x = x > 1.0f ? 1.0f : x;
    x = x < -1.0f ? -1.0f : x;
    return x == x ? x : 0.0f;
}

template <int K>
inline int32_t read_int(const unsigned char *p)
{
    if constexpr (K == INT8) {
        return (int8_t)p[0];
    }
    else if constexpr (K == INT16) {
        return (int16_t)(uint16_t)(p[0] | p[1] << 8);
    }
    else if constexpr (K == INT24) {
        return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)(int8_t)p[2] << 16);
    }
    else {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return (int32_t)v;
    }
}

template <int K>
inline void write_int(unsigned char *p, int32_t v)
{
    if constexpr (K == INT8) {
        p[0] = (unsigned char)v;
    }
    else if constexpr (K == INT16) {
        uint16_t u = (uint16_t)v;
        std::memcpy(p, &u, 2); // little-endian hosts only, as everywhere here
    }
    else if constexpr (K == INT24) {
        uint32_t u = (uint32_t)v;
        p[0] = (unsigned char)u;
        p[1] = (unsigned char)(u >> 8);
        p[2] = (unsigned char)(u >> 16);
    }
    else {
        std::memcpy(p, &v, 4);
    }
}

// One sample from s to d. Clipping a float in single precision gives the same
// result as in double, so float-to-float stays in floats.
template <int S, int D>
inline void convert_one(unsigned char *d, const unsigned char *s, int lshift, int rshift)
{
    constexpr bool FLOAT_SRC = S >= FLOAT32;
    constexpr bool FLOAT_DST = D >= FLOAT32;
    if constexpr (S == FLOAT32 && D == FLOAT32) {
        float f;
        std::memcpy(&f, s, 4);
        f = clip(f);
        std::memcpy(d, &f, 4);
        return;
    }
    int32_t a = 0;
    double x = 0;
    if constexpr (FLOAT_SRC) {
        if constexpr (S == FLOAT32) {
            float f;
            std::memcpy(&f, s, 4);
            x = clip((double)f);
        }
        else {
            std::memcpy(&x, s, 8);
            x = clip(x);
        }
        if constexpr (!FLOAT_DST)
            a = (int32_t)(x * FULL);
    }
    else {
        a = (int32_t)((uint32_t)read_int<S>(s) << lshift);
        if constexpr (FLOAT_DST)
            x = clip(a / FULL);
    }
    if constexpr (D == FLOAT32) {
        float f = (float)x;
        std::memcpy(d, &f, 4);
    }
    else if constexpr (D == FLOAT64) {
        std::memcpy(d, &x, 8);
    }
    else {
        write_int<D>(d, a >> rshift);
    }
}

constexpr uint32_t SIZE[KINDS] = {1, 2, 3, 4, 4, 8};

// STEP_S and STEP_D are the strides in samples when known at compile time
// (packed buffers, stereo frames), which lets the compiler vectorise; 0 reads
// them from the layouts.
template <int S, int D, int STEP_S, int STEP_D>
void convert(unsigned char *d, const unsigned char *s, int32_t count, const Layout &dl,
             const Layout &sl)
{
    const uint32_t ss = STEP_S ? STEP_S * SIZE[S] : sl.stride;
    const uint32_t ds = STEP_D ? STEP_D * SIZE[D] : dl.stride;
    const int lshift = sl.shift, rshift = dl.shift;
    for (int32_t i = 0; i < count; ++i)
        convert_one<S, D>(d + (size_t)i * ds, s + (size_t)i * ss, lshift, rshift);
}

typedef void (*Converter)(unsigned char *, const unsigned char *, int32_t, const Layout &,
                          const Layout &);

template <int STEP_S, int STEP_D, int S, int... D>
constexpr void fill_row(Converter (&row)[KINDS], std::integer_sequence<int, D...>)
{
    ((row[D] = &convert<S, D, STEP_S, STEP_D>), ...);
}

template <int STEP_S, int STEP_D, int... S>
constexpr void fill_table(Converter (&table)[KINDS][KINDS], std::integer_sequence<int, S...>)
{
    (fill_row<STEP_S, STEP_D, S>(table[S], std::make_integer_sequence<int, KINDS>()), ...);
}

// Any strides; packed on both sides; stereo frames into a packed buffer
// (a device input into the host's floats).
struct ConverterTable {
    Converter any[KINDS][KINDS] = {};
    Converter packed[KINDS][KINDS] = {};
    Converter from_stereo[KINDS][KINDS] = {};
    ConverterTable()
    {
        fill_table<0, 0>(any, std::make_integer_sequence<int, KINDS>());
        fill_table<1, 1>(packed, std::make_integer_sequence<int, KINDS>());
        fill_table<2, 1>(from_stereo, std::make_integer_sequence<int, KINDS>());
    }
    Converter pick(const Layout &dl, const Layout &sl) const
    {
        const uint32_t s_size = SIZE[sl.kind], d_size = SIZE[dl.kind];
        if (dl.stride == d_size && sl.stride == s_size)
            return packed[sl.kind][dl.kind];
        if (dl.stride == d_size && sl.stride == 2 * s_size)
            return from_stereo[sl.kind][dl.kind];
        return any[sl.kind][dl.kind];
    }
};

const ConverterTable converters;

} // namespace

ZR_status ZR_Rts::copyBuffer(Chan *dst, Chan *src)
{
    if (refusal_latch.load(std::memory_order_relaxed))
        return nullptr;
    if (!dst || !src)
        return nullptr;
    if (dst->count != src->count) {
        refusal_latch.store(true, std::memory_order_relaxed);
        return nullptr;
    }
    if (dst->count <= 0)
        return ZR_OK;
    Layout dl = decode(dst->format), sl = decode(src->format);
    if (dl.kind < 0 || sl.kind < 0 || !dst->data || !src->data)
        return nullptr;
    converters.pick(dl, sl)(static_cast<unsigned char *>(dst->data),
                            static_cast<const unsigned char *>(src->data), dst->count, dl, sl);
    return ZR_OK;
}
