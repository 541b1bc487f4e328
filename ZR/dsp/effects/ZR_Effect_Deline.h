// ZR_Effect_Deline: a multi-tap delay network. Groups of delays read one
// shared line, write their tap sums to their own outputs and feed a share
// back; before each block the groups are compiled into a tap program.
#pragma once
#include "ZR/core/ZR_chain.h"
#include "ZR/dsp/ZR_Effect.h"
#include "ZR/dsp/ZR_edit_guard.h"
#include "ZR/dsp/ZR_options_util.h"

class ZR_Effect_Deline;
class ZR_Effect_Deline_Group;

// One tap. Created by the effect's `d`; deleting it by command takes it out
// of its group.
class ZR_Effect_Deline_Group_Delay : public ZR_Object {
public:
    ZR_Effect_Deline_Group *group;
    ZR_Chain_Item link{this};
    int32_t gain = 0;  // 2^31 = 1.0
    float time = 0.0f; // seconds, or samples
    bool in_samples = false;
    int32_t slot = -1; // index of its first program entry, set by each compile

    explicit ZR_Effect_Deline_Group_Delay(ZR_Effect_Deline_Group *owner);
    ~ZR_Effect_Deline_Group_Delay() override;
};

// A group of taps with its output and feedback. Created by the effect's `g`.
class ZR_Effect_Deline_Group : public ZR_Object {
public:
    ZR_Effect_Deline *effect;
    ZR_Chain_Item link{this};
    int32_t feedback = 0;   // 2^23 = 1.0
    int32_t gain = 8388607; // output gain, 2^23 = 1.0
    ZR_Buffer *output = nullptr;
    ZR_Chain delays;
    ZR_Effect_Deline_Group_Delay *current = nullptr;

    explicit ZR_Effect_Deline_Group(ZR_Effect_Deline *owner);
    ~ZR_Effect_Deline_Group() override;

    // Deletes every delay (the effect's guard is held).
    void clear();
};

class ZR_Effect_Deline : public ZR_Effect {
public:
    static constexpr int32_t kRing = 65536;
    static constexpr int32_t kProgram = 16384;
    static constexpr int32_t kLongest = 65534; // largest tap entry

    ZR_buffer_slot input{nullptr};
    ZR_Chain groups;
    ZR_Effect_Deline_Group *current = nullptr;
    int32_t *ring;
    uint16_t position = 0;
    ZR_tap_entry *program;
    int32_t program_length = 0;  // entries the groups and delays need
    int32_t compiled_length = 0; // entries of the last compile
    int32_t block = 0;           // samples the compiled program may run
    ZR_edit_guard guard;

    ZR_Effect_Deline();
    ~ZR_Effect_Deline() override;

    void prepare() override;
    void process() override;
    void clockChanged() override;
    void reset() override;

    // The delay entry of a time: seconds scaled by the clock, clamped to the line.
    int32_t delay_entry(const ZR_Effect_Deline_Group_Delay *d) const;

    static ZR_value m_i(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_g(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_go(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_ga(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_gf(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_gc(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_d(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_dt(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_da(ZR_Effect_Deline *e, ZR_value v);
    static ZR_value m_delete(ZR_Effect_Deline *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Deline_options[];
