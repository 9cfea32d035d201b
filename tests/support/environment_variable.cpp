// Environment variables for tests. See environment_variable.h.
#include "support/environment_variable.h"

#include <cstdlib>

#include "seams/utf8_path.h"

namespace ib::test {

void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // The C runtime has no setenv; an empty value removes the variable. The
    // wide call keeps a value outside the ANSI code page (a path's UTF-16 is the
    // value's).
    ::_wputenv_s(pathFromUtf8(name).c_str(), value ? pathFromUtf8(*value).c_str() : L"");
#else
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
#endif
}

}  // namespace ib::test
