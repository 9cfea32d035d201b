// The reason a volume gives when the program lacks the rights to send it
// commands. The command layer passes it on to the user, so that a program
// started without them says what to do instead of only "no device".
#pragma once

#include <string>
#include <string_view>

namespace ib {

inline constexpr std::string_view kAdministratorRightsText = "Administrator rights are needed";

// "Administrator rights are needed: <detail>".
inline std::string administratorRightsMessage(std::string_view detail) {
    return std::string(kAdministratorRightsText) + ": " + std::string(detail);
}

inline bool isAdministratorRightsMessage(std::string_view reason) {
    return reason.starts_with(kAdministratorRightsText);
}

}  // namespace ib
