// The `list` command: every recorder present, named by its USB port.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/recorder_listing.h"

namespace ib::cli {

void addListCommand(CLI::App& app, CommandContext& c) {
    auto json = std::make_shared<bool>(false);
    auto* list = app.add_subcommand("list", "List the recorders present: port path, serial, mode, drive letter, "
                                            "whether another program holds it");
    list->add_flag("--json", *json, "The same as JSON, for scripts");
    list->callback([&c, json] {
        CliSession session(c.options, c.out, c.err, c.stop);
        if (const int failed = session.open(); failed != 0) {
            c.exitCode = failed;
            return;
        }
        auto& application = session.application();
        const auto recorders = listRecorders(application.devices(), application.allVolumes());
        (*json ? printRecordersJson : printRecorders)(c.out, recorders);
        c.exitCode = 0;
    });
}

}  // namespace ib::cli
