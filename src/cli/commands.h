// The command-line commands, each registered on the CLI11 application. A
// command's callback runs after parsing and stores its exit status.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace ib::cli {

struct GlobalOptions;

struct CommandContext {
    const GlobalOptions& options;
    std::ostream& out;
    std::ostream& err;
    int& exitCode;
};

void addDeviceCommands(CLI::App& app, CommandContext& context);

}  // namespace ib::cli
