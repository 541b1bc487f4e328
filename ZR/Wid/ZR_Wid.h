// The widget base: position, size, visibility, the window it lives in and its
// tile links, and the operations a window calls while painting and on input.
#pragma once
#include "ZR/Pic/ZR_Pic.h"
#include "ZR/core/ZR_chain.h"
#include "ZR/core/ZR_object.h"

#include <cstdint>

class ZR_Win;
struct ZR_Win_link;

class ZR_Wid : public ZR_Object {
public:
    ZR_Wid();
    // Leaves its window without redrawing.
    ~ZR_Wid() override;

    // Composites the part src (widget coordinates) onto dst at (x, y).
    virtual void draw(ZR_Pic<ZR_Pix_A32> &dst, int x, int y, const ZR_Rect &src);
    virtual void render() {}
    // render, then the window's redraw of the widget's rectangle.
    virtual void refresh();
    virtual void press(int x, int y);
    virtual void drag(int x, int y);
    virtual bool hit(int x, int y);
    virtual void release() {}
    virtual void make_font() {}
    // Whether the window highlights it under the pointer (exact knobs and
    // buttons only).
    virtual bool hoverable() const { return false; }
    // Mouse wheel steps over the widget.
    virtual void wheel(int steps) { (void)steps; }

    ZR_Rect rect() const { return {left, top, left + width, top + height}; }

    ZR_Win *window = nullptr;
    ZR_Chain_Item item;
    int32_t left = 0, top = 0, width = 0, height = 0;
    int32_t visible = 1;
    int32_t enabled = 1;
    ZR_Win_link *links = nullptr;
    int32_t link_count = 0;

    static ZR_value m_l(ZR_Wid *w, ZR_value v);
    static ZR_value m_t(ZR_Wid *w, ZR_value v);
    static ZR_value m_w(ZR_Wid *w, ZR_value v);
    static ZR_value m_h(ZR_Wid *w, ZR_value v);
    static ZR_value m_win(ZR_Wid *w, ZR_value v);
    static ZR_value m_vis(ZR_Wid *w, ZR_value v);
    static ZR_value m_enabled(ZR_Wid *w, ZR_value v);
    static ZR_value m_delete(ZR_Wid *w, ZR_value v);
};

extern const ZR_option ZR_Wid_options[];

// True when v sets (a value of type integer, float, text or object).
inline bool zr_wid_sets(const ZR_value &v)
{
    return v.type > ZR_TYPE_KEYWORD;
}
// An integer option's 32 bits as given (a float's bits for a float).
int32_t zr_wid_bits(const ZR_value &v);
// The resource name option: copies the text (command texts do not live on).
// Returns the mapped bytes or null.
const void *zr_wid_resource(char *&name, const ZR_value &v);
