// ZR_Rts_Jack: a client of the JACK server whose process callback runs the
// block callback on the port buffers; a size change or shutdown ends the stream.
#include "ZR/Rts/ZR_Rts_Jack.h"

#include <jack/jack.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

ZR_Rts_callback ZR_Rts_Jack::block_callback = nullptr;
ZR_Chain ZR_Rts_Jack::class_instances;

namespace {

const char *const SOURCE = "ZR/Rts/Jack";
const char *const CLIENT_NAME = "vemo";
const uint32_t FLOAT_FORMAT = ZR_Rts::FORMAT_FLOAT | 32 << 8 | 4;
const int STOP_TIMEOUT_MS = 5000;

#define REPORT(proc, call) ZR_error_func(SOURCE, __LINE__, proc, __DATE__, __TIME__, call)

void quiet(const char *) {}

jack_client_t *open_client(const char *server)
{
    // libjack prints every failed connection attempt; we report our own.
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status;
    return jack_client_open(CLIENT_NAME, (jack_options_t)(JackNoStartServer | JackServerName),
                            &status, server);
}

std::vector<std::string> physical_ports(jack_client_t *client, unsigned long flags)
{
    std::vector<std::string> names;
    const char **ports =
        jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | flags);
    for (int i = 0; ports && ports[i] && i < ZR_Rts_Jack::MAX_CHANNELS; ++i)
        names.emplace_back(ports[i]);
    if (ports)
        jack_free(ports);
    return names;
}

} // namespace

struct ZR_Rts_Jack::Client {
    jack_client_t *handle = nullptr;
    std::vector<std::string> capture, playback; // the server's physical ports
    jack_port_t *in_ports[MAX_CHANNELS] = {};
    jack_port_t *out_ports[MAX_CHANNELS] = {};
    Chan *in_chans[MAX_CHANNELS] = {};
    Chan *out_chans[MAX_CHANNELS] = {};
    int n_in = 0, n_out = 0;
    bool active = false;

    RtsGate gate;
    RtsWatch watch{SOURCE, "ZR_Rts_Jack::mode"};
    std::atomic<jack_nframes_t> frames{0};
    std::atomic<bool> ended{false};
    std::atomic<bool> shut_down{false};
    std::atomic<long> blocks{0};
    std::atomic<long> xruns{0};

    void end(const char *why)
    {
        ended.store(true, std::memory_order_relaxed);
        watch.raise(why);
    }

    static int process(jack_nframes_t nframes, void *arg);
    static int buffer_size(jack_nframes_t nframes, void *arg);
    static void shutdown(jack_status_t, const char *, void *arg);
    static int xrun(void *arg)
    {
        static_cast<Client *>(arg)->xruns.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
};

int ZR_Rts_Jack::Client::process(jack_nframes_t nframes, void *arg)
{
    Client *c = static_cast<Client *>(arg);
    if (c->ended.load(std::memory_order_relaxed))
        return 0;
    if (nframes != c->frames.load(std::memory_order_relaxed)) {
        c->end("JACK buffer size changed: select the driver again");
        return 0;
    }
    if (!c->gate.enter())
        return 0;
    for (int k = 0; k < c->n_in; ++k)
        c->in_chans[k]->data = jack_port_get_buffer(c->in_ports[k], nframes);
    for (int k = 0; k < c->n_out; ++k) {
        void *out = jack_port_get_buffer(c->out_ports[k], nframes);
        // A client that skips a block leaves silence, not stale memory.
        std::memset(out, 0, nframes * sizeof(float));
        c->out_chans[k]->data = out;
    }
    c->blocks.fetch_add(1, std::memory_order_relaxed);
    if (ZR_Rts_Jack::block_callback)
        ZR_Rts_Jack::block_callback();
    c->gate.leave();
    return 0;
}

int ZR_Rts_Jack::Client::buffer_size(jack_nframes_t nframes, void *arg)
{
    Client *c = static_cast<Client *>(arg);
    jack_nframes_t current = c->frames.load(std::memory_order_relaxed);
    if (current && nframes != current)
        c->end("JACK buffer size changed: select the driver again");
    return 0;
}

void ZR_Rts_Jack::Client::shutdown(jack_status_t, const char *, void *arg)
{
    // Runs like a signal handler: atomics only.
    Client *c = static_cast<Client *>(arg);
    c->shut_down.store(true, std::memory_order_relaxed);
    c->end("JACK server shut down");
}

ZR_Rts_Jack::ZR_Rts_Jack(const char *server) : ZR_Rts(), class_link(this)
{
    std::snprintf(server_name, sizeof server_name, "%s", server && *server ? server : "default");
    std::snprintf(name, sizeof name, "JACK %.58s", server_name);
}

ZR_Rts_Jack::~ZR_Rts_Jack()
{
    done();
    class_instances.remove(&class_link);
}

ZR_status ZR_Rts_Jack::init()
{
    if (client)
        done();
    auto c = std::make_unique<Client>();
    c->handle = open_client(server_name);
    if (!c->handle) {
        REPORT("ZR_Rts_Jack::init", "jack_client_open");
        return ZR_ERROR_AUDIO;
    }
    if (jack_set_process_callback(c->handle, &Client::process, c.get()) ||
        jack_set_buffer_size_callback(c->handle, &Client::buffer_size, c.get()) ||
        jack_set_xrun_callback(c->handle, &Client::xrun, c.get())) {
        jack_client_close(c->handle);
        REPORT("ZR_Rts_Jack::init", "jack_set_process_callback");
        return ZR_ERROR_AUDIO;
    }
    jack_on_info_shutdown(c->handle, &Client::shutdown, c.get());

    c->capture = physical_ports(c->handle, JackPortIsOutput);
    c->playback = physical_ports(c->handle, JackPortIsInput);
    const int rate = (int)jack_get_sample_rate(c->handle);
    const int frames = (int)jack_get_buffer_size(c->handle);
    for (size_t k = 0; k < c->capture.size(); ++k) {
        char port[32];
        std::snprintf(port, sizeof port, "in_%d", (int)k + 1);
        jack_port_t *p =
            jack_port_register(c->handle, port, JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (!p) {
            jack_client_close(c->handle);
            ZR_Rts::done();
            REPORT("ZR_Rts_Jack::init", "jack_port_register");
            return ZR_ERROR_AUDIO;
        }
        Chan *chan = new Chan(c->capture[k].c_str(), FLOAT_FORMAT, frames);
        inputs.insert(&chan->link);
        c->in_ports[k] = p;
        c->in_chans[k] = chan;
        c->n_in = (int)k + 1;
    }
    Mode *m = new Mode(rate, 32, frames, (int)c->playback.size());
    modes.insert(&m->link);
    client = std::move(c);
    return ZR_OK;
}

ZR_status ZR_Rts_Jack::mode(Mode *m)
{
    if (!client || !m)
        return ZR_ERROR_AUDIO;
    if (client->active)
        free();
    Client &c = *client;
    if (c.shut_down.load(std::memory_order_relaxed) ||
        (int)jack_get_buffer_size(c.handle) != m->frames ||
        (int)jack_get_sample_rate(c.handle) != m->rate) {
        REPORT("ZR_Rts_Jack::mode", "jack_get_buffer_size");
        return ZR_ERROR_AUDIO;
    }
    ZR_Rts::mode(m);
    const int n_out = m->channels < (int)c.playback.size() ? m->channels : (int)c.playback.size();
    for (int k = 0; k < n_out; ++k) {
        char port[32];
        std::snprintf(port, sizeof port, "out_%d", k + 1);
        jack_port_t *p =
            jack_port_register(c.handle, port, JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (!p) {
            for (int j = 0; j < k; ++j)
                jack_port_unregister(c.handle, c.out_ports[j]);
            c.n_out = 0;
            ZR_Rts::free();
            REPORT("ZR_Rts_Jack::mode", "jack_port_register");
            return ZR_ERROR_AUDIO;
        }
        Chan *chan = new Chan(c.playback[(size_t)k].c_str(), FLOAT_FORMAT, m->frames);
        outputs.insert(&chan->link);
        c.out_ports[k] = p;
        c.out_chans[k] = chan;
    }
    c.n_out = n_out;
    c.frames.store((jack_nframes_t)m->frames, std::memory_order_relaxed);
    c.ended.store(false, std::memory_order_relaxed);
    c.blocks.store(0, std::memory_order_relaxed);
    c.xruns.store(0, std::memory_order_relaxed);
    c.watch.start();
    clear_refusal();
    c.gate.open();
    if (jack_activate(c.handle)) {
        c.active = true;
        free();
        REPORT("ZR_Rts_Jack::mode", "jack_activate");
        return ZR_ERROR_AUDIO;
    }
    c.active = true;
    for (int k = 0; k < c.n_in; ++k)
        if (jack_connect(c.handle, c.capture[(size_t)k].c_str(), jack_port_name(c.in_ports[k])) <
            0) {
            free();
            REPORT("ZR_Rts_Jack::mode", "jack_connect");
            return ZR_ERROR_AUDIO;
        }
    for (int k = 0; k < c.n_out; ++k)
        if (jack_connect(c.handle, jack_port_name(c.out_ports[k]), c.playback[(size_t)k].c_str()) <
            0) {
            free();
            REPORT("ZR_Rts_Jack::mode", "jack_connect");
            return ZR_ERROR_AUDIO;
        }
    return ZR_OK;
}

ZR_status ZR_Rts_Jack::free()
{
    if (!client || !client->active)
        return ZR_Rts::free();
    Client &c = *client;
    ZR_status status = ZR_OK;
    // After this no callback touches the channels.
    if (!c.gate.close(STOP_TIMEOUT_MS))
        status = ZR_ERROR_AUDIO;
    // A server that went away was reported once already.
    const bool gone = c.shut_down.load(std::memory_order_relaxed);
    if (!gone && jack_deactivate(c.handle)) {
        REPORT("ZR_Rts_Jack::free", "jack_deactivate");
        status = ZR_ERROR_AUDIO;
    }
    if (!gone)
        for (int k = 0; k < c.n_out; ++k)
            jack_port_unregister(c.handle, c.out_ports[k]);
    c.n_out = 0;
    c.active = false;
    c.frames.store(0, std::memory_order_relaxed);
    c.watch.stop();
    if (status == ZR_OK)
        ZR_Rts::free();
    else
        current_mode = nullptr;
    return status;
}

ZR_status ZR_Rts_Jack::done()
{
    if (client && client->active)
        free();
    ZR_Rts::done();
    if (client) {
        jack_client_close(client->handle);
        client.reset();
    }
    return ZR_OK;
}

long ZR_Rts_Jack::blocks() const
{
    return client ? client->blocks.load(std::memory_order_relaxed) : 0;
}

RtsCounts ZR_Rts_Jack::counts() const
{
    RtsCounts counts;
    if (client) {
        counts.blocks = client->blocks.load(std::memory_order_relaxed);
        counts.overruns = client->xruns.load(std::memory_order_relaxed);
    }
    return counts;
}

bool ZR_Rts_Jack::streaming() const
{
    return client && client->active && !client->ended.load(std::memory_order_relaxed);
}

const char *ZR_Rts_Jack::port_name(bool input, int k) const
{
    if (!client || k < 0)
        return nullptr;
    if (input)
        return k < client->n_in ? jack_port_name(client->in_ports[k]) : nullptr;
    return k < client->n_out ? jack_port_name(client->out_ports[k]) : nullptr;
}

ZR_status ZR_Rts_Jack::classInit(ZR_Rts_callback callback)
{
    block_callback = callback;
    const char *server = std::getenv("JACK_DEFAULT_SERVER");
    ZR_Rts_Jack *d = new ZR_Rts_Jack(server);
    jack_client_t *probe = open_client(d->server_name);
    if (!probe) {
        delete d;
        return ZR_OK;
    }
    jack_client_close(probe);
    class_instances.insert(&d->class_link);
    ZR_Rts_instances.insert(&d->instance_link);
    return ZR_OK;
}

void ZR_Rts_Jack::class_cleanup()
{
    delete_class_instances<ZR_Rts_Jack>(class_instances);
}
