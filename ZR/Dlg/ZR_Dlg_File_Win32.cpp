// The common dialogs. The record points at a working buffer holding the last
// path, so a cancelled or failed dialog (a too-small buffer gets a length
// written into it) leaves the path buffer as it was.
#include "ZR/Dlg/ZR_Dlg_File_Win32.h"
#include "ZR/Win/ZR_Win_Win32.h"

#include <cstring>

ZR_Dlg_File_Win32::ZR_Dlg_File_Win32(const char *f) : ZR_Dlg_File_Base(f)
{
    std::memset(&m_request, 0, sizeof m_request);
    m_request.lStructSize = sizeof m_request;
    m_request.hInstance = GetModuleHandleA(nullptr);
    m_request.lpstrFilter = filter;
    m_request.lpstrFile = m_chosen;
    m_request.nMaxFile = PATH_SIZE;
    m_request.lpstrInitialDir = ".";
    m_request.lpstrTitle = "File preset";
    m_request.lpstrDefExt = DEFAULT_EXTENSION;
}

const char *ZR_Dlg_File_Win32::run(bool saving)
{
    auto *window = dynamic_cast<ZR_Win_Win32 *>(owner);
    m_request.hwndOwner = window ? window->parent() : nullptr;
    m_request.Flags =
        saving ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT : OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    std::memcpy(m_chosen, m_path, PATH_SIZE);
    const BOOL ok = saving ? GetSaveFileNameA(&m_request) : GetOpenFileNameA(&m_request);
    m_chosen[PATH_SIZE - 1] = 0;
    // The dialog added the default extension already; accept adds none to a
    // name that has one.
    return ok && accept(m_chosen, saving) ? m_path : nullptr;
}

const char *ZR_Dlg_File_Win32::open_file()
{
    return run(false);
}

const char *ZR_Dlg_File_Win32::save_file()
{
    return run(true);
}
