// The class table: every class that commands can name, in table order.
#include "ZR/ZR_Buffer.h"
#include "ZR/ZR_Effect.h"
#include "ZR/ZR_Effect_Bapass.h"
#include "ZR/ZR_Effect_Copy.h"
#include "ZR/ZR_Effect_Onepole.h"
#include "ZR/ZR_Soundpipe.h"

const ZR_class _ZR[] = {
    {"ZR_Object", ZR_Object_options},
    {"ZR_Soundpipe", ZR_Soundpipe_options},
    {"ZR_Buffer", ZR_Buffer_options},
    {"ZR_Effect", ZR_Effect_options},
    {"ZR_Effect_Hipass", ZR_Effect_Hipass_options},
    {"ZR_Effect_Lopass", ZR_Effect_Lopass_options},
    {"ZR_Effect_Bapass", ZR_Effect_Bapass_options},
    {"ZR_Effect_Copy", ZR_Effect_Copy_options},
    {nullptr, nullptr},
};
