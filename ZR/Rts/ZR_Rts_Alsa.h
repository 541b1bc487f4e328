// The ALSA driver: one instance per ALSA device, a capture thread that reads
// 10 ms blocks, calls the block callback and plays each block two blocks later.
#pragma once
#include "ZR/Rts/ZR_Rts.h"
#include "ZR/Rts/ZR_Rts_stream.h"

#include <memory>
#include <thread>

// One open direction of a device. Non-blocking: transfers return frames or a
// negative errno (-EAGAIN: not ready, -EPIPE: overrun or underrun).
class AlsaPcm {
public:
    virtual ~AlsaPcm() = default;
    virtual long read(void *buffer, long frames) = 0;
    virtual long write(const void *buffer, long frames) = 0;
    // Waits at most ms until the device is ready for the next transfer.
    virtual int wait(int ms) = 0;
    virtual int prepare() = 0;
    virtual int stop() = 0;
    virtual int close() = 0;
};

struct AlsaFormat {
    bool capture;
    int channels;
    int rate;
    int bits; // 16, 24 (packed in 3 bytes) or 32, little-endian integers
    int frames;
};

// The device layer the driver opens PCMs through; tests put a double here.
class AlsaDevices {
public:
    virtual ~AlsaDevices() = default;
    // Null, with a negative errno in *error, when the device refuses.
    virtual std::unique_ptr<AlsaPcm> open(const char *device, const AlsaFormat &format,
                                          int *error) = 0;
    // libasound.
    static AlsaDevices &system();
};

class ZR_Rts_Alsa : public ZR_Rts {
public:
    static ZR_Rts_callback block_callback;
    static ZR_Chain class_instances;

    // Creates "ALSA default" and one instance per further ALSA device that
    // records and plays, appended to the class list and to ZR_Rts_instances.
    static ZR_status classInit(ZR_Rts_callback callback);
    static void class_cleanup();

    ZR_Rts_Alsa(const char *name, const char *device,
                AlsaDevices *devices = &AlsaDevices::system());
    ~ZR_Rts_Alsa() override;

    ZR_status init() override;
    ZR_status mode(Mode *mode) override;
    ZR_status free() override;

    // Blocks, overruns and underruns of the current stream, or of the last
    // one after free.
    RtsCounts counts() const;
    // True while a stream runs and its device has not failed.
    bool streaming() const;

    const char *device() const { return device_name; }

    ZR_Chain_Item class_link;

private:
    struct Stream;

    char device_name[128];
    AlsaDevices *devices;
    std::shared_ptr<Stream> stream;
    RtsCounts last_counts;
};
