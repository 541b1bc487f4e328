// The headless window: tiles copied into a memory screen.
#include "ZR/Win/ZR_Win_Headless.h"

#include <cstring>

ZR_Win_Headless::ZR_Win_Headless(int w, int h) : ZR_Win(w, h)
{
    screen.resize(w, h);
}

void ZR_Win_Headless::redraw(const ZR_Rect &rect)
{
    paint(rect);
}

void ZR_Win_Headless::present(const ZR_Rect &clip, int sx, int sy)
{
    if (record_copies)
        copies.push_back(clip);
    if (!screen.pixels)
        return;
    const size_t n = (size_t)(clip.right - clip.left) * sizeof(ZR_Pix_A32);
    for (int y = clip.top; y < clip.bottom; ++y)
        std::memcpy(screen.row(y) + clip.left, tile_buffer.row(sy + y - clip.top) + sx, n);
}
