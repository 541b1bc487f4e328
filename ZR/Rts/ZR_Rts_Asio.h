// The ASIO driver: one instance per ASIO driver listed in the registry, one
// driver loaded process-wide, the block callback from the buffer switch.
#pragma once
#include "ZR/Rts/ZR_Rts.h"
#include "ZR/Rts/ZR_Rts_Asio_abi.h"
#include "ZR/Rts/ZR_Rts_stream.h"

class ZR_Rts_Asio : public ZR_Rts {
public:
    static constexpr int MAX_CHANNELS = 16;

    class Chan : public ZR_Rts::Chan {
    public:
        int32_t number; // the driver's own channel number
        Chan(const char *name, uint32_t format, int32_t count, int32_t number)
            : ZR_Rts::Chan(name, format, count), number(number)
        {
        }
    };

    static ZR_Rts_callback block_callback;
    static ZR_Chain class_instances;

    // Lists the registered drivers and makes one instance for each.
    static ZR_status classInit(ZR_Rts_callback callback);
    // Deletes the instances, releases every driver object, forgets the list.
    static void class_cleanup();

    // Format word of a sample type, or 0 when it has no conversion here.
    static uint32_t format_of(long sample_type);
    // The host's answer to a driver message.
    static long message(long selector, long value, void *msg, double *opt);
    // A driver name as listed: shorter than 32 bytes, or cut to 28 + "...".
    static void cut_name(char (&to)[32], const char *name);

    ZR_Rts_Asio(const char *name, int entry);
    ~ZR_Rts_Asio() override;

    ZR_status init() override;
    ZR_status mode(Mode *mode) override;
    ZR_status free() override;
    ZR_status done() override;

    int32_t input_count = 0, output_count = 0;
    long buffer_min = 0, buffer_max = 0, buffer_preferred = 0, granularity = 0;
    ZR_Chain_Item class_link;

private:
    static void buffer_switch(long index, asio::Bool direct);
    static asio::Time *buffer_switch_time_info(asio::Time *time, long index, asio::Bool direct);
    static void sample_rate_changed(double) {}
    void run_block(long index);
    Chan *make_chan(long k, bool input);
    void delete_outputs();

    int entry;                  // position in the driver list
    int32_t driver_outputs = 0; // the driver's output count, at most 16
    asio::BufferInfo descriptions[2 * MAX_CHANNELS] = {};
    Chan *in_chans[MAX_CHANNELS] = {};
    Chan *out_chans[MAX_CHANNELS] = {};
    asio::Callbacks callbacks = {};
    bool buffers_created = false;
    bool started = false;
    RtsGate gate;
};
