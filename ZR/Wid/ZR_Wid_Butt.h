// A two-state button drawn from a two-frame filmstrip.
#pragma once
#include "ZR/Wid/ZR_Wid_Strip.h"

#include <atomic>

class ZR_Wid_Butt : public ZR_Wid_Strip {
public:
    ZR_Wid_Butt();
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override;
    bool hit(int x, int y) override;
    void refresh() override;
    void press(int x, int y) override;
    bool hoverable() const override;
    // Takes the value; on a change redraws, then calls the callback.
    void set_value(bool on);

    std::atomic<bool> value{false};
    std::atomic<int32_t> shown{0};

    static ZR_value m_val(ZR_Wid_Butt *w, ZR_value v);
};

extern const ZR_option ZR_Wid_Butt_options[];
