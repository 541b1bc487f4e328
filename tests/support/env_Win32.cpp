// Environment changes for tests, Windows: an empty value removes the name.
#include "support/scoped_env.h"

void test_set_env(const char *name, const char *value)
{
    _putenv_s(name, value ? value : "");
}
