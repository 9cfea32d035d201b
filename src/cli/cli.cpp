// Command-line parsing and dispatch. See cli.h.
#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

namespace ib::cli {

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"imageburner: firmware updater for car video recorders"};
    app.require_subcommand(1);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? 0 : 2;
    }
    return 0;
}

}  // namespace ib::cli
