// Who made the effect and what it is called: the plug-in's identity texts and
// the header of preset files are built from these.
#pragma once

constexpr const char ZR_MAKER_ADDRESS[] = "https://vemo-audio.org";
constexpr const char ZR_EFFECT_NAME[] = "6-th order Butterworth low-pass";
