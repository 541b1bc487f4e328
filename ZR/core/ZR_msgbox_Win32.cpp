// Windows message box: modal, no owner window, the error icon.
#include "ZR/core/ZR_msgbox.h"

#include <windows.h>

int ZR_message_box(const char *caption, const char *text)
{
    return MessageBoxA(nullptr, text ? text : "", caption ? caption : "", MB_OK | MB_ICONERROR);
}
