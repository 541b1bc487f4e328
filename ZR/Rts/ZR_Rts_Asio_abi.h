// The ASIO driver interface as installed drivers implement it: an in-process
// COM object whose class identifier doubles as its interface identifier.
#pragma once
#include <windows.h>

#include <cstdint>

namespace asio {

// "long" of the interface: 32 bits on Windows, in both widths.
typedef long Bool;
typedef long Error;

constexpr Error OK = 0;
constexpr Error NOT_PRESENT = -1000;
constexpr Error INVALID_MODE = -995;

// Sample types with a conversion rule here (little-endian only).
enum SampleType : long {
    INT16_LSB = 16,
    INT24_LSB = 17,
    INT32_LSB = 18,
    FLOAT32_LSB = 19,
    FLOAT64_LSB = 20,
    INT32_LSB16 = 24,
    INT32_LSB18 = 25,
    INT32_LSB20 = 26,
    INT32_LSB24 = 27,
};

// Message selectors of the host's message callback.
enum Selector : long {
    SELECTOR_SUPPORTED = 1,
    ENGINE_VERSION = 2,
    RESET_REQUEST = 3,
    BUFFER_SIZE_CHANGE = 4,
    RESYNC_REQUEST = 5,
    LATENCIES_CHANGED = 6,
    SUPPORTS_TIME_INFO = 7,
    SUPPORTS_TIME_CODE = 8,
    SUPPORTS_INPUT_MONITOR = 10,
};

struct ChannelInfo {
    long channel;
    Bool is_input;
    Bool is_active;
    long group;
    long type;
    char name[32];
};

struct BufferInfo {
    Bool is_input;
    long channel;
    void *buffers[2];
};

struct Time; // passed through untouched

struct Callbacks {
    void (*buffer_switch)(long index, Bool direct);
    void (*sample_rate_changed)(double rate);
    long (*message)(long selector, long value, void *message, double *opt);
    Time *(*buffer_switch_time_info)(Time *time, long index, Bool direct);
};

// Drivers declare these methods with the compiler's default convention for
// members. On x86-64 there is only one; a 32-bit build must call them as
// thiscall, which is what ASIO_METHOD selects (GCC and MSVC both default to it
// for members on i386, so the attribute only states it). Every call from the
// client goes through AsioCalls in ZR_Rts_Asio.cpp, the one place to change
// should a compiler differ.
#if defined(__i386__) && defined(__GNUC__)
#define ZR_ASIO_METHOD __attribute__((thiscall))
#else
#define ZR_ASIO_METHOD
#endif

// Slot order is the interface's; slots we never call keep their place.
struct Driver : public IUnknown {
    virtual Bool ZR_ASIO_METHOD init(void *system_handle) = 0;
    virtual void ZR_ASIO_METHOD get_driver_name(char *name) = 0;
    virtual long ZR_ASIO_METHOD get_driver_version() = 0;
    virtual void ZR_ASIO_METHOD get_error_message(char *text) = 0;
    virtual Error ZR_ASIO_METHOD start() = 0;
    virtual Error ZR_ASIO_METHOD stop() = 0;
    virtual Error ZR_ASIO_METHOD get_channels(long *inputs, long *outputs) = 0;
    virtual Error ZR_ASIO_METHOD get_latencies(long *input, long *output) = 0;
    virtual Error ZR_ASIO_METHOD get_buffer_size(long *minimum, long *maximum, long *preferred,
                                                 long *granularity) = 0;
    virtual Error ZR_ASIO_METHOD can_sample_rate(double rate) = 0;
    virtual Error ZR_ASIO_METHOD get_sample_rate(double *rate) = 0;
    virtual Error ZR_ASIO_METHOD set_sample_rate(double rate) = 0;
    virtual Error ZR_ASIO_METHOD get_clock_sources(void *clocks, long *count) = 0;
    virtual Error ZR_ASIO_METHOD set_clock_source(long reference) = 0;
    virtual Error ZR_ASIO_METHOD get_sample_position(void *position, void *stamp) = 0;
    virtual Error ZR_ASIO_METHOD get_channel_info(ChannelInfo *info) = 0;
    virtual Error ZR_ASIO_METHOD create_buffers(BufferInfo *infos, long count, long size,
                                                Callbacks *callbacks) = 0;
    virtual Error ZR_ASIO_METHOD dispose_buffers() = 0;
    virtual Error ZR_ASIO_METHOD control_panel() = 0;
    virtual Error ZR_ASIO_METHOD future(long selector, void *arg) = 0;
    virtual Error ZR_ASIO_METHOD output_ready() = 0;
};

} // namespace asio
