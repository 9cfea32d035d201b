// printf-style formatting into a std::string, for the messages and prompts
// whose wording carries numbers and paths.
#pragma once

#include <string>

namespace ib {

std::string formatText(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ib
