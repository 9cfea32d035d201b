// recorder.ini: the simulated recorder's state as a human-editable text with
// comments, re-read at the start of each process that opens a state folder and
// rewritten whenever the state changes (the comments are regenerated then).
#pragma once

#include <string>
#include <string_view>

#include "sim/recorder_state.h"

namespace ib::sim {

std::string formatRecorderIni(const RecorderState& state);

// Parses the text over a default state; keys left out keep their defaults.
// False with "line N: ..." in `error` for an unknown section or key or a value
// that does not read.
bool parseRecorderIni(std::string_view text, RecorderState& state, std::string& error);

}  // namespace ib::sim
