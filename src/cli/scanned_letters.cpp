// The drive-letter part of `detect`. See scanned_letters.h.
#include "cli/scanned_letters.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace ib::cli {
namespace {

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string out;
    char b[4];
    for (auto v : bytes) {
        std::snprintf(b, sizeof b, out.empty() ? "%02x" : " %02x", v);
        out += b;
    }
    return out;
}

bool hasVolume(const ScannedLetter& letter) { return letter.report.opened || !letter.volumeName.empty(); }

void describeVolume(std::ostream& out, const ScannedLetter& letter) {
    const VolumeScanReport& r = letter.report;
    out << "  " << r.letter << ": " << letter.volumeName;
    if (!r.opened) {
        out << " does not open" << (r.whyNotOpened.empty() ? "" : ": " + r.whyNotOpened) << '\n';
        return;
    }
    out << ": ";
    if (!r.inquiryOk) {
        out << "INQUIRY failed, skipped\n";
        return;
    }
    char format[48];
    std::snprintf(format, sizeof format, "INQUIRY format 0x%02x", r.inquiryFormat);
    out << format;
    if (!r.identifySent) {
        out << ", not 0x01: skipped\n";
        return;
    }
    out << ", Identify " << (r.identifyOk ? "ok" : "failed") << " [" << hexBytes(r.identifyReply) << "]";
    out << (r.mode ? std::string(" -> accepted, ") + modeName(r.mode) + " mode" : std::string(" -> rejected")) << '\n';
}

}  // namespace

const char* modeName(std::int32_t mode) {
    switch (mode) {
        case kModeBootRom: return "boot ROM";
        case kModeUpdater: return "updater";
        default: return "none";
    }
}

void describeScannedLetters(std::ostream& out, const std::vector<ScannedLetter>& letters, bool diskListAvailable) {
    for (const auto& letter : letters)
        if (hasVolume(letter)) describeVolume(out, letter);
    if (std::any_of(letters.begin(), letters.end(), hasVolume)) return;
    if (!diskListAvailable && !letters.empty() && !letters.front().report.whyNotOpened.empty())
        out << "  none: " << letters.front().report.whyNotOpened << '\n';
    else
        out << "  none: no USB disk present: plug the recorder in by USB (it shows up in boot ROM or card-reader "
               "mode) and run detect again\n";
}

}  // namespace ib::cli
