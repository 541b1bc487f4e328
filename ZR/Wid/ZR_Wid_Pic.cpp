// ZR_Wid_Pic: maps its picture from a resource and blends it, repeated.
#include "ZR/Wid/ZR_Wid_Pic.h"

#include <cstdlib>

const ZR_option ZR_Wid_Pic_options[] = {
    ZR_OPTION_CTOR(ZR_Wid_Pic),
    ZR_OPTION(ZR_Wid_Pic, res),
    ZR_OPTION_END(ZR_Wid_options),
};

ZR_Wid_Pic::ZR_Wid_Pic()
{
    options = ZR_Wid_Pic_options;
}

ZR_Wid_Pic::~ZR_Wid_Pic()
{
    std::free(res);
}

void ZR_Wid_Pic::draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src)
{
    ZR_Pic_Base<ZR_Pix_A32>::blend(picture, dst, x, y, src);
}

ZR_value ZR_Wid_Pic::m_res(ZR_Wid_Pic *w, ZR_value v)
{
    if (v.type == ZR_TYPE_TEXT) {
        // A name without a resource (or with a bad header) maps nothing and
        // keeps the previous picture.
        if (const void *data = zr_wid_resource(w->res, v)) {
            if (w->picture.map(data)) {
                if (w->width == 0)
                    w->width = w->picture.width;
                if (w->height == 0)
                    w->height = w->picture.height;
            }
        }
    }
    return ZR_value::of_text(w->res);
}
