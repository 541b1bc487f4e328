// The audio driver base: channels, modes, the process-wide instance list and
// the conversion between any two channel sample layouts.
#pragma once
#include "ZR/core/ZR_cfuncs.h"
#include "ZR/core/ZR_chain.h"

#include <cstdint>

// The function a driver calls once per block on its own thread.
typedef void (*ZR_Rts_callback)();

class ZR_Rts {
public:
    // Format word: bits 0-7 stride in bytes, 8-15 valid bits, 16-23 padding
    // bits, 24-31 non-zero for IEEE floats (valid bits 64: doubles).
    static constexpr uint32_t FORMAT_FLOAT = 0x1000000;

    class Chan {
    public:
        ZR_Chain_Item link;
        char name[64];
        void *data;
        int32_t count;
        uint32_t format;

        Chan(const char *name, uint32_t format, int32_t count);
        Chan(const Chan &) = delete;
        Chan &operator=(const Chan &) = delete;
        virtual ~Chan() = default;
    };

    class Mode {
    public:
        ZR_Chain_Item link;
        int32_t rate;
        int32_t frames;
        int32_t bits;
        int32_t channels;
        char text[64];

        Mode(int32_t rate, int32_t bits, int32_t frames, int32_t channels);
        Mode(const Mode &) = delete;
        Mode &operator=(const Mode &) = delete;
    };

    Mode *current_mode;
    ZR_Chain modes;
    bool running;
    char name[64];
    ZR_Chain inputs;
    ZR_Chain outputs;
    ZR_Chain_Item instance_link; // membership in ZR_Rts_instances

    explicit ZR_Rts(const char *name = nullptr);
    ZR_Rts(const ZR_Rts &) = delete;
    ZR_Rts &operator=(const ZR_Rts &) = delete;
    virtual ~ZR_Rts();

    virtual ZR_status init();
    virtual ZR_status done();
    virtual ZR_status mode(Mode *mode);
    virtual ZR_status free();
    virtual ZR_status start();
    virtual ZR_status stop();

    // Converts src->count samples into dst. Null when refused: after a count
    // mismatch (the latch) or for a format word without a conversion rule.
    static ZR_status copyBuffer(Chan *dst, Chan *src);

    // The count-mismatch latch. Drivers clear it when a mode starts, so one
    // mismatch does not silence a live host for good.
    static bool refusing();
    static void clear_refusal();

    // The n-th element of a chain of modes or channels (list order), or null.
    static Mode *mode_at(const ZR_Chain &list, int n);
    static Chan *chan_at(const ZR_Chain &list, int n);

protected:
    static void delete_chans(ZR_Chain &list);
    static void delete_modes(ZR_Chain &list);
    // class_cleanup of a driver class: its instances leave both lists and go.
    template <class Driver>
    static void delete_class_instances(ZR_Chain &class_instances);
};

// Every driver instance of every driver class, in class registration order.
extern ZR_Chain ZR_Rts_instances;

template <class Driver>
void ZR_Rts::delete_class_instances(ZR_Chain &class_instances)
{
    while (class_instances.first() != class_instances.end()) {
        ZR_Chain_Item *i = class_instances.first();
        Driver *d = static_cast<Driver *>(i->owner);
        class_instances.remove(i);
        ZR_Rts_instances.remove(&d->instance_link);
        delete d;
    }
}
