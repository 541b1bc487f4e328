// The text label class the application uses.
#pragma once
#include "ZR/Wid/ZR_Wid_Text_FreeType.h"

class ZR_Wid_Text : public ZR_Wid_Text_FreeType {
public:
    ZR_Wid_Text();
};

extern const ZR_option ZR_Wid_Text_options[];
