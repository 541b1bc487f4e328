// A picture widget: a ZRIF picture, repeated when the widget is larger.
#pragma once
#include "ZR/Wid/ZR_Wid.h"

class ZR_Wid_Pic : public ZR_Wid {
public:
    ZR_Wid_Pic();
    ~ZR_Wid_Pic() override;
    void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src) override;

    ZR_Pic<ZR_Pix_A32> picture;
    char *res = nullptr;

    static ZR_value m_res(ZR_Wid_Pic *w, ZR_value v);
};

extern const ZR_option ZR_Wid_Pic_options[];
