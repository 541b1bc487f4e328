// Platform-backed pictures over the surface seam.
#include "ZR/Pic/ZR_Pic.h"

template <class TPix>
ZR_Pic_Platform<TPix>::~ZR_Pic_Platform()
{
    zr_pic_surface_destroy(m_surface);
}

template <class TPix>
void ZR_Pic_Platform<TPix>::resize(int width, int height)
{
    static_assert(sizeof(TPix) == 4, "surfaces hold 32-bit pixels");
    this->release_storage();
    zr_pic_surface_destroy(m_surface);
    m_surface = nullptr;
    if (width <= 0 || height <= 0)
        return;
    m_surface = zr_pic_surface_create(width, height);
    if (!m_surface)
        return;
    this->pixels = static_cast<TPix *>(zr_pic_surface_pixels(m_surface));
    this->width = width;
    this->height = height;
}

template class ZR_Pic_Platform<ZR_Pix_A32>;
