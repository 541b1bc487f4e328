// File dialogs on Windows: the common open and save dialogs over one request
// record set up at construction.
#pragma once
#include "ZR/Dlg/ZR_Dlg.h"

#include <windows.h>

#include <commdlg.h>

class ZR_Dlg_File_Win32 : public ZR_Dlg_File_Base {
public:
    static constexpr const char *DEFAULT_EXTENSION = "vemo";

    explicit ZR_Dlg_File_Win32(const char *filter);
    const char *open_file() override;
    const char *save_file() override;

    // The record as the next dialog gets it (tests read its fields).
    const OPENFILENAMEA &request() const { return m_request; }

private:
    const char *run(bool saving);
    OPENFILENAMEA m_request;
    // The dialog writes here; the path buffer takes it only on success.
    char m_chosen[PATH_SIZE] = {};
};

using ZR_Dlg_File_Platform = ZR_Dlg_File_Win32;
