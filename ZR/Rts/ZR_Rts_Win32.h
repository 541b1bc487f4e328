// The wave driver: the single instance "Windows" records stereo from wave
// input device 0 and plays on wave output device 0 in 10 ms blocks, calling
// the block callback from the input's completion callback.
#pragma once
#include "ZR/Rts/ZR_Rts.h"
#include "ZR/Rts/ZR_Rts_stream.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>

// The wave and kernel calls the driver makes; tests put a device double here.
struct WaveApi {
    MMRESULT(WINAPI *in_open)
    (LPHWAVEIN, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI *in_close)(HWAVEIN);
    MMRESULT(WINAPI *in_prepare)(HWAVEIN, LPWAVEHDR, UINT);
    MMRESULT(WINAPI *in_unprepare)(HWAVEIN, LPWAVEHDR, UINT);
    MMRESULT(WINAPI *in_add)(HWAVEIN, LPWAVEHDR, UINT);
    MMRESULT(WINAPI *in_start)(HWAVEIN);
    MMRESULT(WINAPI *in_stop)(HWAVEIN);
    MMRESULT(WINAPI *in_reset)(HWAVEIN);
    MMRESULT(WINAPI *out_open)
    (LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI *out_close)(HWAVEOUT);
    MMRESULT(WINAPI *out_prepare)(HWAVEOUT, LPWAVEHDR, UINT);
    MMRESULT(WINAPI *out_unprepare)(HWAVEOUT, LPWAVEHDR, UINT);
    MMRESULT(WINAPI *out_write)(HWAVEOUT, LPWAVEHDR, UINT);
    MMRESULT(WINAPI *out_reset)(HWAVEOUT);
    void(WINAPI *sleep)(DWORD ms);
    DWORD(WINAPI *wait)(HANDLE, DWORD ms);

    // winmm and kernel32.
    static const WaveApi &system();
};

class ZR_Rts_Win32 : public ZR_Rts {
public:
    static constexpr int BUFFERS = 8;
    // Probing opens: mapped and direct format, no callback.
    static constexpr DWORD PROBE_FLAGS = 0xC;
    static constexpr DWORD OPEN_FLAGS = 0x3000C;

    static ZR_Rts_callback block_callback;
    static ZR_Chain class_instances;

    // Creates the single instance "Windows".
    static ZR_status classInit(ZR_Rts_callback callback);
    static void class_cleanup();

    explicit ZR_Rts_Win32(const WaveApi &api = WaveApi::system());
    ~ZR_Rts_Win32() override;

    ZR_status init() override;
    ZR_status mode(Mode *mode) override;
    ZR_status free() override;
    // Stops a stream still running before the lists go.
    ZR_status done() override;

    // The completion callbacks as the wave devices call them.
    static void CALLBACK input_proc(HWAVEIN device, UINT msg, DWORD_PTR instance, DWORD_PTR param1,
                                    DWORD_PTR param2);
    static void CALLBACK output_proc(HWAVEOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

    // What the input callback saw since the last mode.
    long blocks() const { return block_count.load(std::memory_order_relaxed); }
    long dropped() const { return dropped_count.load(std::memory_order_relaxed); }

    struct Tag {
        ZR_Rts_Win32 *driver;
        int index;
    };

    WAVEFORMATEX format = {};
    HWAVEIN in_handle = nullptr;
    HWAVEOUT out_handle = nullptr;
    char *out_buffers[BUFFERS] = {};
    char *in_buffers[BUFFERS] = {};
    WAVEHDR in_headers[BUFFERS] = {};
    WAVEHDR out_headers[BUFFERS] = {};
    Tag tags[BUFFERS] = {};
    ZR_Chain_Item class_link;

private:
    void set_format(int channels, int rate, int bits);
    void reset_headers();
    void on_data(int index);
    void close_devices();

    const WaveApi &api;
    HANDLE stop_signal = nullptr;
    ZR_Rts::Chan *in_chans[2] = {};
    ZR_Rts::Chan *out_chans[4] = {};
    int out_count = 0;
    int sample_bytes = 0;
    RtsGate gate;
    std::atomic<unsigned> returned{0};
    std::atomic<long> block_count{0};
    std::atomic<long> dropped_count{0};
};
