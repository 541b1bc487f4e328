// ZR_Rts_Alsa: probing, the capture thread with two blocks of playback lead,
// the bounded stop, and the libasound device layer.
#include "ZR/Rts/ZR_Rts_Alsa.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

ZR_Rts_callback ZR_Rts_Alsa::block_callback = nullptr;
ZR_Chain ZR_Rts_Alsa::class_instances;

namespace {

const char *const SOURCE = "ZR/Rts/Alsa";
const int PROBE_BITS[] = {32, 24, 16};
const int PROBE_RATES[] = {48000, 96000, 192000, 44100};
const int PROBE_OUTPUTS[] = {4, 2};
const char *const INPUT_NAMES[] = {"Left", "Right"};
const char *const OUTPUT_NAMES[] = {"Left front", "Right front", "Left back", "Right back"};
const int MAX_OUTPUTS = 4;
const int LEAD_BLOCKS = 2;
const int STOP_TRIES = 10;
const int STOP_RETRY_MS = 500;

void sleep_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Runs op until it succeeds, at most STOP_TRIES times with a pause after each
// failure; a device that will not stop costs about five seconds, not forever.
template <class Op>
bool retry(Op op)
{
    for (int i = 0; i < STOP_TRIES; ++i) {
        if (op())
            return true;
        sleep_ms(STOP_RETRY_MS);
    }
    return false;
}

} // namespace

// Everything the capture thread touches. Shared with the thread, so that a
// thread that cannot be stopped keeps its devices and memory alive.
struct ZR_Rts_Alsa::Stream {
    std::unique_ptr<AlsaPcm> in, out;
    std::vector<unsigned char> memory; // input block, output block, silence
    unsigned char *in_block = nullptr, *out_block = nullptr, *silence = nullptr;
    int frames = 0, bits = 0, outputs = 0, wait_ms = 10;
    Chan *in_chans[2] = {};
    Chan *out_chans[MAX_OUTPUTS] = {};
    size_t out_bytes = 0;

    RtsGate gate;
    RtsWatch watch{SOURCE, "ZR_Rts_Alsa::mode"};
    std::atomic<bool> quit{false};
    std::atomic<bool> loop_done{false};
    std::atomic<bool> failed{false};
    std::atomic<long> blocks{0}, overruns{0}, underruns{0};
    char failure[160] = "";
    std::thread thread;

    void run();
    void fail(const char *call, long error);
    bool play(const unsigned char *block);
};

void ZR_Rts_Alsa::Stream::fail(const char *call, long error)
{
    std::snprintf(failure, sizeof failure, "%s: %s", call, snd_strerror((int)error));
    failed.store(true, std::memory_order_relaxed);
    watch.raise(failure);
}

// Writes one block; an underrun is counted and answered by a fresh lead of
// silence. False when the device failed.
bool ZR_Rts_Alsa::Stream::play(const unsigned char *block)
{
    long w = out->write(block, frames);
    if (w == -EPIPE || w == -ESTRPIPE) {
        underruns.fetch_add(1, std::memory_order_relaxed);
        int e = out->prepare();
        if (e < 0) {
            fail("snd_pcm_prepare", e);
            return false;
        }
        for (int i = 0; i < LEAD_BLOCKS; ++i)
            out->write(silence, frames);
        w = out->write(block, frames);
    }
    if (w < 0 && w != -EAGAIN && w != -EPIPE && w != -ESTRPIPE) {
        fail("snd_pcm_writei", w);
        return false;
    }
    return true; // a full device buffer (-EAGAIN) drops this block
}

void ZR_Rts_Alsa::Stream::run()
{
    const size_t in_frame = 2 * (size_t)bits / 8;
    for (int i = 0; i < LEAD_BLOCKS && !failed.load(std::memory_order_relaxed); ++i)
        if (!play(silence))
            break;
    long got = 0;
    while (!quit.load(std::memory_order_relaxed) && !failed.load(std::memory_order_relaxed)) {
        long r = in->read(in_block + got * in_frame, frames - got);
        if (r == -EAGAIN || r == 0) {
            int e = in->wait(wait_ms);
            if (e < 0 && e != -EPIPE && e != -ESTRPIPE) {
                fail("snd_pcm_wait", e);
                break;
            }
            continue;
        }
        if (r == -EPIPE || r == -ESTRPIPE) {
            overruns.fetch_add(1, std::memory_order_relaxed);
            got = 0;
            int e = in->prepare();
            if (e < 0) {
                fail("snd_pcm_prepare", e);
                break;
            }
            continue;
        }
        if (r < 0) {
            fail("snd_pcm_readi", r);
            break;
        }
        got += r;
        if (got < frames)
            continue;
        got = 0;
        blocks.fetch_add(1, std::memory_order_relaxed);
        // A client that skips a block leaves silence, not the last block.
        std::memset(out_block, 0, out_bytes);
        if (gate.enter()) {
            for (int k = 0; k < 2; ++k)
                in_chans[k]->data = in_block + k * bits / 8;
            for (int k = 0; k < outputs; ++k)
                out_chans[k]->data = out_block + k * bits / 8;
            if (ZR_Rts_Alsa::block_callback)
                ZR_Rts_Alsa::block_callback();
            gate.leave();
        }
        if (!play(out_block))
            break;
    }
    loop_done.store(true, std::memory_order_release);
}

ZR_Rts_Alsa::ZR_Rts_Alsa(const char *name, const char *device, AlsaDevices *device_layer)
    : ZR_Rts(name), class_link(this), devices(device_layer)
{
    std::snprintf(device_name, sizeof device_name, "%s", device ? device : "default");
}

ZR_Rts_Alsa::~ZR_Rts_Alsa()
{
    if (stream)
        free();
    class_instances.remove(&class_link);
}

ZR_status ZR_Rts_Alsa::init()
{
    for (int bits : PROBE_BITS) {
        for (int rate : PROBE_RATES) {
            int error = 0;
            AlsaFormat f{true, 2, rate, bits, rate / 100};
            std::unique_ptr<AlsaPcm> in = devices->open(device_name, f, &error);
            if (!in)
                continue;
            in->close();
            in.reset();
            for (int outputs : PROBE_OUTPUTS) {
                AlsaFormat o{false, outputs, rate, bits, rate / 100};
                std::unique_ptr<AlsaPcm> out = devices->open(device_name, o, &error);
                if (!out)
                    continue;
                out->close();
                Mode *m = new Mode(rate, bits, rate / 100, outputs);
                modes.insert(&m->link);
            }
        }
    }
    if (inputs.count == 0) {
        for (const char *input : INPUT_NAMES) {
            Chan *c = new Chan(input, 0, 0);
            inputs.insert(&c->link);
        }
    }
    return ZR_OK;
}

ZR_status ZR_Rts_Alsa::mode(Mode *m)
{
    if (stream)
        free();
    if (!m || m->channels < 1 || m->channels > MAX_OUTPUTS || m->frames < 1 ||
        (m->bits != 16 && m->bits != 24 && m->bits != 32) || inputs.count < 2)
        return ZR_ERROR_AUDIO;
    ZR_Rts::mode(m);

    auto s = std::make_shared<Stream>();
    int error = 0;
    s->in = devices->open(device_name, AlsaFormat{true, 2, m->rate, m->bits, m->frames}, &error);
    if (!s->in)
        return ZR_ERROR_AUDIO_CANNOT_OPEN;
    s->out = devices->open(device_name, AlsaFormat{false, m->channels, m->rate, m->bits, m->frames},
                           &error);
    if (!s->out) {
        s->in->close();
        return ZR_ERROR_AUDIO_CANNOT_OPEN;
    }

    const int bytes = m->bits / 8;
    const size_t in_bytes = (size_t)2 * bytes * m->frames;
    s->out_bytes = (size_t)m->channels * bytes * m->frames;
    try {
        s->memory.assign(in_bytes + 2 * s->out_bytes, 0);
    }
    catch (const std::bad_alloc &) {
        s->in->close();
        s->out->close();
        return ZR_ERROR_MEMORY_CANNOT_ALLOCATE;
    }
    s->in_block = s->memory.data();
    s->out_block = s->in_block + in_bytes;
    s->silence = s->out_block + s->out_bytes;
    s->frames = m->frames;
    s->bits = m->bits;
    s->outputs = m->channels;
    s->wait_ms = m->rate > 0 ? m->frames * 1000 / m->rate + 1 : 10;

    int k = 0;
    for (ZR_Chain_Item *i = inputs.first(); i != inputs.end() && k < 2; i = i->next, ++k) {
        Chan *c = static_cast<Chan *>(i->owner);
        c->format = (uint32_t)(2 * bytes) + (uint32_t)m->bits * 256;
        c->count = m->frames;
        c->data = nullptr;
        s->in_chans[k] = c;
    }
    for (k = 0; k < m->channels; ++k) {
        Chan *c = new Chan(OUTPUT_NAMES[k],
                           (uint32_t)(m->channels * bytes) + (uint32_t)m->bits * 256, m->frames);
        outputs.insert(&c->link);
        s->out_chans[k] = c;
    }

    s->watch.start();
    s->gate.open();
    clear_refusal();
    Stream *raw = s.get();
    s->thread = std::thread([raw, keep = s] { raw->run(); });
    stream = std::move(s);
    return ZR_OK;
}

ZR_status ZR_Rts_Alsa::free()
{
    std::shared_ptr<Stream> s = std::move(stream);
    if (!s)
        return ZR_Rts::free();
    // No callback runs after this, so the channels may go.
    s->quit.store(true, std::memory_order_relaxed);
    if (!s->gate.close(STOP_TRIES * STOP_RETRY_MS)) {
        s->thread.detach();
        return ZR_ERROR_AUDIO_CANNOT_INPUT_STOP;
    }
    ZR_Rts::free();
    last_counts.blocks = s->blocks.load(std::memory_order_relaxed);
    last_counts.overruns = s->overruns.load(std::memory_order_relaxed);
    last_counts.underruns = s->underruns.load(std::memory_order_relaxed);

    bool ended = false;
    for (int ms = 0; ms < STOP_TRIES * STOP_RETRY_MS && !ended; ++ms) {
        ended = s->loop_done.load(std::memory_order_acquire);
        if (!ended)
            sleep_ms(1);
    }
    if (!ended) {
        // The thread owns a reference: devices and memory live until it ends.
        s->thread.detach();
        return ZR_ERROR_AUDIO_CANNOT_INPUT_STOP;
    }
    s->thread.join();
    s->watch.stop();
    // A device that failed was reported once already; closing it is best effort.
    const bool gone = s->failed.load(std::memory_order_relaxed);
    ZR_status status = ZR_OK;
    if (!retry([&] { return s->in->stop() >= 0 || gone; }))
        status = ZR_ERROR_AUDIO_CANNOT_INPUT_STOP;
    else if (!retry([&] { return s->out->stop() >= 0 || gone; }))
        status = ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET;
    else if (!retry([&] { return s->in->close() >= 0 || gone; }))
        status = ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE;
    else if (!retry([&] { return s->out->close() >= 0 || gone; }))
        status = ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE;
    return status;
}

RtsCounts ZR_Rts_Alsa::counts() const
{
    if (!stream)
        return last_counts;
    RtsCounts c;
    c.blocks = stream->blocks.load(std::memory_order_relaxed);
    c.overruns = stream->overruns.load(std::memory_order_relaxed);
    c.underruns = stream->underruns.load(std::memory_order_relaxed);
    return c;
}

bool ZR_Rts_Alsa::streaming() const
{
    return stream && !stream->failed.load(std::memory_order_relaxed);
}

// ---- class registration ----------------------------------------------------

namespace {

void add_instance(const char *name, const char *device)
{
    ZR_Rts_Alsa *d = new ZR_Rts_Alsa(name, device);
    ZR_Rts_Alsa::class_instances.insert(&d->class_link);
    ZR_Rts_instances.insert(&d->instance_link);
}

bool name_taken(const char *name)
{
    for (ZR_Chain_Item *i = ZR_Rts_Alsa::class_instances.first();
         i != ZR_Rts_Alsa::class_instances.end(); i = i->next)
        if (std::strcmp(static_cast<ZR_Rts_Alsa *>(i->owner)->name, name) == 0)
            return true;
    return false;
}

} // namespace

ZR_status ZR_Rts_Alsa::classInit(ZR_Rts_callback callback)
{
    block_callback = callback;
    add_instance("ALSA default", "default");
    AlsaDevices::system();
    void **hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || !hints)
        return ZR_OK;
    for (void **h = hints; *h; ++h) {
        char *device = snd_device_name_get_hint(*h, "NAME");
        char *desc = snd_device_name_get_hint(*h, "DESC");
        char *ioid = snd_device_name_get_hint(*h, "IOID");
        // Devices that both record and play; "null" records silence only.
        bool usable = device && !ioid && std::strcmp(device, "default") != 0 &&
                      std::strcmp(device, "null") != 0;
        if (usable) {
            char name[64];
            const char *text = desc ? desc : device;
            size_t line = std::strcspn(text, "\n");
            std::snprintf(name, sizeof name, "%.*s", (int)line, text);
            if (name_taken(name))
                std::snprintf(name, sizeof name, "%.*s (%s)", (int)line, text, device);
            if (!name_taken(name))
                add_instance(name, device);
        }
        ::free(device);
        ::free(desc);
        ::free(ioid);
    }
    snd_device_name_free_hint(hints);
    return ZR_OK;
}

void ZR_Rts_Alsa::class_cleanup()
{
    delete_class_instances<ZR_Rts_Alsa>(class_instances);
}

// ---- libasound -------------------------------------------------------------

namespace {

class SystemPcm : public AlsaPcm {
public:
    explicit SystemPcm(snd_pcm_t *handle) : pcm(handle) {}
    ~SystemPcm() override
    {
        if (pcm)
            snd_pcm_close(pcm);
    }
    long read(void *buffer, long frames) override
    {
        return (long)snd_pcm_readi(pcm, buffer, (snd_pcm_uframes_t)frames);
    }
    long write(const void *buffer, long frames) override
    {
        return (long)snd_pcm_writei(pcm, buffer, (snd_pcm_uframes_t)frames);
    }
    int wait(int ms) override { return snd_pcm_wait(pcm, ms); }
    int prepare() override { return snd_pcm_prepare(pcm); }
    int stop() override { return snd_pcm_drop(pcm); }
    int close() override
    {
        int e = pcm ? snd_pcm_close(pcm) : 0;
        pcm = nullptr;
        return e;
    }

private:
    snd_pcm_t *pcm;
};

int configure(snd_pcm_t *pcm, const AlsaFormat &f)
{
    snd_pcm_format_t format = f.bits == 32   ? SND_PCM_FORMAT_S32_LE
                              : f.bits == 24 ? SND_PCM_FORMAT_S24_3LE
                              : f.bits == 16 ? SND_PCM_FORMAT_S16_LE
                                             : SND_PCM_FORMAT_UNKNOWN;
    if (format == SND_PCM_FORMAT_UNKNOWN || f.channels < 1 || f.rate < 1 || f.frames < 1)
        return -EINVAL;
    snd_pcm_hw_params_t *hw;
    snd_pcm_hw_params_alloca(&hw);
    int e;
    if ((e = snd_pcm_hw_params_any(pcm, hw)) < 0 ||
        (e = snd_pcm_hw_params_set_rate_resample(pcm, hw, 0)) < 0 ||
        (e = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (e = snd_pcm_hw_params_set_format(pcm, hw, format)) < 0 ||
        (e = snd_pcm_hw_params_set_channels(pcm, hw, (unsigned)f.channels)) < 0 ||
        (e = snd_pcm_hw_params_set_rate(pcm, hw, (unsigned)f.rate, 0)) < 0)
        return e;
    snd_pcm_uframes_t period = (snd_pcm_uframes_t)f.frames;
    snd_pcm_uframes_t buffer = period * 8;
    snd_pcm_hw_params_set_period_size_near(pcm, hw, &period, nullptr);
    snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &buffer);
    if ((e = snd_pcm_hw_params(pcm, hw)) < 0)
        return e;
    snd_pcm_sw_params_t *sw;
    snd_pcm_sw_params_alloca(&sw);
    if ((e = snd_pcm_sw_params_current(pcm, sw)) < 0)
        return e;
    snd_pcm_sw_params_set_avail_min(pcm, sw, (snd_pcm_uframes_t)f.frames);
    if (!f.capture)
        snd_pcm_sw_params_set_start_threshold(pcm, sw, (snd_pcm_uframes_t)f.frames * LEAD_BLOCKS);
    return snd_pcm_sw_params(pcm, sw);
}

// libasound prints every refused open; the driver reports what matters.
void quiet(const char *, int, const char *, int, const char *, ...) {}

class SystemDevices : public AlsaDevices {
public:
    SystemDevices() { snd_lib_error_set_handler(quiet); }

    std::unique_ptr<AlsaPcm> open(const char *device, const AlsaFormat &f, int *error) override
    {
        snd_pcm_t *pcm = nullptr;
        int e =
            snd_pcm_open(&pcm, device, f.capture ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK,
                         SND_PCM_NONBLOCK);
        if (e >= 0) {
            e = configure(pcm, f);
            if (e < 0)
                snd_pcm_close(pcm);
        }
        if (error)
            *error = e < 0 ? e : 0;
        if (e < 0)
            return nullptr;
        return std::make_unique<SystemPcm>(pcm);
    }
};

} // namespace

AlsaDevices &AlsaDevices::system()
{
    static SystemDevices devices;
    return devices;
}
