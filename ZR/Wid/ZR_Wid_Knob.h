// A knob drawn from a filmstrip: one frame per pixel of travel, right or up
// turns it up; the frame is atomic so values may be set from any thread.
#pragma once
#include "ZR/Wid/ZR_Wid_Strip.h"

#include <atomic>

class ZR_Wid_Knob : public ZR_Wid_Strip {
public:
    ZR_Wid_Knob();
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override;
    bool hit(int x, int y) override;
    void refresh() override;
    void press(int x, int y) override;
    void drag(int x, int y) override;
    bool hoverable() const override;
    // One frame per step, through the drag path.
    void wheel(int steps) override;

    // The value shown by frame (minimum at frame 0, maximum at the last).
    float value_of_frame(int32_t frame) const;
    // Places the frame for value v (dropped without a resource).
    void set_value(float v);

    int32_t press_x = 0, press_y = 0, press_frame = 0;
    std::atomic<float> mn{0.0f};
    std::atomic<float> mx{100.0f};
    std::atomic<int32_t> frame{0};

    static ZR_value m_val(ZR_Wid_Knob *w, ZR_value v);
    static ZR_value m_mn(ZR_Wid_Knob *w, ZR_value v);
    static ZR_value m_mx(ZR_Wid_Knob *w, ZR_value v);
};

extern const ZR_option ZR_Wid_Knob_options[];
