// ZR_Rts_Asio: the registry's driver list, the one loaded driver object, the
// driver operations and the callbacks the driver calls on its own thread.
#include "ZR/Rts/ZR_Rts_Asio.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

ZR_Rts_callback ZR_Rts_Asio::block_callback = nullptr;
ZR_Chain ZR_Rts_Asio::class_instances;

namespace {

const char *const SOURCE = "ZR/Rts/Asio";
const int RATES[] = {48000, 96000, 192000, 44100};
// A buffer switch in progress when the client stops the stream.
const int GATE_TIMEOUT_MS = 2000;

#define REPORT(proc, call) ZR_error_func(SOURCE, __LINE__, proc, __DATE__, __TIME__, call)

struct Entry {
    int index;
    CLSID clsid;
    char path[512];
    char name[256];
    asio::Driver *object;
};

std::vector<Entry> driver_list;
bool com_started = false;

// Every call into the driver object goes through here. With no driver loaded
// each call answers "not present" (init: false) and clears its outputs.
struct AsioCalls {
    asio::Driver *driver = nullptr;

    bool init(void *system_handle) { return driver && driver->init(system_handle) != 0; }
    asio::Error start() { return driver ? driver->start() : asio::NOT_PRESENT; }
    asio::Error stop() { return driver ? driver->stop() : asio::NOT_PRESENT; }
    asio::Error get_channels(long *inputs, long *outputs)
    {
        *inputs = *outputs = 0;
        return driver ? driver->get_channels(inputs, outputs) : asio::NOT_PRESENT;
    }
    asio::Error get_buffer_size(long *minimum, long *maximum, long *preferred, long *granularity)
    {
        *minimum = *maximum = *preferred = *granularity = 0;
        return driver ? driver->get_buffer_size(minimum, maximum, preferred, granularity)
                      : asio::NOT_PRESENT;
    }
    asio::Error can_sample_rate(double rate)
    {
        return driver ? driver->can_sample_rate(rate) : asio::NOT_PRESENT;
    }
    asio::Error set_sample_rate(double rate)
    {
        return driver ? driver->set_sample_rate(rate) : asio::NOT_PRESENT;
    }
    asio::Error get_channel_info(asio::ChannelInfo *info)
    {
        if (!driver) {
            info->is_active = info->group = info->type = 0;
            info->name[0] = 0;
            return asio::NOT_PRESENT;
        }
        return driver->get_channel_info(info);
    }
    asio::Error create_buffers(asio::BufferInfo *infos, long count, long size,
                               asio::Callbacks *callbacks)
    {
        return driver ? driver->create_buffers(infos, count, size, callbacks) : asio::NOT_PRESENT;
    }
    asio::Error dispose_buffers() { return driver ? driver->dispose_buffers() : asio::NOT_PRESENT; }
};

AsioCalls calls;
int loaded_entry = -1;
std::atomic<ZR_Rts_Asio *> active{nullptr};

void release_loaded()
{
    if (loaded_entry >= 0 && calls.driver) {
        calls.driver->Release();
        driver_list[(size_t)loaded_entry].object = nullptr;
    }
    calls.driver = nullptr;
    loaded_entry = -1;
}

bool create_driver(int entry)
{
    Entry &e = driver_list[(size_t)entry];
    void *object = nullptr;
    if (CoCreateInstance(e.clsid, nullptr, CLSCTX_INPROC_SERVER, e.clsid, &object) != S_OK ||
        !object)
        return false;
    e.object = static_cast<asio::Driver *>(object);
    calls.driver = e.object;
    loaded_entry = entry;
    return true;
}

// Releases the loaded driver and creates the entry's; when that fails, the
// driver loaded before comes back.
void load_driver(int entry)
{
    if (entry < 0 || entry >= (int)driver_list.size())
        return;
    const int previous = loaded_entry;
    release_loaded();
    if (!create_driver(entry) && previous >= 0 && previous != entry)
        create_driver(previous);
}

// A registry text value, always terminated; false when missing.
bool read_text(HKEY key, const char *value, char *to, DWORD size)
{
    DWORD type = 0, got = size - 1;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE *>(to), &got) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    to[got < size ? got : size - 1] = 0;
    return true;
}

// The server file of a class identifier, from HKEY_CLASSES_ROOT\clsid; the
// subkeys are compared lower-cased, as the identifier text may be written in
// either case.
bool server_path(const char *clsid_text, char (&path)[512])
{
    char wanted[256];
    std::snprintf(wanted, sizeof wanted, "%s", clsid_text);
    CharLowerBuffA(wanted, (DWORD)std::strlen(wanted));
    HKEY classes;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, "clsid", &classes) != ERROR_SUCCESS)
        return false;
    bool found = false;
    char sub[128];
    for (DWORD i = 0; !found && RegEnumKeyA(classes, i, sub, sizeof sub) == ERROR_SUCCESS; ++i) {
        CharLowerBuffA(sub, (DWORD)std::strlen(sub));
        if (std::strcmp(sub, wanted) != 0)
            continue;
        HKEY id, server;
        if (RegOpenKeyExA(classes, sub, 0, KEY_READ, &id) == ERROR_SUCCESS) {
            if (RegOpenKeyExA(id, "InprocServer32", 0, KEY_READ, &server) == ERROR_SUCCESS) {
                // The file must exist. No length limit on the path, unlike
                // the old OpenFile exist test (128 characters).
                found = read_text(server, nullptr, path, sizeof path) &&
                        GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
                RegCloseKey(server);
            }
            RegCloseKey(id);
        }
        break;
    }
    RegCloseKey(classes);
    return found;
}

void build_driver_list()
{
    HKEY root;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "software\\asio", &root) != ERROR_SUCCESS)
        return;
    char sub[128];
    for (DWORD i = 0; RegEnumKeyA(root, i, sub, sizeof sub) == ERROR_SUCCESS; ++i) {
        HKEY key;
        if (RegOpenKeyExA(root, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        Entry e = {};
        char clsid_text[256];
        if (read_text(key, "clsid", clsid_text, sizeof clsid_text) &&
            server_path(clsid_text, e.path)) {
            WCHAR wide[101];
            int n = MultiByteToWideChar(CP_ACP, 0, clsid_text, -1, wide, 100);
            wide[n > 0 ? n : 0] = 0;
            if (n > 0 && CLSIDFromString(wide, &e.clsid) == NOERROR) {
                if (!read_text(key, "description", e.name, sizeof e.name))
                    std::snprintf(e.name, sizeof e.name, "%s", sub);
                e.index = (int)driver_list.size();
                driver_list.push_back(e);
            }
        }
        RegCloseKey(key);
    }
    RegCloseKey(root);
    if (!driver_list.empty())
        com_started = SUCCEEDED(CoInitialize(nullptr));
}

} // namespace

uint32_t ZR_Rts_Asio::format_of(long sample_type)
{
    switch (sample_type) {
    case asio::INT16_LSB:
        return 0x001002;
    case asio::INT24_LSB:
        return 0x001803;
    case asio::INT32_LSB:
        return 0x002004;
    case asio::FLOAT32_LSB:
        return 0x1002004;
    case asio::FLOAT64_LSB:
        return 0x1004008;
    case asio::INT32_LSB16:
        return 0x101004;
    case asio::INT32_LSB18:
        return 0x0E1204;
    case asio::INT32_LSB20:
        return 0x0C1404;
    case asio::INT32_LSB24:
        return 0x081804;
    default:
        return 0;
    }
}

long ZR_Rts_Asio::message(long selector, long value, void *, double *)
{
    switch (selector) {
    case asio::SELECTOR_SUPPORTED:
        // Time info (7) is not offered: drivers then use the plain buffer
        // switch, one block callback per half buffer.
        return value == asio::ENGINE_VERSION || value == asio::RESET_REQUEST ||
               value == asio::RESYNC_REQUEST || value == asio::LATENCIES_CHANGED ||
               value == asio::SUPPORTS_TIME_CODE || value == asio::SUPPORTS_INPUT_MONITOR;
    case asio::ENGINE_VERSION:
        return 2;
    case asio::RESET_REQUEST:
    case asio::RESYNC_REQUEST:
    case asio::LATENCIES_CHANGED:
        return 1;
    default:
        return 0;
    }
}

void ZR_Rts_Asio::cut_name(char (&to)[32], const char *name)
{
    if (std::strlen(name) < sizeof to)
        std::snprintf(to, sizeof to, "%s", name);
    else
        std::snprintf(to, sizeof to, "%.28s...", name);
}

ZR_Rts_Asio::ZR_Rts_Asio(const char *driver_name, int list_entry)
    : ZR_Rts(driver_name), class_link(this), entry(list_entry)
{
}

ZR_Rts_Asio::~ZR_Rts_Asio()
{
    gate.close(GATE_TIMEOUT_MS);
    ZR_Rts_Asio *self = this;
    active.compare_exchange_strong(self, nullptr);
    class_instances.remove(&class_link);
}

ZR_status ZR_Rts_Asio::classInit(ZR_Rts_callback callback)
{
    block_callback = callback;
    if (driver_list.empty())
        build_driver_list();
    for (const Entry &e : driver_list) {
        char cut[32];
        cut_name(cut, e.name);
        ZR_Rts_Asio *d = new ZR_Rts_Asio(cut, e.index);
        class_instances.insert(&d->class_link);
        ZR_Rts_instances.insert(&d->instance_link);
    }
    return ZR_OK;
}

void ZR_Rts_Asio::class_cleanup()
{
    delete_class_instances<ZR_Rts_Asio>(class_instances);
    release_loaded();
    for (Entry &e : driver_list)
        if (e.object) {
            e.object->Release();
            e.object = nullptr;
        }
    if (!driver_list.empty() && com_started)
        CoUninitialize();
    com_started = false;
    driver_list.clear();
    active.store(nullptr);
}

ZR_status ZR_Rts_Asio::init()
{
    const char *const PROC = "ZR_Rts_Asio::init";
    // A second init starts from empty lists instead of doubling them.
    gate.close(GATE_TIMEOUT_MS);
    ZR_Rts::done();
    input_count = output_count = 0;

    load_driver(entry);
    // When loading failed, the driver back in place is another instance's.
    if (loaded_entry != entry || !calls.init(nullptr)) {
        REPORT(PROC, "ASIOInit");
        return ZR_ERROR_AUDIO;
    }
    long n_in = 0, n_out = 0;
    if (calls.get_channels(&n_in, &n_out) != asio::OK) {
        REPORT(PROC, "ASIOGetChannels");
        return ZR_ERROR_AUDIO;
    }
    n_in = n_in < 0 ? 0 : n_in > MAX_CHANNELS ? MAX_CHANNELS : n_in;
    n_out = n_out < 0 ? 0 : n_out > MAX_CHANNELS ? MAX_CHANNELS : n_out;
    // A driver without a usable block length cannot stream; say so here.
    if (calls.get_buffer_size(&buffer_min, &buffer_max, &buffer_preferred, &granularity) !=
            asio::OK ||
        buffer_preferred <= 0) {
        REPORT(PROC, "ASIOGetBufferSize");
        return ZR_ERROR_AUDIO;
    }
    for (int rate : RATES)
        if (calls.can_sample_rate(rate) == asio::OK) {
            Mode *m = new Mode(rate, 32, (int32_t)buffer_preferred, (int32_t)n_out);
            modes.insert(&m->link);
        }
    for (long k = 0; k < n_in; ++k) {
        Chan *c = make_chan(k, true);
        if (!c)
            continue;
        inputs.insert(&c->link);
        in_chans[input_count++] = c;
    }
    driver_outputs = (int32_t)n_out;
    active.store(this);
    return ZR_OK;
}

// The driver's channel k as ours, or null where the driver gives no
// description or a sample type we cannot convert.
ZR_Rts_Asio::Chan *ZR_Rts_Asio::make_chan(long k, bool input)
{
    asio::ChannelInfo info = {};
    info.channel = k;
    info.is_input = input ? 1 : 0;
    if (calls.get_channel_info(&info) != asio::OK)
        return nullptr;
    const uint32_t format = format_of(info.type);
    if (!format)
        return nullptr;
    char chan_name[64];
    std::snprintf(chan_name, sizeof chan_name, "%.*s", (int)sizeof info.name, info.name);
    return new Chan(chan_name, format, (int32_t)buffer_preferred, (int32_t)k);
}

void ZR_Rts_Asio::delete_outputs()
{
    delete_chans(outputs);
    output_count = 0;
}

ZR_status ZR_Rts_Asio::mode(Mode *m)
{
    const char *const PROC = "ZR_Rts_Asio::mode";
    gate.close(GATE_TIMEOUT_MS);
    // Outputs of an earlier mode that failed would otherwise be listed twice.
    delete_outputs();
    ZR_Rts::mode(m);
    if (!m || calls.set_sample_rate(m->rate) != asio::OK) {
        REPORT(PROC, "ASIOSetSampleRate");
        return ZR_ERROR_AUDIO;
    }
    int n = 0;
    for (int k = 0; k < input_count; ++k)
        descriptions[n++] = {1, in_chans[k]->number, {nullptr, nullptr}};
    // All of the driver's outputs are asked every time: the usable count of
    // the last mode may be smaller when some outputs cannot be converted.
    for (long k = 0; k < driver_outputs; ++k) {
        Chan *c = make_chan(k, false);
        if (!c)
            continue;
        outputs.insert(&c->link);
        out_chans[output_count++] = c;
        descriptions[n++] = {0, (long)k, {nullptr, nullptr}};
    }
    callbacks.buffer_switch = &buffer_switch;
    callbacks.sample_rate_changed = &sample_rate_changed;
    callbacks.message = &message;
    callbacks.buffer_switch_time_info = &buffer_switch_time_info;
    // Buffers left by a stop that failed go first: drivers refuse a second set.
    if (buffers_created && calls.dispose_buffers() == asio::OK)
        buffers_created = false;
    if (calls.create_buffers(descriptions, n, buffer_preferred, &callbacks) != asio::OK) {
        delete_outputs();
        REPORT(PROC, "ASIOCreateBuffers");
        return ZR_ERROR_AUDIO;
    }
    buffers_created = true;
    clear_refusal();
    gate.open();
    if (calls.start() != asio::OK) {
        gate.close(GATE_TIMEOUT_MS);
        REPORT(PROC, "ASIOStart");
        return ZR_ERROR_AUDIO;
    }
    return ZR_OK;
}

ZR_status ZR_Rts_Asio::free()
{
    // No buffer switch touches the channels once the gate is closed.
    gate.close(GATE_TIMEOUT_MS);
    ZR_Rts::free();
    output_count = 0;
    if (calls.stop() != asio::OK) {
        REPORT("ZR_Rts_Asio::free", "ASIOStop");
        return ZR_ERROR_AUDIO;
    }
    // The next mode creates buffers of its own.
    if (buffers_created && calls.dispose_buffers() == asio::OK)
        buffers_created = false;
    return ZR_OK;
}

ZR_status ZR_Rts_Asio::done()
{
    gate.close(GATE_TIMEOUT_MS);
    ZR_Rts::done();
    input_count = output_count = driver_outputs = 0;
    release_loaded();
    buffers_created = false;
    return ZR_OK;
}

void ZR_Rts_Asio::run_block(long index)
{
    if (!gate.enter())
        return;
    const int half = index & 1;
    for (int k = 0; k < input_count; ++k)
        in_chans[k]->data = descriptions[k].buffers[half];
    for (int k = 0; k < output_count; ++k)
        out_chans[k]->data = descriptions[input_count + k].buffers[half];
    if (block_callback)
        block_callback();
    gate.leave();
}

void ZR_Rts_Asio::buffer_switch(long index, asio::Bool)
{
    if (ZR_Rts_Asio *a = active.load(std::memory_order_acquire))
        a->run_block(index);
}

asio::Time *ZR_Rts_Asio::buffer_switch_time_info(asio::Time *time, long index, asio::Bool direct)
{
    // Only reached from drivers that ignore our answer to selector 7.
    buffer_switch(index, direct);
    return time;
}
