// Copies one buffer into another once per block, with strides, in any
// output mode.
#pragma once
#include "ZR/dsp/ZR_Effect_Inout.h"
#include "ZR/dsp/ZR_options_util.h"

#include <atomic>
#include <cstdint>

class ZR_Effect_Copy : public ZR_Effect_Inout {
public:
    std::atomic<int32_t> input_stride{1};
    std::atomic<int32_t> output_stride{1};

    ZR_Effect_Copy();
    void process() override;

    // The copy behind e, or null when e is another class.
    static ZR_Effect_Copy *of(ZR_Effect *e);
    // True when it runs steadily as a plain "set" copy from in to out, both
    // strides 1.
    bool copies_plainly(const ZR_Buffer *in, const ZR_Buffer *out) const;

    static ZR_value m_is(ZR_Effect_Copy *e, ZR_value v);
    static ZR_value m_os(ZR_Effect_Copy *e, ZR_value v);
};

extern const ZR_option ZR_Effect_Copy_options[];

inline ZR_Effect_Copy *ZR_Effect_Copy::of(ZR_Effect *e)
{
    return e && e->options == ZR_Effect_Copy_options ? static_cast<ZR_Effect_Copy *>(e) : nullptr;
}

inline bool ZR_Effect_Copy::copies_plainly(const ZR_Buffer *in, const ZR_Buffer *out) const
{
    return steady(ZR_MODE_SET) && zr_get(input) == in && zr_get(output) == out &&
           input_stride.load(std::memory_order_relaxed) == 1 &&
           output_stride.load(std::memory_order_relaxed) == 1;
}
