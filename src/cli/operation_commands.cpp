// Commands that run the controller's operations: the full update, the user
// area, the service functions and the SD image. Their texts go through the
// same exchange as the dialog's controls.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/parallel_update.h"
#include "cli/preflight_report.h"
#include "cli/typed_path.h"

namespace ib::cli {
namespace {

// Runs one operation in a started session with the view adjusted by `adjust`.
void runOperation(CommandContext& c, Operation op, std::function<void(DialogValues&)> adjust = {}) {
    CliSession session(c.options, c.out, c.err, c.stop);
    // Building the SD image needs no recorder.
    const RecorderUse use = op == Operation::CreateSdImage ? RecorderUse::None : RecorderUse::One;
    if (const int failed = session.start(use); failed != 0) {
        c.exitCode = failed;
        return;
    }
    if (adjust) adjust(session.view());
    c.exitCode = session.checkedAgainstReplay(session.run(op));
    if (op == Operation::ReadRegister && c.exitCode == 0) c.out << session.controller().m_readRegValue << '\n';
}

// The operation on the chosen recorder, or with --all on every one.
void runOnOneOrEvery(CommandContext& c, Operation op) {
    if (c.arguments.all)
        c.exitCode = runOnEveryRecorder(c, op);
    else
        runOperation(c, op);
}

// The update's checks on the PC alone: no recorder is needed.
void dryRunUpdate(CommandContext& c) {
    CliSession session(c.options, c.out, c.err);
    if (const int failed = session.start(RecorderUse::None); failed != 0) {
        c.exitCode = failed;
        return;
    }
    CImageBurnerDlg& controller = session.controller();
    if (!controller.exchangeFromView(session.view()) || !controller.selectStorageType()) {
        c.out << "Error 0x01: UI parameter error !\n";
        c.exitCode = 1;
        return;
    }
    const std::vector<PreflightStep> steps = controller.fullUpdatePreflight();
    if (steps.empty()) {
        c.out << "Error 0x14: firmware number error !\n";
        c.exitCode = 1;
        return;
    }
    c.exitCode = reportPreflight(c.out, steps);
}

}  // namespace

void addOperationCommands(CLI::App& app, CommandContext& c) {
    auto* update = app.add_subcommand("update", "Run the full update process (the start button)");
    update->add_flag("--dry-run", c.arguments.dryRun,
                     "Only check the files, tools and room on the PC and print what would be written where");
    addEveryRecorderOptions(*update, c);
    update->callback([&c] {
        if (c.arguments.dryRun)
            dryRunUpdate(c);
        else
            runOnOneOrEvery(c, Operation::FullUpdate);
    });
    auto* configure =
        app.add_subcommand("configure-user-area", "Configure and format the user area (Configure User Area + Format)");
    addEveryRecorderOptions(*configure, c);
    configure->callback([&c] { runOnOneOrEvery(c, Operation::ConfigureUserArea); });
    app.add_subcommand("low-level-format", "Low-level format the recorder's storage")
        ->callback([&c] { runOperation(c, Operation::LowLevelFormat); });

    std::string& address = c.arguments.address;
    std::string& value = c.arguments.value;
    std::string& first = c.arguments.first;
    std::string& count = c.arguments.count;
    std::string& path = c.arguments.path;
    auto* readRegister = app.add_subcommand("read-register", "Read one register byte (prints it as 0x5a)");
    readRegister->add_option("ADDR", address, "Address, 0x-prefixed hexadecimal or decimal")->required();
    readRegister->callback([&c, &address] {
        runOperation(c, Operation::ReadRegister, [&address](DialogValues& v) { v.readRegAddr = address; });
    });
    auto* writeRegister = app.add_subcommand("write-register", "Write one register byte");
    writeRegister->add_option("ADDR", address, "Address, 0x-prefixed hexadecimal or decimal")->required();
    writeRegister->add_option("VALUE", value, "Value; its low 8 bits are written")->required();
    writeRegister->callback([&c, &address, &value] {
        runOperation(c, Operation::WriteRegister, [&](DialogValues& v) {
            v.writeRegAddr = address;
            v.writeRegValue = value;
        });
    });
    for (const bool boot : {true, false}) {
        auto* read = app.add_subcommand(boot ? "read-boot-area" : "read-user-area",
                                        boot ? "Read boot-area sectors into BootArea.bin of the working folder"
                                             : "Read user-area sectors into UserArea.bin of the working folder");
        read->add_option("ADDR", first, "First sector")->required();
        read->add_option("SIZE", count, "Number of sectors")->required();
        read->callback([&c, &first, &count, boot] {
            runOperation(c, boot ? Operation::ReadBootArea : Operation::ReadUserArea, [&, boot](DialogValues& v) {
                (boot ? v.bootReadAddr : v.userReadAddr) = first;
                (boot ? v.bootReadSize : v.userReadSize) = count;
            });
        });
    }
    auto* raw = app.add_subcommand("raw-write", "Write a raw image to the serial flash from sector 0");
    raw->add_option("FILE", path, "Image file; without it the remembered path, else the chooser (--pick)");
    raw->callback([&c, &path, raw] {
        const bool given = raw->count("FILE") > 0;
        runOperation(c, Operation::RawWrite, [&path, given](DialogValues& v) {
            if (given) v.rawPath = fromShell(path);
        });
    });
    auto* sd = app.add_subcommand("create-sd-image", "Build the SD image of the firmware set and user area");
    sd->add_option("OUTPUT", path, "Output image; without it the remembered path, else the chooser (--pick)");
    sd->callback([&c, &path, sd] {
        const bool given = sd->count("OUTPUT") > 0;
        runOperation(c, Operation::CreateSdImage, [&path, given](DialogValues& v) {
            if (given) v.binPath = fromShell(path);
        });
    });
}

}  // namespace ib::cli
