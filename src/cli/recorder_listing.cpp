// Listing and choosing recorders. See recorder_listing.h.
#include "cli/recorder_listing.h"

#include <ostream>

#include "record/json_line.h"

namespace ib::cli {
namespace {

constexpr int kUsageExitStatus = 2;

std::string orDash(const std::string& text) { return text.empty() ? "-" : text; }

std::string letterText(char letter) { return letter ? std::string(1, letter) + ":" : "-"; }

int refuse(std::ostream& err, const std::string& reason, const std::vector<RecorderEntry>& recorders) {
    err << reason << '\n';
    printRecorders(err, recorders);
    return kUsageExitStatus;
}

}  // namespace

void printRecorders(std::ostream& out, const std::vector<RecorderEntry>& recorders) {
    for (const auto& r : recorders)
        out << orDash(r.portPath) << "  serial " << orDash(r.serial) << "  " << listedModeName(r.mode) << "  "
            << letterText(r.letter) << (!r.heldBy ? "" : r.heldBy->empty() ? "  free" : "  " + *r.heldBy) << '\n';
    out << recorders.size() << (recorders.size() == 1 ? " recorder" : " recorders") << " found.\n";
}

void printRecordersJson(std::ostream& out, const std::vector<RecorderEntry>& recorders) {
    using record::jsonQuoted;
    out << "{\"recorders\": [";
    for (std::size_t i = 0; i < recorders.size(); ++i) {
        const RecorderEntry& r = recorders[i];
        out << (i ? ", " : "") << "{\"port\": " << jsonQuoted(r.portPath) << ", \"serial\": " << jsonQuoted(r.serial)
            << ", \"mode\": " << jsonQuoted(listedModeName(r.mode))
            << ", \"letter\": " << jsonQuoted(r.letter ? std::string(1, r.letter) : "")
            << ", \"held\": " << (!r.heldBy ? "null" : r.heldBy->empty() ? "false" : "true") << "}";
    }
    out << "], \"count\": " << recorders.size() << "}\n";
}

int chooseRecorder(const std::vector<RecorderEntry>& recorders, const std::string& pattern, std::ostream& err,
                   std::string& port) {
    port.clear();
    if (pattern.empty()) {
        if (recorders.size() <= 1) return 0;
        return refuse(err, "Several recorders are present: choose one with --recorder PORT|SERIAL.", recorders);
    }
    const std::vector<RecorderEntry> named = recordersNamed(recorders, pattern);
    if (named.empty()) return refuse(err, "No recorder matches --recorder " + pattern + ".", recorders);
    if (named.size() > 1)
        return refuse(err, "--recorder " + pattern + " names several recorders: give more of the serial or the port.",
                      recorders);
    port = named.front().portPath;
    if (port.empty() && recorders.size() > 1)
        return refuse(err, "The system tells no USB port for the recorder --recorder " + pattern +
                               " names, so it cannot be told from the others.", recorders);
    return 0;
}

}  // namespace ib::cli
