// On Linux: JACK first (the low-latency driver), ALSA last.
#include "host/host_drivers.h"

#include "ZR/Rts/ZR_Rts_Alsa.h"
#include "ZR/Rts/ZR_Rts_Jack.h"

std::vector<HostDriverClass> host_driver_classes()
{
    return {
        {&ZR_Rts_Jack::classInit, &ZR_Rts_Jack::class_cleanup,
         [](ZR_Rts *d) -> long {
             auto *jack = dynamic_cast<ZR_Rts_Jack *>(d);
             return jack ? jack->counts().overruns : -1;
         }},
        {&ZR_Rts_Alsa::classInit, &ZR_Rts_Alsa::class_cleanup,
         [](ZR_Rts *d) -> long {
             auto *alsa = dynamic_cast<ZR_Rts_Alsa *>(d);
             return alsa ? alsa->counts().overruns + alsa->counts().underruns : -1;
         }},
    };
}
