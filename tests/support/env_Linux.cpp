// Environment changes for tests, POSIX.
#include "support/scoped_env.h"

void test_set_env(const char *name, const char *value)
{
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}
