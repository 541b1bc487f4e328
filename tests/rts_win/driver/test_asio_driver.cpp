// An ASIO driver for tests: a COM in-process server with three fixed
// configurations (one per class identifier), a thread that feeds known input
// and calls the buffer switch with alternating halves, and a record of what
// the client did and played.
#include "ZR/Rts/ZR_Rts_Asio_abi.h"
#include "tests/rts_win/driver/test_asio_state.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

namespace {

using namespace test_asio;

struct Config {
    GUID clsid;
    long inputs, outputs;
    const long *in_types;
    int in_type_count;
    const long *out_types;
    int out_type_count;
    const int *rates; // can_sample_rate accepts these, ended by 0
    int refused_rate; // set_sample_rate fails for this one
};

const long MIXED_TYPES[] = {18, 16, 17, 19, 20, 24, 25, 26, 27};
const long MIXED_OUT_TYPES[] = {20, 18, 19, 16};
const long BIG_ENDIAN_IN[] = {2, 1, 8, 11};
const long BIG_ENDIAN_OUT[] = {0, 3, 4, 9};
const long FLOAT_TYPES[] = {19};
const long GAP_OUT_TYPES[] = {19, 2, 19}; // the middle output is big-endian
const int MAIN_RATES[] = {48000, 96000, 44100, 0};
const int ONE_RATE[] = {44100, 0};

// {5e3ac1d0-7d1b-4c55-9a41-0000000000XX}
constexpr GUID id(unsigned char last)
{
    return {0x5e3ac1d0, 0x7d1b, 0x4c55, {0x9a, 0x41, 0, 0, 0, 0, 0, last}};
}

const Config CONFIGS[] = {
    {id(1), 24, 4, MIXED_TYPES, 9, MIXED_OUT_TYPES, 4, MAIN_RATES, 96000},
    {id(2), 4, 4, BIG_ENDIAN_IN, 4, BIG_ENDIAN_OUT, 4, MAIN_RATES, 0},
    {id(3), 2, 3, FLOAT_TYPES, 1, GAP_OUT_TYPES, 3, ONE_RATE, 0},
};
const long PREFERRED = 64;

State state;
std::atomic<long> objects{0};

int sample_bytes(long type)
{
    switch (type) {
    case 0:
    case 16:
        return 2;
    case 1:
    case 17:
        return 3;
    case 4:
    case 20:
        return 8;
    default:
        return 4;
    }
}

int valid_bits(long type)
{
    switch (type) {
    case 16:
        return 16;
    case 17:
        return 24;
    case 24:
        return 16;
    case 25:
        return 18;
    case 26:
        return 20;
    case 27:
        return 24;
    default:
        return 32;
    }
}

// The known input signal of a channel.
double signal(long channel, long frame)
{
    return 0.5 * std::sin(0.05 * (double)(channel + 1) * (double)frame) +
           0.25 * std::sin(0.31 * (double)frame + (double)channel);
}

// Stores x in the sample type; answers the value a reader should see.
double put(unsigned char *p, long type, double x)
{
    if (type == 19) {
        float f = (float)x;
        std::memcpy(p, &f, 4);
        return f;
    }
    if (type == 20) {
        std::memcpy(p, &x, 8);
        return x;
    }
    const int valid = valid_bits(type);
    const long long v = std::llround(x * (double)((1LL << (valid - 1)) - 1));
    for (int i = 0; i < sample_bytes(type); ++i)
        p[i] = (unsigned char)((unsigned long long)v >> (8 * i));
    return (double)(v * (1LL << (32 - valid))) / 2147483647.0;
}

double get(const unsigned char *p, long type)
{
    if (type == 19) {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    if (type == 20) {
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    const int bytes = sample_bytes(type);
    unsigned long long u = 0;
    for (int i = 0; i < bytes; ++i)
        u |= (unsigned long long)p[i] << (8 * i);
    long long v = (long long)(u << (64 - 8 * bytes)) >> (64 - 8 * bytes);
    const int valid = valid_bits(type);
    // Only the valid bits count; the container's upper bits hold the sign.
    v = (long long)((unsigned long long)v << (64 - valid)) >> (64 - valid);
    return (double)(v * (1LL << (32 - valid))) / 2147483647.0;
}

class TestDriver final : public asio::Driver {
public:
    explicit TestDriver(const Config &c) : config(c)
    {
        ++objects;
        state.created++;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (riid == IID_IUnknown || riid == config.clsid) {
            AddRef();
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return (ULONG)++refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long left = --refs;
        if (left == 0) {
            stop();
            dispose_buffers();
            state.released++;
            --objects;
            delete this;
        }
        return (ULONG)left;
    }

    asio::Bool init(void *) override
    {
        state.inits++;
        return 1;
    }
    void get_driver_name(char *name) override { std::strcpy(name, "vemo test"); }
    long get_driver_version() override { return 1; }
    void get_error_message(char *text) override { std::strcpy(text, ""); }

    asio::Error start() override
    {
        if (!buffers || running)
            return asio::INVALID_MODE;
        state.starts++;
        running = true;
        quit = false;
        thread = std::thread([this] { run(); });
        return asio::OK;
    }
    asio::Error stop() override
    {
        if (!running)
            return asio::OK;
        quit = true;
        thread.join();
        running = false;
        state.stops++;
        return asio::OK;
    }
    asio::Error get_channels(long *inputs, long *outputs) override
    {
        *inputs = config.inputs;
        *outputs = config.outputs;
        return asio::OK;
    }
    asio::Error get_latencies(long *input, long *output) override
    {
        *input = *output = PREFERRED;
        return asio::OK;
    }
    asio::Error get_buffer_size(long *minimum, long *maximum, long *preferred,
                                long *granularity) override
    {
        *minimum = 32;
        *maximum = 1024;
        *preferred = PREFERRED;
        *granularity = 32;
        return asio::OK;
    }
    asio::Error can_sample_rate(double rate) override
    {
        for (const int *r = config.rates; *r; ++r)
            if (rate == *r)
                return asio::OK;
        return asio::INVALID_MODE;
    }
    asio::Error get_sample_rate(double *rate) override
    {
        *rate = state.rate_set;
        return asio::OK;
    }
    asio::Error set_sample_rate(double rate) override
    {
        if (can_sample_rate(rate) != asio::OK || rate == config.refused_rate)
            return asio::INVALID_MODE;
        state.rate_set = (int)rate;
        return asio::OK;
    }
    asio::Error get_clock_sources(void *, long *count) override
    {
        *count = 0;
        return asio::OK;
    }
    asio::Error set_clock_source(long) override { return asio::OK; }
    asio::Error get_sample_position(void *, void *) override { return asio::NOT_PRESENT; }
    asio::Error get_channel_info(asio::ChannelInfo *info) override
    {
        const bool in = info->is_input != 0;
        if (info->channel < 0 || info->channel >= (in ? config.inputs : config.outputs))
            return asio::INVALID_MODE;
        info->type = type_of(in, info->channel);
        info->is_active = 0;
        info->group = 0;
        std::snprintf(info->name, sizeof info->name, "%s %ld", in ? "In" : "Out",
                      info->channel + 1);
        return asio::OK;
    }
    asio::Error create_buffers(asio::BufferInfo *infos, long count, long size,
                               asio::Callbacks *cb) override
    {
        // A driver that already holds buffers refuses a second set.
        if (buffers || count < 1 || count > MAX_CHANNELS || size != PREFERRED) {
            state.refused_creates++;
            return asio::INVALID_MODE;
        }
        for (long i = 0; i < count; ++i) {
            const bool in = infos[i].is_input != 0;
            if (infos[i].channel < 0 || infos[i].channel >= (in ? config.inputs : config.outputs)) {
                state.refused_creates++;
                return asio::INVALID_MODE;
            }
        }
        buffers = new (std::nothrow) unsigned char[(size_t)count * 2 * (size_t)size * 8]();
        if (!buffers)
            return asio::NOT_PRESENT;
        for (long i = 0; i < count; ++i) {
            for (int h = 0; h < 2; ++h)
                infos[i].buffers[h] = buffers + ((size_t)i * 2 + (size_t)h) * (size_t)size * 8;
            state.infos[i][0] = infos[i].is_input;
            state.infos[i][1] = infos[i].channel;
        }
        descriptions = infos;
        described = count;
        callbacks = cb;
        state.buffer_count = (int)count;
        state.buffer_size = (int)size;
        state.creates++;
        return asio::OK;
    }
    asio::Error dispose_buffers() override
    {
        if (!buffers)
            return asio::INVALID_MODE;
        stop();
        delete[] buffers;
        buffers = nullptr;
        state.disposes++;
        return asio::OK;
    }
    asio::Error control_panel() override { return asio::NOT_PRESENT; }
    asio::Error future(long, void *) override { return asio::NOT_PRESENT; }
    asio::Error output_ready() override { return asio::NOT_PRESENT; }

private:
    long type_of(bool in, long channel) const
    {
        return in ? config.in_types[channel % config.in_type_count]
                  : config.out_types[channel % config.out_type_count];
    }

    void run()
    {
        if (state.answered.load() == 0) {
            for (int i = 0; i < ASKED_COUNT; ++i)
                state.answers[i] = callbacks->message(ASKED[i][0], ASKED[i][1], nullptr, nullptr);
            state.answered = 1;
        }
        while (state.hold.load() && !quit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        long frame = 0;
        int half = 0;
        while (!quit) {
            const int recorded = state.frames_recorded.load(std::memory_order_relaxed);
            const bool record = recorded + PREFERRED <= RECORD_FRAMES;
            for (long i = 0; i < described; ++i) {
                if (!descriptions[i].is_input)
                    continue;
                const long ch = descriptions[i].channel;
                const long type = type_of(true, ch);
                unsigned char *p = static_cast<unsigned char *>(descriptions[i].buffers[half]);
                for (long t = 0; t < PREFERRED; ++t) {
                    double seen = put(p + t * sample_bytes(type), type, signal(ch, frame + t));
                    if (record && ch < MAX_CHANNELS)
                        state.input[ch][recorded + t] = seen;
                }
            }
            const long n = state.switches.load(std::memory_order_relaxed);
            if (n < RECORD_HALVES)
                state.halves[n] = half;
            callbacks->buffer_switch(half, 1);
            for (long i = 0; i < described; ++i) {
                const long ch = descriptions[i].channel;
                if (descriptions[i].is_input || ch >= RECORD_OUTPUTS || !record)
                    continue;
                const long type = type_of(false, ch);
                const unsigned char *p =
                    static_cast<const unsigned char *>(descriptions[i].buffers[half]);
                for (long t = 0; t < PREFERRED; ++t)
                    state.output[ch][recorded + t] = get(p + t * sample_bytes(type), type);
            }
            if (record)
                state.frames_recorded.store(recorded + (int)PREFERRED, std::memory_order_release);
            state.switches.store(n + 1, std::memory_order_release);
            frame += PREFERRED;
            half ^= 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    const Config &config;
    std::atomic<long> refs{1};
    unsigned char *buffers = nullptr;
    asio::BufferInfo *descriptions = nullptr;
    long described = 0;
    asio::Callbacks *callbacks = nullptr;
    std::thread thread;
    std::atomic<bool> quit{false};
    bool running = false;
};

class Factory : public IClassFactory {
public:
    explicit Factory(const Config &c) : config(c) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **out) override
    {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **out) override
    {
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (riid != config.clsid)
            return E_NOINTERFACE;
        TestDriver *d = new (std::nothrow) TestDriver(config);
        if (!d)
            return E_OUTOFMEMORY;
        *out = static_cast<asio::Driver *>(d);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const Config &config;
};

Factory factories[] = {Factory(CONFIGS[0]), Factory(CONFIGS[1]), Factory(CONFIGS[2])};

} // namespace

extern "C" HRESULT WINAPI test_asio_get_class_object(REFCLSID clsid, REFIID riid, void **out)
{
    for (size_t i = 0; i < sizeof CONFIGS / sizeof CONFIGS[0]; ++i)
        if (clsid == CONFIGS[i].clsid)
            return factories[i].QueryInterface(riid, out);
    *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI test_asio_can_unload()
{
    return objects.load() == 0 ? S_OK : S_FALSE;
}

extern "C" test_asio::State *test_asio_state()
{
    return &state;
}

extern "C" void test_asio_reset()
{
    state.~State();
    new (&state) State();
}
