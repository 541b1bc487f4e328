// The picture type that windows and widgets embed: a picture whose resize
// gives it platform storage (see ZR_Pic_platform.h).
#pragma once
#include "ZR/Pic/ZR_Pic_Base.h"
#include "ZR/Pic/ZR_Pic_platform.h"

template <class TPix>
class ZR_Pic_Platform : public ZR_Pic_Base<TPix> {
public:
    ZR_Pic_Platform() = default;
    ~ZR_Pic_Platform() override;
    // Replaces the surface; a surface that cannot be made leaves the picture
    // empty, and blend from it draws nothing.
    void resize(int width, int height) override;
    // The platform storage, for the platform's own drawing code; null until
    // the first successful resize.
    ZR_Pic_surface *surface() const { return m_surface; }

private:
    ZR_Pic_surface *m_surface = nullptr;
};

template <class TPix>
class ZR_Pic : public ZR_Pic_Platform<TPix> {
};

extern template class ZR_Pic_Platform<ZR_Pix_A32>;
