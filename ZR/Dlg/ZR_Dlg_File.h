// The file dialog class the application uses, over the platform's dialog
// (the build names its header in ZR_DLG_FILE_PLATFORM).
#pragma once
#include ZR_DLG_FILE_PLATFORM

class ZR_Dlg_File : public ZR_Dlg_File_Platform {
public:
    ZR_Dlg_File(ZR_Win *owner_window, const char *filter) : ZR_Dlg_File_Platform(filter)
    {
        owner = owner_window;
    }
};
