// The filter application: a sixth-order low-pass built from commands, with
// the State and Frequency parameter records.
#pragma once
#include "ZR/core/ZR_apptpl.h"
#include "ZR/core/ZR_object.h"
#include "ZR/dsp/kernels/ZR_kernels.h"
#include "app/frequency_glide.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class ZR_Soundpipe;
class ZR_Buffer;
class ZR_Effect;
class ZR_Win;
class ZR_Wid;
class ZR_Dlg_File_Base;
class ZR_Effect_Lopass;
class ZR_Effect_Bapass;

class ZR_Application : public ZR_Apptpl {
public:
    class Param;

    enum {
        STATE,
        FREQUENCY,
        SAVE,
        LOAD,
        PARAM_COUNT
    };

    int32_t editor_width = 0;
    int32_t editor_height = 0;
    int32_t block_length = 0;
    std::atomic<int32_t> sample_rate{0};

    // Graph slots, in deletion order reversed.
    ZR_Soundpipe *pipe = nullptr;
    ZR_Buffer *buf_i = nullptr;
    ZR_Buffer *buf_o = nullptr;
    ZR_Buffer *lpf_buffer = nullptr;
    ZR_Buffer *lpf_buffer1 = nullptr;
    ZR_Effect *lowpass1 = nullptr;
    ZR_Effect *bandpass1 = nullptr;
    ZR_Effect *lowpass2 = nullptr;
    ZR_Effect *bandpass2 = nullptr;
    ZR_Effect *output_copy = nullptr;
    ZR_Effect *input_copy = nullptr;

    Param *params[PARAM_COUNT] = {};

    // The cutoff text shown under the knob ("%.0f Hz").
    char frequency_text[32] = "";

    // Panel widget slots, in attach (and drawing) order.
    enum {
        BACKGROUND,
        OUTER_TOP_LEFT,
        OUTER_TOP,
        OUTER_TOP_RIGHT,
        OUTER_LEFT,
        OUTER_RIGHT,
        OUTER_BOTTOM_LEFT,
        OUTER_BOTTOM,
        OUTER_BOTTOM_RIGHT,
        LOGO,
        TITLE,
        GROUP_TOP_LEFT,
        GROUP_TOP,
        GROUP_TOP_RIGHT,
        GROUP_LEFT,
        GROUP_MIDDLE,
        GROUP_RIGHT,
        GROUP_BOTTOM_LEFT,
        GROUP_BOTTOM,
        GROUP_BOTTOM_RIGHT,
        LOAD_BUTTON, // the panel leaves both preset buttons empty
        SAVE_BUTTON,
        STATE_BUTTON,
        FILTER_CAPTION,
        CUTOFF_CAPTION,
        KNOB,
        VALUE_TEXT,
        WIDGET_COUNT
    };
    ZR_Wid *widgets[WIDGET_COUNT] = {};

    // Called after a host parameter's record changed and took effect (index
    // into the host parameters), on the thread that changed it.
    void (*on_change)(void *context, int index) = nullptr;
    void *on_change_context = nullptr;

    // destroy prints "NULL WIDGET" for each empty slot (programs' traces).
    bool report_empty_slots = true;

    // The editor window while the panel is attached, else null.
    ZR_Win *window = nullptr;
    // Asks for preset paths (a desktop dialog unless replaced).
    std::unique_ptr<ZR_Dlg_File_Base> preset_dialog;

    ZR_Application();
    ~ZR_Application() override;

    ZR_status build() override;
    ZR_status destroy() override;

    // Places the panel's widgets into window (app/ZR_Application_Panel.cpp),
    // or takes them out; any number of times, nothing is recreated.
    ZR_status attachWindow(ZR_Win *window);
    ZR_status detachWindow();

    // Host block: mono in, the same result on both outputs.
    void process(float **inputs, float **outputs, int32_t frames);
    // Stores the rate and sends it as `clock` to every effect.
    void setSampleRate(float rate);
    // The host opened the plug-in: clear the pipe; the next frequency
    // applies at once.
    void open();

    // The band-pass's fixed-point c1 (c1 * 2^30 in 32 bits) reaches 2 at
    // fs * sqrt(2) / (2 pi) = 0.2251 fs, and its recursion turns unstable not
    // far above: the filters never run higher than this share of the rate
    // (at 44.1 kHz 9922 Hz, the top of the knob asks for 9999.6 Hz).
    static constexpr double FILTER_LIMIT = 0.225;

    // Called by the Frequency record: new filter frequency in Hz.
    void set_filter_target(double hz);
    // Called by the State record.
    void set_filters_on(int32_t on);

    // The preset actions: ask for a path, write or read the file, report a
    // failure in a message box (app/ZR_Application_Preset.cpp).
    void save_preset();
    void load_preset();

    // Serialises graph construction and destruction across instances; the
    // audio path never takes it.
    static std::mutex &graph_lock();

private:
    FrequencyGlide glide;
    uint64_t samples_done = 0;
    void run_pipe(int32_t frames);
    // The pipe's block in one fused pass; false (nothing done) unless the
    // graph is as built and nothing is switching (app/steady_chain.cpp).
    bool run_steady_chain(int32_t frames);
    // The same for a block during a glide, the coefficients changing on the
    // tick grid; also counts the block's samples.
    bool run_gliding_chain(int32_t frames, int32_t sample_rate);
    // With the filters at rest, runs the pipe once and moves the glide over
    // the block's ticks, setting the filters only where it ends; false
    // (nothing done) unless they rest.
    bool run_idle_glide(int32_t frames, int32_t sample_rate);
    struct SteadyChain {
        ZR_Effect_Lopass *low[2];
        ZR_Effect_Bapass *band[2];
        ZR_cascade4_state state;
    };
    // The same for the block in which the four filters switch together: the
    // wet signal from the fused pass, faded as the output copy would.
    bool run_switching_chain(int32_t frames);
    bool steady_chain_state(int32_t frames, SteadyChain &c, bool switching = false);
    void begin_steady_block(int32_t frames);
    void finish_steady_chain(int32_t frames, SteadyChain &c);
    // Sets the four filters to hz, capped at FILTER_LIMIT times the sample rate.
    void set_filter_frequency(double hz);
    bool filters_idle() const;
    void end_action(ZR_Wid *button);
    void build_panel();
    void destroy_panel();
    // Stores a value word read from a preset into a record and applies it.
    void apply_preset_word(int index, ZR_word word);
};
