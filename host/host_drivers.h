// The platform's audio driver classes, in the order the host registers them.
#pragma once
#include "host/live_host.h"

#include <vector>

std::vector<HostDriverClass> host_driver_classes();
