// Environment variables for tests. See environment_variable.h.
#include "support/environment_variable.h"

#include <cstdlib>

namespace ib::test {

void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // The C runtime has no setenv; an empty value removes the variable.
    ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
#endif
}

}  // namespace ib::test
