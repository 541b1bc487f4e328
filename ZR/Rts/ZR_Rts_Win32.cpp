// ZR_Rts_Win32: mode probing, one allocation for the 16 wave buffers, the
// input callback that re-queues, processes and keeps two blocks of output
// lead, and a free that always ends.
#include "ZR/Rts/ZR_Rts_Win32.h"

#include <cstdio>
#include <cstdlib>
#include <new>

ZR_Rts_callback ZR_Rts_Win32::block_callback = nullptr;
ZR_Chain ZR_Rts_Win32::class_instances;

namespace {

const int RATES[] = {48000, 96000, 192000, 44100};
const int BITS[] = {32, 24, 16};
const char *const OUTPUT_NAMES[] = {"Left front", "Right front", "Left back", "Right back"};
const DWORD FLAG_DONE = WHDR_DONE;
const DWORD FLAG_LOOP = WHDR_BEGINLOOP | WHDR_ENDLOOP;
const DWORD STOP_WAIT_MS = 10000;
const DWORD SETTLE_MS = 100;
const DWORD RETRY_MS = 500;
const int RETRIES = 10;
const int GATE_TIMEOUT_MS = 2000;
const unsigned ALL_RETURNED = (1u << ZR_Rts_Win32::BUFFERS) - 1;

std::atomic<ZR_Rts_Win32 *> active{nullptr};

const WaveApi SYSTEM_API = {
    waveInOpen,
    waveInClose,
    waveInPrepareHeader,
    waveInUnprepareHeader,
    waveInAddBuffer,
    waveInStart,
    waveInStop,
    waveInReset,
    waveOutOpen,
    waveOutClose,
    waveOutPrepareHeader,
    waveOutUnprepareHeader,
    waveOutWrite,
    waveOutReset,
    Sleep,
    WaitForSingleObject,
};

// Calls op until it succeeds, at most RETRIES times, sleeping after each
// failure.
template <class Op>
bool retry(const WaveApi &api, Op op)
{
    for (int tries = 0; tries < RETRIES; ++tries) {
        if (op() == MMSYSERR_NOERROR)
            return true;
        api.sleep(RETRY_MS);
    }
    return false;
}

} // namespace

const WaveApi &WaveApi::system()
{
    return SYSTEM_API;
}

ZR_Rts_Win32::ZR_Rts_Win32(const WaveApi &wave_api)
    : ZR_Rts("Windows"), class_link(this), api(wave_api)
{
    format.wFormatTag = WAVE_FORMAT_PCM;
    for (int i = 0; i < BUFFERS; ++i)
        tags[i] = {this, i};
    reset_headers();
    stop_signal = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

ZR_Rts_Win32::~ZR_Rts_Win32()
{
    if (in_handle || out_handle)
        free();
    ZR_Rts_Win32 *self = this;
    active.compare_exchange_strong(self, nullptr);
    class_instances.remove(&class_link);
    if (stop_signal)
        CloseHandle(stop_signal);
    std::free(out_buffers[0]);
}

ZR_status ZR_Rts_Win32::classInit(ZR_Rts_callback callback)
{
    block_callback = callback;
    ZR_Rts_Win32 *d = new (std::nothrow) ZR_Rts_Win32();
    if (!d)
        return ZR_ERROR_MEMORY_CANNOT_ALLOCATE;
    class_instances.insert(&d->class_link);
    ZR_Rts_instances.insert(&d->instance_link);
    return ZR_OK;
}

void ZR_Rts_Win32::class_cleanup()
{
    delete_class_instances<ZR_Rts_Win32>(class_instances);
}

void ZR_Rts_Win32::set_format(int channels, int rate, int bits)
{
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = (WORD)channels;
    format.nSamplesPerSec = (DWORD)rate;
    format.wBitsPerSample = (WORD)bits;
    format.nBlockAlign = (WORD)(channels * bits / 8);
    format.nAvgBytesPerSec = (DWORD)rate * format.nBlockAlign;
    format.cbSize = 0;
}

void ZR_Rts_Win32::reset_headers()
{
    for (int i = 0; i < BUFFERS; ++i) {
        for (WAVEHDR *h : {&in_headers[i], &out_headers[i]}) {
            *h = WAVEHDR{};
            h->dwUser = reinterpret_cast<DWORD_PTR>(&tags[i]);
            h->dwFlags = FLAG_DONE;
        }
        in_headers[i].dwLoops = 0;
        out_headers[i].dwLoops = 1;
    }
}

ZR_status ZR_Rts_Win32::init()
{
    // A second init starts from empty lists instead of doubling them.
    done();
    for (int bits : BITS)
        for (int rate : RATES) {
            set_format(2, rate, bits);
            HWAVEIN in = nullptr;
            if (api.in_open(&in, 0, &format, 0, 0, PROBE_FLAGS) != MMSYSERR_NOERROR)
                continue;
            api.in_close(in);
            for (int channels : {4, 2}) {
                set_format(channels, rate, bits);
                HWAVEOUT out = nullptr;
                if (api.out_open(&out, 0, &format, 0, 0, PROBE_FLAGS) != MMSYSERR_NOERROR)
                    continue;
                api.out_close(out);
                Mode *m = new Mode(rate, bits, rate / 100, channels);
                modes.insert(&m->link);
            }
        }
    for (const char *name : {"Left", "Right"}) {
        Chan *c = new Chan(name, 0, 0);
        inputs.insert(&c->link);
    }
    in_chans[0] = chan_at(inputs, 0);
    in_chans[1] = chan_at(inputs, 1);
    active.store(this);
    return ZR_OK;
}

ZR_status ZR_Rts_Win32::done()
{
    // The channels go with the lists: no callback may still point at them.
    if (in_handle || out_handle)
        free();
    return ZR_Rts::done();
}

void ZR_Rts_Win32::close_devices()
{
    if (in_handle) {
        api.in_reset(in_handle);
        for (WAVEHDR &h : in_headers)
            if (h.dwFlags & WHDR_PREPARED)
                api.in_unprepare(in_handle, &h, sizeof(WAVEHDR));
        api.in_close(in_handle);
        in_handle = nullptr;
    }
    if (out_handle) {
        api.out_close(out_handle);
        out_handle = nullptr;
    }
    std::free(out_buffers[0]);
    for (int i = 0; i < BUFFERS; ++i)
        out_buffers[i] = in_buffers[i] = nullptr;
}

ZR_status ZR_Rts_Win32::mode(Mode *m)
{
    ZR_Rts::mode(m);
    in_handle = nullptr;
    out_handle = nullptr;
    out_buffers[0] = nullptr;
    // Outputs of an earlier mode that failed would otherwise be listed twice.
    delete_chans(outputs);
    out_count = 0;
    if (!m || !in_chans[0] || m->channels < 1 || m->channels > 4 || m->bits % 8 || m->frames <= 0)
        return ZR_ERROR_AUDIO_CANNOT_OPEN;

    set_format(2, m->rate, m->bits);
    if (api.in_open(&in_handle, 0, &format, reinterpret_cast<DWORD_PTR>(&input_proc), 0,
                    OPEN_FLAGS) != MMSYSERR_NOERROR) {
        in_handle = nullptr;
        return ZR_ERROR_AUDIO_CANNOT_OPEN;
    }
    set_format(m->channels, m->rate, m->bits);
    if (api.out_open(&out_handle, 0, &format, reinterpret_cast<DWORD_PTR>(&output_proc), 0,
                     OPEN_FLAGS) != MMSYSERR_NOERROR) {
        out_handle = nullptr;
        close_devices();
        return ZR_ERROR_AUDIO_CANNOT_OPEN;
    }

    sample_bytes = m->bits / 8;
    const size_t b = (size_t)sample_bytes * (size_t)m->frames;
    const size_t c = (size_t)m->channels;
    char *memory = static_cast<char *>(std::calloc(BUFFERS * (c + 2), b));
    if (!memory) {
        close_devices();
        return ZR_ERROR_MEMORY_CANNOT_ALLOCATE;
    }
    for (int i = 0; i < BUFFERS; ++i) {
        out_buffers[i] = memory + (size_t)i * c * b;
        in_buffers[i] = memory + BUFFERS * c * b + (size_t)i * 2 * b;
    }
    reset_headers();
    ResetEvent(stop_signal);
    returned.store(0);

    for (Chan *in : in_chans) {
        in->format = (uint32_t)(2 * sample_bytes + m->bits * 256);
        in->count = m->frames;
        in->data = nullptr;
    }
    for (int k = 0; k < m->channels; ++k) {
        Chan *out = new Chan(OUTPUT_NAMES[k],
                             (uint32_t)(m->channels * sample_bytes + m->bits * 256), m->frames);
        outputs.insert(&out->link);
        out_chans[k] = out;
    }
    out_count = m->channels;
    block_count.store(0, std::memory_order_relaxed);
    dropped_count.store(0, std::memory_order_relaxed);
    clear_refusal();

    // Open before the first buffer is queued: a buffer that came back through
    // a closed gate would not be queued again.
    gate.open();
    bool ok = true;
    for (int i = 0; i < BUFFERS && ok; ++i) {
        in_headers[i].lpData = in_buffers[i];
        in_headers[i].dwBufferLength = (DWORD)(2 * b);
        ok = api.in_prepare(in_handle, &in_headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
             api.in_add(in_handle, &in_headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
        out_headers[i].lpData = out_buffers[i];
        out_headers[i].dwBufferLength = (DWORD)(c * b);
    }
    if (ok)
        ok = api.in_start(in_handle) == MMSYSERR_NOERROR;
    if (!ok) {
        gate.close(GATE_TIMEOUT_MS);
        close_devices();
        delete_chans(outputs);
        out_count = 0;
        return ZR_ERROR_AUDIO;
    }
    return ZR_OK;
}

void CALLBACK ZR_Rts_Win32::input_proc(HWAVEIN, UINT msg, DWORD_PTR, DWORD_PTR param1, DWORD_PTR)
{
    if (msg != WIM_DATA)
        return;
    ZR_Rts_Win32 *d = active.load(std::memory_order_acquire);
    const WAVEHDR *h = reinterpret_cast<const WAVEHDR *>(param1);
    if (!d || !h)
        return;
    const Tag *tag = reinterpret_cast<const Tag *>(h->dwUser);
    if (!tag || tag->index < 0 || tag->index >= BUFFERS)
        return;
    d->on_data(tag->index);
}

void ZR_Rts_Win32::on_data(int i)
{
    if (!gate.enter()) {
        // free is waiting for every input buffer to come back.
        const unsigned bit = 1u << i;
        if ((returned.fetch_or(bit) | bit) == ALL_RETURNED)
            SetEvent(stop_signal);
        return;
    }
    api.in_add(in_handle, &in_headers[i], sizeof(WAVEHDR));
    in_chans[0]->data = in_buffers[i];
    in_chans[1]->data = in_buffers[i] + sample_bytes;

    // The device sets the done flag on its own thread.
    int first = -1, second = -1, idle = 0;
    for (int j = 0; j < BUFFERS; ++j)
        if (static_cast<volatile DWORD &>(out_headers[j].dwFlags) & FLAG_DONE) {
            if (first < 0)
                first = j;
            else if (second < 0)
                second = j;
            ++idle;
        }
    // With no idle buffer (a device that never marks one done) the outputs
    // get no memory: copies into them are refused instead of overwriting a
    // buffer that is playing.
    for (int k = 0; k < out_count; ++k)
        out_chans[k]->data = first < 0 ? nullptr : out_buffers[first] + k * sample_bytes;

    block_count.fetch_add(1, std::memory_order_relaxed);
    if (block_callback)
        block_callback();

    if (idle >= 2) {
        for (int j : {first, second}) {
            WAVEHDR &o = out_headers[j];
            o.dwFlags = FLAG_LOOP;
            o.dwLoops = 1;
            api.out_prepare(out_handle, &o, sizeof(WAVEHDR));
            api.out_write(out_handle, &o, sizeof(WAVEHDR));
            if (idle < 6)
                break;
        }
    }
    else {
        dropped_count.fetch_add(1, std::memory_order_relaxed);
    }
    gate.leave();
}

ZR_status ZR_Rts_Win32::free()
{
    // Nothing open (no mode, or a mode that failed): nothing will come back.
    if (!in_handle && !out_handle) {
        ZR_Rts::free();
        out_count = 0;
        return ZR_OK;
    }
    returned.store(0);
    ResetEvent(stop_signal);
    // From here on every returning buffer is only counted; a block in
    // progress finishes before the output channels go.
    gate.close(GATE_TIMEOUT_MS);
    ZR_Rts::free();
    out_count = 0;
    api.wait(stop_signal, STOP_WAIT_MS);
    api.sleep(SETTLE_MS);

    if (in_handle && !retry(api, [&] { return api.in_stop(in_handle); }))
        return ZR_ERROR_AUDIO_CANNOT_INPUT_STOP;
    if (out_handle && !retry(api, [&] { return api.out_reset(out_handle); }))
        return ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET;
    for (WAVEHDR &h : in_headers)
        if (in_handle && (h.dwFlags & WHDR_PREPARED))
            api.in_unprepare(in_handle, &h, sizeof(WAVEHDR));
    for (WAVEHDR &h : out_headers)
        if (out_handle && (h.dwFlags & WHDR_PREPARED))
            api.out_unprepare(out_handle, &h, sizeof(WAVEHDR));
    if (in_handle && !retry(api, [&] { return api.in_close(in_handle); }))
        return ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE;
    in_handle = nullptr;
    if (out_handle && !retry(api, [&] { return api.out_close(out_handle); }))
        return ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE;
    out_handle = nullptr;
    std::free(out_buffers[0]);
    for (int i = 0; i < BUFFERS; ++i)
        out_buffers[i] = in_buffers[i] = nullptr;
    return ZR_OK;
}
