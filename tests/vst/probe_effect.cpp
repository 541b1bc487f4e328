// Storage of the test doubles' shared state.
#include "probe_effect.h"

std::vector<HostCall> FakeHost::calls;
intptr_t FakeHost::answer = 0;
std::vector<std::string> eventLog;
