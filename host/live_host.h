// The live host's logic, shared by every front end: channels of plug-in
// instances fed from one audio driver's inputs, the block callback, the menu
// commands and the menu model. No toolkit code.
//
// A front end creates its main window and the editor parent, then calls
// start(); it shows menus() as its menu bar, sends each chosen item's id to
// command(), calls idle() about 30 times a second from its GUI thread, and
// calls shutdown() when the window closes. Everything except the block
// callback runs on that one GUI thread.
#pragma once
#include "ZR/Rts/ZR_Rts.h"
#include "vst/aeffect.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Menu command identifiers: the top 4 bits of the 16 select the operation,
// the low 12 bits carry an index.
enum : int {
    HOST_CMD_DRIVER = 0x1000,  // + driver index
    HOST_CMD_MODE = 0x2000,    // + mode index
    HOST_CMD_ADD = 0x3000,     // add a channel
    HOST_CMD_DELETE = 0x4000,  // delete the selected channel
    HOST_CMD_CHANNEL = 0x5000, // + channel index: select it
    HOST_CMD_INPUT = 0x6000,   // + input index: connect the selected channel
    HOST_CMD_HELP = 0x7000,    // open the online help
    HOST_CMD_PRESET = 0x8000,  // + HOST_PRESET_LOAD or HOST_PRESET_SAVE
};
enum : int {
    HOST_PRESET_LOAD = 0,
    HOST_PRESET_SAVE = 1
};

// One audio driver class as the host registers it (JACK first, ALSA last).
struct HostDriverClass {
    ZR_status (*class_init)(ZR_Rts_callback callback);
    void (*class_cleanup)();
    // Overruns of the current stream of d, or -1 when d is not of this class
    // (optional).
    long (*overruns)(ZR_Rts *d);
};

// What the logic needs from the window system.
class HostShell {
public:
    virtual ~HostShell() = default;
    // The editor parent window, as effEditOpen and effEditClose take it.
    virtual void *editor_parent() = 0;
    // Opens address with the desktop's "open" action.
    virtual void open_help(const char *address) = 0;
};

struct HostMenuItem {
    std::string text;
    int id;
    bool checked;
};

// The menus as they should look now; a front end rebuilds or updates its
// own menus from this after every command.
struct HostMenus {
    std::vector<HostMenuItem> drivers, modes, channels, inputs;
    bool add_enabled = false;
    bool delete_enabled = false;
    bool preset_enabled = false;
};

class LiveHost {
public:
    static constexpr int MAX_CHANNELS = 32;
    static constexpr int MAX_DRIVERS = 32;
    static constexpr int MAX_MODES = 32;
    static constexpr int MAX_INPUTS = 32;
    static constexpr int LOCK_WAIT_MS = 1000;
    static constexpr int DEFAULT_EDITOR_WIDTH = 600;
    static constexpr int DEFAULT_EDITOR_HEIGHT = 800;
    // The transfer channel: 32-bit floats, stride 4.
    static constexpr uint32_t TRANSFER_FORMAT = 0x1002004;
    // Answer to the vendor string query; hosted plug-ins may check it.
    static const char VENDOR_STRING[];

    // entry creates one plug-in instance; classes are registered in order;
    // shell may be null (no window: editors get a null parent).
    LiveHost(VstPluginEntryProc entry, std::vector<HostDriverClass> classes, HostShell *shell);
    ~LiveHost();
    LiveHost(const LiveHost &) = delete;
    LiveHost &operator=(const LiveHost &) = delete;

    // Registers the driver classes, selects driver 0 (or reports that there
    // is none) and adds the first channel, whose editor opens in the shell's
    // editor parent. One LiveHost at a time may be started.
    void start();
    // Channel 1's editor size, or 600 x 800 after a report.
    void editor_size(int *width, int *height);
    // Channel 1's product string: the main window's title.
    std::string product_string();

    // Runs a menu command. False when it was not carried out: the host lock
    // was not free within LOCK_WAIT_MS, or the id names nothing.
    bool command(int id);
    HostMenus menus();
    // Sends effEditIdle to the selected channel (our editor delivers its
    // notifications to the host there).
    void idle();
    // Stops the driver, closes every channel, cleans up the driver classes.
    // Runs once; later calls do nothing.
    void shutdown();

    // One block, as the drivers' callback runs it: tries the lock, skips the
    // block when it is held.
    void process_block();
    static void block_callback();
    static intptr_t VEMO_VSTCALL host_callback(AEffect *effect, int32_t opcode, int32_t index,
                                               intptr_t value, void *ptr, float opt);

    // State for front ends and tests; call on the GUI thread.
    int channel_count() const { return n_channels; }
    int selected_channel() const { return selected; }
    AEffect *channel_effect(int k) const;
    int channel_input(int k) const;
    const char *channel_text(int k) const;
    int input_use_count(int j) const;
    int input_count() const { return n_inputs; }
    ZR_Rts *current_driver() const;
    ZR_Rts::Mode *current_mode() const;
    int driver_count() const { return (int)drivers.size(); }
    ZR_Rts *driver(int i) const;
    // Blocks skipped because the lock was held, since start.
    long skipped_blocks() const { return skipped.load(std::memory_order_relaxed); }
    // Overruns the current driver reports, or -1 when it cannot tell.
    long overruns() const;
    // "<driver>,<mode text>, overruns N" or "No audio": for a status line.
    std::string status_text() const;

private:
    struct Channel {
        AEffect *effect = nullptr;
        int input = -1;
        char text[64] = "";
    };
    struct Input {
        ZR_Rts::Chan *chan = nullptr;
        int use = 0;
    };
    struct Report {
        const char *proc;
        std::string message;
    };

    void select_driver(int i);
    void select_mode(int i);
    void add_channel();
    void delete_channel();
    void select_channel(int k);
    void connect_input(int j);
    bool preset(int action);
    void renew_text(Channel &c, int number);
    bool take_lock(std::unique_lock<std::mutex> &hold);
    void report(const char *proc, const char *message);
    void flush_reports();
    intptr_t dispatch(AEffect *e, int32_t opcode, int32_t index, intptr_t value, void *ptr,
                      float opt);

    VstPluginEntryProc entry;
    std::vector<HostDriverClass> classes;
    HostShell *shell;
    bool started = false;
    bool stopped = false;

    std::mutex lock;
    std::array<Channel, MAX_CHANNELS> channels;
    int n_channels = 0;
    int selected = -1;
    std::vector<ZR_Rts *> drivers;
    int driver_index = -1;
    int mode_index = -1;
    std::array<Input, MAX_INPUTS> inputs;
    int n_inputs = 0;
    std::unique_ptr<float[]> work;
    int32_t frames = 0;
    ZR_Rts::Chan transfer;
    std::atomic<long> skipped{0};
    std::vector<Report> reports;

    static std::atomic<LiveHost *> active;
};

// The plug-in entry looked up by name in the running executable, or null.
VstPluginEntryProc host_find_plugin_entry();
