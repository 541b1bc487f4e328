// On Windows: every installed ASIO driver first, the wave driver "Windows"
// last.
#include "host/host_drivers.h"

#include "ZR/Rts/ZR_Rts_Asio.h"
#include "ZR/Rts/ZR_Rts_Win32.h"

std::vector<HostDriverClass> host_driver_classes()
{
    return {
        {&ZR_Rts_Asio::classInit, &ZR_Rts_Asio::class_cleanup, nullptr},
        {&ZR_Rts_Win32::classInit, &ZR_Rts_Win32::class_cleanup,
         [](ZR_Rts *d) -> long {
             auto *wave = dynamic_cast<ZR_Rts_Win32 *>(d);
             return wave ? wave->dropped() : -1;
         }},
    };
}
