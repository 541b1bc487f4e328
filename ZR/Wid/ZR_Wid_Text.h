// The text label class the application uses, over the platform's text class
// (the build names its header in ZR_WID_TEXT_PLATFORM).
#pragma once
#include ZR_WID_TEXT_PLATFORM

class ZR_Wid_Text : public ZR_Wid_Text_Platform {
public:
    ZR_Wid_Text();
};

extern const ZR_option ZR_Wid_Text_options[];
