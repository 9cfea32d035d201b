// The `sim` commands of imageburner-cli. See sim_commands.h.
#include "cli/sim_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "seams/clock.h"
#include "seams/utf8_path.h"
#include "sim/simulator.h"
#include "sim/state_folder.h"
#include "sim/state_report.h"

namespace ib::cli {
namespace {

struct SimArguments {
    std::string dir;
    std::string mode = "bootrom";
    std::uint32_t userSectors = 0;  // 0: the realistic defaults
    std::uint32_t bootSectors = 0;
    bool force = false;
    std::string port = sim::kDefaultPortPath;
    std::string serial = sim::kDefaultSerial;
};

sim::RecorderState initialState(const SimArguments& args) {
    sim::RecorderState state;
    state.mode = args.mode == "updater" ? sim::RecorderMode::Updater : sim::RecorderMode::BootRom;
    state.portPath = args.port;
    state.serial = args.serial;
    for (auto& sizes : state.areaSectors) {
        if (args.userSectors) sizes[sim::kUserAreaIndex] = args.userSectors;
        if (args.bootSectors) sizes[sim::kBootAreaIndex] = args.bootSectors;
    }
    return state;
}

int runInit(const SimArguments& args, std::ostream& out, std::ostream& err) {
    std::string error;
    if (!sim::StateFolder::create(pathFromUtf8(args.dir), initialState(args), args.force, error)) {
        err << "sim init: " << error << "\n";
        return 1;
    }
    out << "Simulated recorder created in " << args.dir << " ("
        << (args.mode == "updater" ? "updater" : "boot ROM") << " mode)\n";
    return 0;
}

// The simulator of a state folder, or null after saying why on `err`.
std::unique_ptr<sim::Simulator> openOrComplain(const std::string& command, const std::string& dir, Clock& clock,
                                               std::ostream& err) {
    std::string error;
    auto simulator = sim::Simulator::openFolder(pathFromUtf8(dir), clock, error);
    if (!simulator) err << "sim " << command << ": " << error << "\n";
    return simulator;
}

int runShow(const SimArguments& args, std::ostream& out, std::ostream& err) {
    SystemClock clock;
    auto simulator = openOrComplain("show", args.dir, clock, err);
    if (!simulator) return 1;
    out << "Simulated recorder in " << args.dir << "\n" << sim::describeRecorder(*simulator, clock.nowMs());
    return 0;
}

int runReplug(const SimArguments& args, std::ostream& out, std::ostream& err) {
    SystemClock clock;
    auto simulator = openOrComplain("replug", args.dir, clock, err);
    if (!simulator) return 1;
    simulator->replug();
    if (const std::string failed = simulator->persistenceError(); !failed.empty()) {
        err << "sim replug: " << failed << "\n";
        return 1;
    }
    out << "Recorder replugged: boot ROM, RAM image cleared, storage kept\n";
    return 0;
}

// Pulls or plugs the cable; a program that holds the recorder sees it go or come.
int runCable(const SimArguments& args, bool plugged, std::ostream& out, std::ostream& err) {
    std::string error;
    if (!sim::setCablePlugged(pathFromUtf8(args.dir), plugged, error)) {
        err << "sim " << (plugged ? "plug" : "unplug") << ": " << error << "\n";
        return 1;
    }
    // With no program holding it, an unplugged recorder loses its power now. A
    // plugged one is left alone: opened here, it would be on the bus and held
    // by this command for a moment, and a program looking for arrivals then
    // would see it held by another program.
    if (!plugged) {
        SystemClock clock;
        std::string inUse;
        if (auto simulator = sim::Simulator::openFolder(pathFromUtf8(args.dir), clock, inUse)) simulator->poll();
    }
    out << (plugged ? "Recorder plugged in\n" : "Recorder unplugged\n");
    return 0;
}

}  // namespace

void addSimCommands(CLI::App& app, std::ostream& out, std::ostream& err, int& exitCode) {
    auto args = std::make_shared<SimArguments>();
    CLI::App* simCommand = app.add_subcommand("sim", "Manage a simulated recorder kept in a state folder");
    simCommand->require_subcommand(1);

    CLI::App* init = simCommand->add_subcommand("init", "Create a simulated recorder in a state folder");
    init->add_option("DIR", args->dir, "State folder")->required();
    init->add_option("--mode", args->mode, "Mode the recorder starts in")
        ->check(CLI::IsMember({"bootrom", "updater"}));
    init->add_option("--user-sectors", args->userSectors, "Size of every user area in sectors")
        ->check(CLI::Range(1u, 0xFFFFFFFFu));
    init->add_option("--boot-sectors", args->bootSectors, "Size of every boot area in sectors")
        ->check(CLI::Range(1u, 0xFFFFFFFFu));
    const auto oneWord = [](const std::string& text) {
        return text.empty() || text.find_first_of(" \t") != std::string::npos ? "must be one word" : "";
    };
    init->add_option("--port", args->port, "USB port path the recorder sits on, such as 1-2.3")->check(oneWord);
    init->add_option("--serial", args->serial, "Serial number the recorder reports")->check(oneWord);
    init->add_flag("--force", args->force, "Replace a simulated recorder already in the folder");
    init->callback([args, &out, &err, &exitCode] { exitCode = runInit(*args, out, err); });

    CLI::App* show = simCommand->add_subcommand("show", "Describe the simulated recorder in a state folder");
    show->add_option("DIR", args->dir, "State folder")->required();
    show->callback([args, &out, &err, &exitCode] { exitCode = runShow(*args, out, err); });

    CLI::App* replug =
        simCommand->add_subcommand("replug", "Power-cycle the simulated recorder: back to boot ROM");
    replug->add_option("DIR", args->dir, "State folder")->required();
    replug->callback([args, &out, &err, &exitCode] { exitCode = runReplug(*args, out, err); });

    for (const bool plugged : {false, true}) {
        CLI::App* cable = simCommand->add_subcommand(
            plugged ? "plug" : "unplug",
            plugged ? "Plug the simulated recorder's cable in, also while a program uses it"
                    : "Pull the simulated recorder's cable, also while a program uses it");
        cable->add_option("DIR", args->dir, "State folder")->required();
        cable->callback([args, plugged, &out, &err, &exitCode] { exitCode = runCable(*args, plugged, out, err); });
    }
}

}  // namespace ib::cli
