// The `sim` commands of imageburner-cli, which manage a simulated recorder's
// state folder: `sim init DIR`, `sim show DIR`, `sim replug DIR`. Each sets
// `exitCode` to 0 on success or 1 on failure, with the message on `err`.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace ib::cli {

void addSimCommands(CLI::App& app, std::ostream& out, std::ostream& err, int& exitCode);

}  // namespace ib::cli
