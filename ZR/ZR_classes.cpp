// The class table: every class that commands can name, in table order.
#include "ZR/ZR_Buffer.h"
#include "ZR/ZR_Effect.h"
#include "ZR/ZR_Effect_Ampdet.h"
#include "ZR/ZR_Effect_Deline.h"
#include "ZR/ZR_Effect_Dist.h"
#include "ZR/ZR_Effect_Freqmul.h"
#include "ZR/ZR_Effect_Gtzero.h"
#include "ZR/ZR_Effect_Lgd.h"
#include "ZR/ZR_Effect_Oper.h"
#include "ZR/ZR_Effect_Oversam.h"
#include "ZR/ZR_Effect_Shift.h"
#include "ZR/ZR_Effect_Zero.h"
#include "ZR/ZR_Fourier_Noisegate.h"
#include "ZR/ZR_Fourier_Transform.h"
#include "ZR/ZR_Gener.h"
#include "ZR/ZR_Soundpipe.h"

const ZR_class _ZR[] = {
    {"ZR_Object", ZR_Object_options},
    {"ZR_Soundpipe", ZR_Soundpipe_options},
    {"ZR_Buffer", ZR_Buffer_options},
    {"ZR_Effect", ZR_Effect_options},
    {"ZR_Effect_Zero", ZR_Effect_Zero_options},
    {"ZR_Effect_Lgd", ZR_Effect_Lgd_options},
    {"ZR_Effect_Freqmul", ZR_Effect_Freqmul_options},
    {"ZR_Effect_Nefreqmul", ZR_Effect_Nefreqmul_options},
    {"ZR_Effect_Gtzero", ZR_Effect_Gtzero_options},
    {"ZR_Effect_Ltzero", ZR_Effect_Ltzero_options},
    {"ZR_Effect_Ampdet", ZR_Effect_Ampdet_options},
    {"ZR_Effect_Oper", ZR_Effect_Oper_options},
    {"ZR_Effect_Koef", ZR_Effect_Koef_options},
    {"ZR_Effect_Dist", ZR_Effect_Dist_options},
    {"ZR_Effect_Deline", ZR_Effect_Deline_options},
    {"ZR_Effect_Oversam", ZR_Effect_Oversam_options},
    {"ZR_Effect_Shift", ZR_Effect_Shift_options},
    {"ZR_Effect_Nshift", ZR_Effect_Nshift_options},
    {"ZR_Fourier_Transform", ZR_Fourier_Transform_options},
    {"ZR_Fourier_Noisegate", ZR_Fourier_Noisegate_options},
    {"ZR_Gener", ZR_Gener_options},
    {"ZR_Gener_White", ZR_Gener_White_options},
    {"ZR_Gener_Exp", ZR_Gener_Exp_options},
    {nullptr, nullptr},
};
