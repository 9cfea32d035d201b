#include "win32/window_options.h"

namespace ib::win32 {
namespace {

// Where each option's value goes.
void take(WindowOptions& options, const std::string& name, std::string value) {
    if (name == "--sim") {
        options.simulatorFolders.push_back(std::move(value));
    } else if (name == "--workdir") {
        options.workingDirectory = std::move(value);
        options.workingDirectoryGiven = true;
    } else if (name == "--log") {
        options.logFile = std::move(value);
    } else {
        options.recordFile = std::move(value);
    }
}

bool isOption(const std::string& name) {
    return name == "--sim" || name == "--workdir" || name == "--log" || name == "--record";
}

// The request of an argument that asks for a text instead of the dialog.
std::optional<WindowRequest> requestOf(const std::string& argument) {
    if (argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?") return WindowRequest::Usage;
    if (argument == "--version" || argument == "-v") return WindowRequest::Version;
    return std::nullopt;
}

}  // namespace

std::optional<WindowOptions> parseWindowOptions(const std::vector<std::string>& arguments, std::string& error) {
    WindowOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (const auto request = requestOf(argument)) {
            options.request = *request;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (!isOption(name)) {
            error = "Unknown option " + argument;
            return std::nullopt;
        }
        if (equals != std::string::npos) {
            take(options, name, argument.substr(equals + 1));
        } else if (i + 1 < arguments.size()) {
            take(options, name, arguments[++i]);
        } else {
            error = "Option " + name + " needs a value";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace ib::win32
