// The recorders present, as the command line shows them (`list`, and a
// refusal to guess among several), and the choice of one by `--recorder`.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "device/recorder_roster.h"

namespace ib::cli {

// One line per recorder (port, serial, mode, drive letter, holder), then a summary line.
void printRecorders(std::ostream& out, const std::vector<RecorderEntry>& recorders);
// The same as a JSON object: {"recorders": [...], "count": N}.
void printRecordersJson(std::ostream& out, const std::vector<RecorderEntry>& recorders);

// The port of the recorder a command is to talk to: the one `pattern` names
// (a port path, or a serial number or its start), else, when no more than one
// is present, "" (the scan meets it, or finds none, as with one recorder).
// Exit status 2, with the reason and the list on `err`, when the pattern names
// none or several, or when several are present and none is named: a bench
// must never write to a recorder nobody chose.
int chooseRecorder(const std::vector<RecorderEntry>& recorders, const std::string& pattern, std::ostream& err,
                   std::string& port);

}  // namespace ib::cli
