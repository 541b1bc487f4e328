// The JACK driver: one instance for the default JACK server, the server's
// physical ports as channels and the block callback from its process thread.
#pragma once
#include "ZR/Rts/ZR_Rts.h"
#include "ZR/Rts/ZR_Rts_stream.h"

#include <memory>

class ZR_Rts_Jack : public ZR_Rts {
public:
    static constexpr int MAX_CHANNELS = 16;

    static ZR_Rts_callback block_callback;
    static ZR_Chain class_instances;

    // Adds an instance for the default server (JACK_DEFAULT_SERVER, else
    // "default") when one is running; never starts a server.
    static ZR_status classInit(ZR_Rts_callback callback);
    static void class_cleanup();

    explicit ZR_Rts_Jack(const char *server);
    ~ZR_Rts_Jack() override;

    ZR_status init() override;
    ZR_status done() override;
    ZR_status mode(Mode *mode) override;
    ZR_status free() override;

    // Blocks delivered to the block callback since the last mode.
    long blocks() const;
    // Blocks and the server's xruns (as overruns) since the last mode.
    RtsCounts counts() const;
    // True while the process callback delivers blocks: after mode, until
    // free, a server shutdown or a buffer size change.
    bool streaming() const;
    const char *server() const { return server_name; }
    // Our own port of input or output k ("vemo:in_1"), or null.
    const char *port_name(bool input, int k) const;

    ZR_Chain_Item class_link;

private:
    struct Client;

    char server_name[64];
    std::unique_ptr<Client> client;
};
