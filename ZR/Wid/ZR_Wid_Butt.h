// A two-state button drawn from a two-frame filmstrip.
#pragma once
#include "ZR/Pic/ZR_Vid.h"
#include "ZR/Wid/ZR_Wid.h"

#include <atomic>

typedef void (*ZR_Wid_callback)(void *data);

class ZR_Wid_Butt : public ZR_Wid {
public:
    ZR_Wid_Butt();
    ~ZR_Wid_Butt() override;
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override;
    bool hit(int x, int y) override;
    void refresh() override;
    void press(int x, int y) override;
    bool hoverable() const override;
    // Takes the value; on a change redraws, then calls the callback.
    void set_value(bool on);

    ZR_Vid strip;
    std::atomic<bool> value{false};
    std::atomic<int32_t> shown{0};
    ZR_Wid_callback com = nullptr;
    void *dat = nullptr;
    char *res = nullptr;
    ZR_value *var = nullptr;

    static ZR_value m_res(ZR_Wid_Butt *w, ZR_value v);
    static ZR_value m_com(ZR_Wid_Butt *w, ZR_value v);
    static ZR_value m_var(ZR_Wid_Butt *w, ZR_value v);
    static ZR_value m_val(ZR_Wid_Butt *w, ZR_value v);
    static ZR_value m_dat(ZR_Wid_Butt *w, ZR_value v);
};

extern const ZR_option ZR_Wid_Butt_options[];
