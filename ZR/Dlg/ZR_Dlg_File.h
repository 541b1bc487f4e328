// The file dialog class the application uses.
#pragma once
#include "ZR/Dlg/ZR_Dlg_File_Linux.h"

class ZR_Dlg_File : public ZR_Dlg_File_Linux {
public:
    ZR_Dlg_File(ZR_Win *owner_window, const char *filter) : ZR_Dlg_File_Linux(filter)
    {
        owner = owner_window;
    }
};
