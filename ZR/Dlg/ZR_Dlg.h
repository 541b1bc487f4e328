// File dialogs: the base keeps the filter and the last chosen path, which the
// next dialog offers as its initial name; the platform shows the dialog.
#pragma once
#include <cstddef>

class ZR_Win;

class ZR_Dlg {
public:
    // The window that owns the dialog, or none (read while a dialog shows).
    ZR_Win *owner = nullptr;
};

class ZR_Dlg_File_Base : public ZR_Dlg {
public:
    static constexpr std::size_t PATH_SIZE = 4096;

    // filter: pairs of description and pattern, each ended by a NUL, the list
    // ended by an extra NUL ("Preset file (*.vemo)\0*.vemo\0\0"); not copied.
    explicit ZR_Dlg_File_Base(const char *filter);
    virtual ~ZR_Dlg_File_Base() = default;

    // The chosen path (the path buffer), or null on cancel or failure, which
    // leave the buffer as it was.
    virtual const char *open_file() = 0;
    virtual const char *save_file() = 0;

    const char *filter;
    const char *path() const { return m_path; }

    // The extension of the first pattern (".vemo" for "*.vemo", ".a" for
    // "*.a;*.b"), or "" when it has none or it is a wildcard.
    static void default_extension(const char *filter, char *out, std::size_t size);

protected:
    // Takes a chosen path into the buffer. For saving, a name typed without
    // an extension gets the filter's, so the open dialog's filter shows it.
    // False (buffer unchanged) when the path is empty or does not fit.
    bool accept(const char *chosen, bool saving);
    char m_path[PATH_SIZE] = {};
};
