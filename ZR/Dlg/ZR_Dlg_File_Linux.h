// File dialogs on a Linux desktop: zenity, else kdialog, run as child
// processes (no shell); the call blocks while the dialog is open.
#pragma once
#include "ZR/Dlg/ZR_Dlg.h"

class ZR_Dlg_File_Linux : public ZR_Dlg_File_Base {
public:
    explicit ZR_Dlg_File_Linux(const char *filter) : ZR_Dlg_File_Base(filter) {}
    const char *open_file() override;
    const char *save_file() override;

private:
    const char *run(bool saving);
};
using ZR_Dlg_File_Platform = ZR_Dlg_File_Linux;
