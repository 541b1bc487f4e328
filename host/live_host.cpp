// LiveHost: the menu commands under the host lock, the block callback that
// only tries it, and the host side of the plug-in interface.
#include "host/live_host.h"

#include "ZR/core/ZR_cfuncs.h"
#include "app/ZR_maker.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

const char LiveHost::VENDOR_STRING[] = "Steinberg Media Technologies";
std::atomic<LiveHost *> LiveHost::active{nullptr};

namespace {

const char *const SOURCE = "host";
const char *const UNCONNECTED = "Unconnected";
// The plug-in's preset actions through effVendorSpecific.
constexpr int32_t PRESET_SAVE_CODE = vstFourCC('v', 'm', 'S', 'v');
constexpr int32_t PRESET_LOAD_CODE = vstFourCC('v', 'm', 'L', 'd');

// The editor rectangle a plug-in hands out: top, left, bottom, right.
struct EditorRect {
    int16_t top, left, bottom, right;
};

} // namespace

LiveHost::LiveHost(VstPluginEntryProc entry, std::vector<HostDriverClass> classes, HostShell *shell)
    : entry(entry), classes(std::move(classes)), shell(shell),
      transfer("transfer", TRANSFER_FORMAT, 0)
{
}

LiveHost::~LiveHost()
{
    shutdown();
}

void LiveHost::report(const char *proc, const char *message)
{
    reports.push_back({proc, message ? message : ZR_ERROR_UNKNOWN});
}

// Message boxes block; they are shown once the lock is released so that the
// audio keeps running behind them.
void LiveHost::flush_reports()
{
    std::vector<Report> pending;
    pending.swap(reports);
    for (const Report &r : pending)
        ZR_error_func(SOURCE, __LINE__, r.proc, __DATE__, __TIME__, r.message.c_str());
}

intptr_t LiveHost::dispatch(AEffect *e, int32_t opcode, int32_t index, intptr_t value, void *ptr,
                            float opt)
{
    return e && e->dispatcher ? e->dispatcher(e, opcode, index, value, ptr, opt) : 0;
}

void LiveHost::start()
{
    if (started)
        return;
    started = true;
    LiveHost *none = nullptr;
    active.compare_exchange_strong(none, this);
    for (const HostDriverClass &c : classes)
        if (c.class_init)
            c.class_init(&LiveHost::block_callback);
    for (ZR_Chain_Item *i = ZR_Rts_instances.first();
         i != ZR_Rts_instances.end() && (int)drivers.size() < MAX_DRIVERS; i = i->next)
        drivers.push_back(static_cast<ZR_Rts *>(i->owner));
    {
        std::lock_guard<std::mutex> hold(lock);
        if (drivers.empty())
            report("WinMain", "No audio drivers found");
        else
            select_driver(0);
        add_channel();
    }
    flush_reports();
}

void LiveHost::editor_size(int *width, int *height)
{
    EditorRect *rect = nullptr;
    AEffect *first = channel_effect(0);
    if (first && dispatch(first, effEditGetRect, 0, 0, &rect, 0.0f) && rect &&
        rect->right > rect->left && rect->bottom > rect->top) {
        *width = rect->right - rect->left;
        *height = rect->bottom - rect->top;
        return;
    }
    *width = DEFAULT_EDITOR_WIDTH;
    *height = DEFAULT_EDITOR_HEIGHT;
    report("WinMain", "Cannot get metrics of effect editor");
    flush_reports();
}

std::string LiveHost::product_string()
{
    char title[kVstMaxProductStrLen + 1] = "";
    if (AEffect *first = channel_effect(0))
        dispatch(first, effGetProductString, 0, 0, title, 0.0f);
    title[kVstMaxProductStrLen] = 0;
    return title;
}

// Polls instead of a timed wait: the block callback holds the lock for one
// block at most, and a plain mutex is what the thread checkers follow.
bool LiveHost::take_lock(std::unique_lock<std::mutex> &hold)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LOCK_WAIT_MS);
    while (!hold.try_lock()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

bool LiveHost::command(int id)
{
    const int op = id & 0xF000, index = id & 0x0FFF;
    if (id < 0 || id > 0xFFFF)
        return false;
    if (op == HOST_CMD_HELP) {
        if (shell)
            shell->open_help(ZR_MAKER_ADDRESS);
        return true;
    }
    if (op == HOST_CMD_PRESET)
        return preset(index);
    std::unique_lock<std::mutex> hold(lock, std::defer_lock);
    if (!take_lock(hold))
        return false;
    bool done = true;
    switch (op) {
    case HOST_CMD_DRIVER:
        if ((done = index < (int)drivers.size()))
            select_driver(index);
        break;
    case HOST_CMD_MODE:
        if ((done = driver_index >= 0 &&
                    index < std::min(MAX_MODES, (int)current_driver()->modes.count)))
            select_mode(index);
        break;
    case HOST_CMD_ADD:
        if ((done = n_channels < MAX_CHANNELS))
            add_channel();
        break;
    case HOST_CMD_DELETE:
        if ((done = n_channels > 1 && selected >= 0))
            delete_channel();
        break;
    case HOST_CMD_CHANNEL:
        if ((done = index < n_channels))
            select_channel(index);
        break;
    case HOST_CMD_INPUT:
        if ((done = selected >= 0 && index < n_inputs))
            connect_input(index);
        break;
    default:
        done = false;
    }
    hold.unlock();
    flush_reports();
    return done;
}

void LiveHost::select_driver(int i)
{
    if (driver_index >= 0) {
        ZR_Rts *old = drivers[(size_t)driver_index];
        if (mode_index >= 0) {
            ZR_status s = old->free();
            if (s != ZR_OK) {
                report("menu_driver", s);
                return;
            }
            mode_index = -1;
        }
        driver_index = -1;
        // The old driver's input channels go with its done.
        for (int j = 0; j < n_inputs; ++j)
            inputs[(size_t)j].chan = nullptr;
        n_inputs = 0;
        ZR_status s = old->done();
        if (s != ZR_OK) {
            report("menu_driver", s);
            return;
        }
    }
    ZR_Rts *d = drivers[(size_t)i];
    ZR_status s = d->init();
    if (s != ZR_OK) {
        report("menu_driver", s);
        return;
    }
    driver_index = i;
    int n = 0;
    for (ZR_Rts::Chan *c; n < MAX_INPUTS && (c = ZR_Rts::chan_at(d->inputs, n)); ++n)
        inputs[(size_t)n].chan = c;
    for (int j = n; j < MAX_INPUTS; ++j)
        inputs[(size_t)j].chan = nullptr;
    n_inputs = n;
    for (int k = 0; k < n_channels; ++k) {
        Channel &c = channels[(size_t)k];
        if (c.input >= n_inputs) {
            inputs[(size_t)c.input].use--;
            c.input = -1;
        }
        renew_text(c, k + 1);
    }
    if (d->modes.count > 0)
        select_mode(0);
}

void LiveHost::select_mode(int i)
{
    ZR_Rts *d = current_driver();
    if (mode_index >= 0) {
        ZR_status s = d->free();
        if (s != ZR_OK) {
            report("menu_mode", s);
            return;
        }
        mode_index = -1;
    }
    ZR_Rts::Mode *m = ZR_Rts::mode_at(d->modes, i);
    work.reset();
    frames = 0;
    transfer.count = 0;
    if (m->frames <= 0 || m->frames > (1 << 24)) {
        report("menu_mode", ZR_ERROR_MEMORY_CANNOT_ALLOCATE);
        return;
    }
    work.reset(new (std::nothrow) float[5 * (size_t)m->frames]());
    if (!work) {
        report("menu_mode", ZR_ERROR_MEMORY_CANNOT_ALLOCATE);
        return;
    }
    frames = m->frames;
    transfer.count = m->frames;
    ZR_status s = d->mode(m);
    if (s != ZR_OK) {
        report("menu_mode", s);
        return;
    }
    for (int k = 0; k < n_channels; ++k)
        dispatch(channels[(size_t)k].effect, effSetSampleRate, 0, 0, nullptr, (float)m->rate);
    mode_index = i;
}

void LiveHost::renew_text(Channel &c, int number)
{
    const char *name = c.input >= 0 && inputs[(size_t)c.input].chan
                           ? inputs[(size_t)c.input].chan->name
                           : UNCONNECTED;
    // A long input name is cut at the text's 64 bytes.
    const std::string text = std::to_string(number) + ". " + name;
    const size_t n = std::min(text.size(), sizeof c.text - 1);
    std::memcpy(c.text, text.data(), n);
    c.text[n] = 0;
}

void LiveHost::add_channel()
{
    AEffect *e = entry ? entry(&LiveHost::host_callback) : nullptr;
    if (!e || e->magic != kEffectMagic) {
        report("menu_add", "Cannot create the effect");
        return;
    }
    if (ZR_Rts::Mode *m = current_mode())
        dispatch(e, effSetSampleRate, 0, 0, nullptr, (float)m->rate);
    Channel &c = channels[(size_t)n_channels];
    c = Channel();
    c.effect = e;
    if (driver_index >= 0)
        for (int j = 0; j < n_inputs; ++j)
            if (inputs[(size_t)j].use == 0) {
                inputs[(size_t)j].use++;
                c.input = j;
                break;
            }
    renew_text(c, n_channels + 1);
    n_channels++;
    select_channel(n_channels - 1);
}

void LiveHost::delete_channel()
{
    const int p = selected;
    select_channel(p == 0 ? 1 : 0);
    Channel &gone = channels[(size_t)p];
    if (gone.input >= 0)
        inputs[(size_t)gone.input].use--;
    dispatch(gone.effect, effClose, 0, 0, nullptr, 0.0f);
    for (int k = p; k + 1 < n_channels; ++k) {
        channels[(size_t)k] = channels[(size_t)k + 1];
        renew_text(channels[(size_t)k], k + 1);
    }
    n_channels--;
    channels[(size_t)n_channels] = Channel();
    selected = 0;
}

void LiveHost::select_channel(int k)
{
    void *parent = shell ? shell->editor_parent() : nullptr;
    if (selected >= 0 && selected < n_channels)
        dispatch(channels[(size_t)selected].effect, effEditClose, 0, 0, parent, 0.0f);
    selected = k;
    dispatch(channels[(size_t)k].effect, effEditOpen, 0, 0, parent, 0.0f);
}

void LiveHost::connect_input(int j)
{
    Channel &c = channels[(size_t)selected];
    if (c.input >= 0)
        inputs[(size_t)c.input].use--;
    inputs[(size_t)j].use++;
    c.input = j;
    renew_text(c, selected + 1);
}

bool LiveHost::preset(int action)
{
    // The plug-in shows a file dialog and maybe a message box: the audio
    // keeps running meanwhile, so the lock is not held. Channels are deleted
    // only on this thread, so the instance outlives the call.
    AEffect *e = channel_effect(selected);
    if (!e || (action != HOST_PRESET_LOAD && action != HOST_PRESET_SAVE))
        return false;
    dispatch(e, effVendorSpecific, action == HOST_PRESET_LOAD ? PRESET_LOAD_CODE : PRESET_SAVE_CODE,
             0, nullptr, 0.0f);
    return true;
}

void LiveHost::idle()
{
    if (AEffect *e = channel_effect(selected))
        dispatch(e, effEditIdle, 0, 0, nullptr, 0.0f);
}

void LiveHost::shutdown()
{
    if (!started || stopped)
        return;
    stopped = true;
    if (ZR_Rts *d = current_driver()) {
        if (mode_index >= 0)
            d->free();
        d->done();
    }
    {
        // A driver whose free failed may still call back: it finds the lock
        // held, and afterwards no channel.
        std::lock_guard<std::mutex> hold(lock);
        mode_index = -1;
        driver_index = -1;
        void *parent = shell ? shell->editor_parent() : nullptr;
        if (selected >= 0 && selected < n_channels)
            dispatch(channels[(size_t)selected].effect, effEditClose, 0, 0, parent, 0.0f);
        selected = -1;
        for (int k = 0; k < n_channels; ++k) {
            Channel &c = channels[(size_t)k];
            if (c.input >= 0)
                inputs[(size_t)c.input].use--;
            dispatch(c.effect, effClose, 0, 0, nullptr, 0.0f);
            c = Channel();
        }
        n_channels = 0;
        n_inputs = 0;
        inputs.fill(Input());
    }
    LiveHost *self = this;
    active.compare_exchange_strong(self, nullptr);
    for (const HostDriverClass &c : classes)
        if (c.class_cleanup)
            c.class_cleanup();
    drivers.clear();
    work.reset();
    frames = 0;
    transfer.count = 0;
}

void LiveHost::block_callback()
{
    if (LiveHost *h = active.load(std::memory_order_acquire))
        h->process_block();
}

void LiveHost::process_block()
{
    std::unique_lock<std::mutex> hold(lock, std::try_to_lock);
    if (!hold.owns_lock()) {
        skipped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (!work || frames <= 0)
        return;
    float *const in = work.get();
    float *const left = in + frames, *const right = left + frames;
    float *const sum_left = right + frames, *const sum_right = sum_left + frames;
    std::memset(sum_left, 0, 2 * (size_t)frames * sizeof(float));
    for (int k = 0; k < n_channels; ++k) {
        const Channel &c = channels[(size_t)k];
        if (c.input < 0 || !inputs[(size_t)c.input].chan || !inputs[(size_t)c.input].chan->data)
            continue;
        transfer.data = in;
        if (ZR_Rts::copyBuffer(&transfer, inputs[(size_t)c.input].chan) != ZR_OK)
            continue;
        if (!c.effect->processReplacing)
            continue;
        float *ins[1] = {in};
        float *outs[2] = {left, right};
        c.effect->processReplacing(c.effect, ins, outs, frames);
        for (int32_t n = 0; n < frames; ++n) {
            sum_left[n] += left[n];
            sum_right[n] += right[n];
        }
    }
    if (ZR_Rts *d = current_driver()) {
        float *sums[2] = {sum_left, sum_right};
        for (int k = 0; k < 2; ++k)
            if (ZR_Rts::Chan *out = ZR_Rts::chan_at(d->outputs, k)) {
                transfer.data = sums[k];
                ZR_Rts::copyBuffer(out, &transfer);
            }
    }
    transfer.data = nullptr;
}

intptr_t LiveHost::host_callback(AEffect *, int32_t opcode, int32_t, intptr_t, void *ptr, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetVendorString:
        if (ptr)
            std::memcpy(ptr, VENDOR_STRING, sizeof VENDOR_STRING);
        return 1;
    default:
        return 0;
    }
}

AEffect *LiveHost::channel_effect(int k) const
{
    return k >= 0 && k < n_channels ? channels[(size_t)k].effect : nullptr;
}

int LiveHost::channel_input(int k) const
{
    return k >= 0 && k < n_channels ? channels[(size_t)k].input : -1;
}

const char *LiveHost::channel_text(int k) const
{
    return k >= 0 && k < n_channels ? channels[(size_t)k].text : "";
}

int LiveHost::input_use_count(int j) const
{
    return j >= 0 && j < MAX_INPUTS ? inputs[(size_t)j].use : 0;
}

ZR_Rts *LiveHost::current_driver() const
{
    return driver_index >= 0 ? drivers[(size_t)driver_index] : nullptr;
}

ZR_Rts::Mode *LiveHost::current_mode() const
{
    ZR_Rts *d = current_driver();
    return d && mode_index >= 0 ? ZR_Rts::mode_at(d->modes, mode_index) : nullptr;
}

ZR_Rts *LiveHost::driver(int i) const
{
    return i >= 0 && i < (int)drivers.size() ? drivers[(size_t)i] : nullptr;
}

long LiveHost::overruns() const
{
    ZR_Rts *d = current_driver();
    if (!d)
        return -1;
    for (const HostDriverClass &c : classes) {
        long n = c.overruns ? c.overruns(d) : -1;
        if (n >= 0)
            return n;
    }
    return -1;
}

std::string LiveHost::status_text() const
{
    ZR_Rts *d = current_driver();
    ZR_Rts::Mode *m = current_mode();
    if (!d || !m)
        return d ? std::string(d->name) + ": no mode" : std::string("No audio");
    char text[200];
    const long n = overruns();
    if (n >= 0)
        std::snprintf(text, sizeof text, "%s,%s, overruns %ld", d->name, m->text, n);
    else
        std::snprintf(text, sizeof text, "%s,%s", d->name, m->text);
    return text;
}

HostMenus LiveHost::menus()
{
    HostMenus menus;
    for (int i = 0; i < (int)drivers.size(); ++i)
        menus.drivers.push_back({drivers[(size_t)i]->name, HOST_CMD_DRIVER + i, i == driver_index});
    if (ZR_Rts *d = current_driver()) {
        for (int i = 0; i < MAX_MODES && ZR_Rts::mode_at(d->modes, i); ++i)
            menus.modes.push_back(
                {ZR_Rts::mode_at(d->modes, i)->text, HOST_CMD_MODE + i, i == mode_index});
        for (int j = 0; j < n_inputs; ++j)
            menus.inputs.push_back(
                {inputs[(size_t)j].chan->name, HOST_CMD_INPUT + j, j == channel_input(selected)});
    }
    for (int k = 0; k < n_channels; ++k)
        menus.channels.push_back({channels[(size_t)k].text, HOST_CMD_CHANNEL + k, k == selected});
    menus.add_enabled = n_channels < MAX_CHANNELS;
    menus.delete_enabled = n_channels >= 2;
    menus.preset_enabled = selected >= 0;
    return menus;
}
