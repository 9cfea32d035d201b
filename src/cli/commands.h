// The command-line commands, each registered on the CLI11 application. A
// command's callback runs after parsing and stores its exit status.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "operation/stop_request.h"

namespace CLI {
class App;
}

namespace ib::cli {

struct GlobalOptions;
struct StopRequests;

// Positional arguments of the commands, filled by the parser.
struct CommandArguments {
    std::string address, value, first, count, path;
    std::optional<std::uint32_t> capacity;
    bool dryRun = false;
    bool all = false;    // --all: every recorder present at once
    std::string logDir;  // --log-dir of --all
};

struct CommandContext {
    const GlobalOptions& options;
    CommandArguments& arguments;
    std::ostream& out;
    std::ostream& err;
    int& exitCode;
    StopRequest stop;  // stops a running operation at its next command
    const StopRequests& stops;  // all of them, for the station
};

void addDeviceCommands(CLI::App& app, CommandContext& context);
void addOperationCommands(CLI::App& app, CommandContext& context);
void addPlanCommand(CLI::App& app, CommandContext& context);
void addReportCommand(CLI::App& app, CommandContext& context);
void addListCommand(CLI::App& app, CommandContext& context);
void addStationCommand(CLI::App& app, CommandContext& context);

}  // namespace ib::cli
