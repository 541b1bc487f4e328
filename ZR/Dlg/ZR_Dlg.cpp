// ZR_Dlg_File_Base: the path buffer and the default extension.
#include "ZR/Dlg/ZR_Dlg.h"

#include <cstring>

ZR_Dlg_File_Base::ZR_Dlg_File_Base(const char *f) : filter(f) {}

void ZR_Dlg_File_Base::default_extension(const char *f, char *out, std::size_t size)
{
    if (size == 0)
        return;
    out[0] = 0;
    if (!f || !*f)
        return;
    const char *pattern = f + std::strlen(f) + 1; // after the first description
    const std::size_t length = std::strcspn(pattern, ";");
    const char *dot = nullptr;
    for (std::size_t i = 0; i < length; ++i)
        if (pattern[i] == '.')
            dot = pattern + i;
    if (!dot)
        return;
    const std::size_t n = (std::size_t)(pattern + length - dot);
    if (n < 2 || n >= size || std::memchr(dot, '*', n) || std::memchr(dot, '?', n))
        return;
    std::memcpy(out, dot, n);
    out[n] = 0;
}

bool ZR_Dlg_File_Base::accept(const char *chosen, bool saving)
{
    if (!chosen || !*chosen)
        return false;
    char extension[64];
    extension[0] = 0;
    if (saving) {
        const char *slash = std::strrchr(chosen, '/');
        const char *base = slash ? slash + 1 : chosen;
        if (!std::strchr(base, '.'))
            default_extension(filter, extension, sizeof extension);
    }
    const std::size_t n = std::strlen(chosen), e = std::strlen(extension);
    if (n + e >= PATH_SIZE)
        return false;
    std::memcpy(m_path, chosen, n);
    std::memcpy(m_path + n, extension, e + 1);
    return true;
}
