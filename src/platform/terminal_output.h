// Whether standard output is a terminal on which the command line may draw in
// place: the progress bar redrawn on its line, the status board's lines
// rewritten with escape sequences. Elsewhere (a file, a pipe, a console that
// shows escape sequences as text) it prints plain lines.
#pragma once

namespace ib::platform {

// On Windows this turns virtual-terminal processing on for the console, where
// the console has it; a console without it gets plain lines.
[[nodiscard]] bool standardOutputDrawsInPlace();

}  // namespace ib::platform
