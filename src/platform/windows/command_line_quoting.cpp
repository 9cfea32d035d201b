// Windows command-line quoting. See command_line_quoting.h.
#include "platform/windows/command_line_quoting.h"

namespace ib::platform {

std::string quotedArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

std::string windowsCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
    std::string line = '"' + std::string(program) + '"';
    for (const auto& argument : arguments) line += ' ' + quotedArgument(argument);
    return line;
}

}  // namespace ib::platform
