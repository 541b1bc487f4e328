// A segmented level meter drawn from one map picture: segment pixels carry a
// key colour in two channels and their segment number in the third.
#pragma once
#include "ZR/Wid/ZR_Wid_Pic.h"

#include <cstdint>

// The meter's description, made and freed by the application.
struct ZR_Wid_Pal_Line {
    struct Box {
        int32_t min_x, min_y, max_x, max_y; // inclusive
    };
    uint32_t bg = 0;     // unlit
    uint32_t cg = 0;     // key colour, channel and alpha bytes 0
    uint32_t fg = 0;     // lit below the red zone
    uint32_t rg = 0;     // lit in the red zone
    int32_t channel = 0; // 0 blue, 1 green, 2 red
    float level = 0;
    float rl = 0; // red zone start, fraction of the segment range
    int32_t mn = 0;
    int32_t mx = 0;
    uint8_t prepared = 0;
    Box boxes[256];

    ZR_Wid_Pal_Line();
};

class ZR_Wid_Pal : public ZR_Wid_Pic {
public:
    ZR_Wid_Pal();
    // Shows level x (0..1); unless quiet, refreshes when attached.
    void level(float x, bool quiet);

    ZR_Pic<ZR_Pix_A32> map; // the segment map; `picture` is what is shown
    ZR_Wid_Pal_Line *line = nullptr;

    static ZR_value m_res(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_mn(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_rl(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_mx(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_bg(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_fg(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_rg(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_cg(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_ch(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_ln(ZR_Wid_Pal *w, ZR_value v);
    static ZR_value m_level(ZR_Wid_Pal *w, ZR_value v);

private:
    void prepare();
    bool member(const ZR_Pix_A32 &p, int n) const;
};

extern const ZR_option ZR_Wid_Pal_options[];
