// Setting and removing environment variables in tests, on every platform.
#pragma once

#include <optional>
#include <string>

namespace ib::test {

// Sets the variable, or removes it given nullopt.
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value);

}  // namespace ib::test
