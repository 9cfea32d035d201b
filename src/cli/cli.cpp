// Command-line parsing and dispatch. See cli.h.
#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/build_version.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/sim_commands.h"

namespace ib::cli {
namespace {

void addGlobalOptions(CLI::App& app, GlobalOptions& o) {
    app.add_option("--workdir", o.workdir, "Working folder with DiskInfo.ini, updater.bin and firmware files")
        ->capture_default_str();
    app.add_option("--sim", o.simDirs,
                   "Talk to the simulated recorder kept in this state folder; repeated, or a folder holding "
                   "several state folders, for several recorders")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--recorder", o.recorderPatterns,
                   "The recorder to talk to when several are present: its USB port path or serial (or its start); "
                   "repeated with --all and station, each takes in the recorders on that port or behind it")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->each([&o](const std::string& pattern) {
            if (o.recorder.empty()) o.recorder = pattern;
        });
    app.add_option("--storage", o.storage, "Storage type as the storage box text: moviNAND, eSD, eMMC, SIF, NAND");
    app.add_option("--firmware-number", o.firmwareNumber, "Number of firmware files, as the firmware box text");
    app.add_option("--configure-user-area", o.configureUserArea, "Configure User Area + Format check box (0|1)");
    app.add_option("--configure-boot-area", o.configureBootArea, "Configure Boot Area check box (0|1)");
    app.add_option("--change-boot-size", o.changeBootSize, "Change Boot Size check box (0|1)");
    app.add_option("--boot-size", o.bootSize, "New boot size in 4 MB units (1 to 128)");
    app.add_flag("--verify", o.verify, "Read every burnt image and index table sector back and compare");
    app.add_flag("--ignore-scsi-status", o.ignoreScsiStatus,
                 "A command counts as done when the pass-through call succeeds, whatever SCSI status and sense "
                 "the recorder answers (for a recorder that answers CHECK CONDITION to commands it carried out)");
    app.add_flag("--unmount", o.unmount,
                 "When the system has the recorder's storage mounted, unmount it (udisksctl unmount) and go on "
                 "instead of refusing to write it");
    app.add_option("--pick", o.picks, "Answers the file choosers in order; none left means cancelled")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--record", o.recordFile,
                   "Write every exchange with the recorder and the events around it to this file (JSON Lines; "
                   "compressed when it ends in .gz or .zst)");
    app.add_flag("--record-data", o.recordData,
                 "Keep the data sent and the sectors read whole in the recording, not only their SHA-256");
    app.add_option("--replay", o.replayFile,
                   "Answer from this recording instead of a recorder; the first exchange that differs ends the run "
                   "with exit status 3");
    app.add_flag("--replay-timing", o.replayTiming, "Keep the recording's pauses when replaying it");
}

}  // namespace

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, StopRequest stop) {
    return run(argc, argv, out, err, StopRequests{stop, {}, {}});
}

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err, const StopRequests& stops) {
    CLI::App app{"imageburner: firmware updater for car video recorders.\n"
                 "Status texts and step messages go to standard output, message boxes to standard error\n"
                 "as '<caption>: <text>'. Exit status: 0 success, 1 failure, 2 usage error,\n"
                 "3 the run differs from the recording it replays,\n"
                 "130 stopped by a termination signal (SIGINT, SIGTERM, SIGHUP)."};
    app.set_version_flag("--version", "imageburner-cli " + std::string(app::kVersionText));
    app.require_subcommand(1);
    app.fallthrough();
    GlobalOptions options;
    int exitCode = 0;
    addGlobalOptions(app, options);
    CommandArguments arguments;
    CommandContext context{options, arguments, out, err, exitCode, stops.first, stops};
    addDeviceCommands(app, context);
    addOperationCommands(app, context);
    addPlanCommand(app, context);
    addReportCommand(app, context);
    addListCommand(app, context);
    addStationCommand(app, context);
    addSimCommands(app, out, err, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err);
        return status == 0 ? 0 : 2;
    }
    return exitCode;
}

}  // namespace ib::cli
