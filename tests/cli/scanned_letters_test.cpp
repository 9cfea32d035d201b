// detect's list of drive letters: only letters with a volume behind them are
// listed; a machine without USB disks gets one line that says what to do.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/scanned_letters.h"

namespace ib {
namespace {

using cli::ScannedLetter;

// D to Z as the Linux volume provider reports them with no disk behind any.
std::vector<ScannedLetter> emptyLetters(const std::string& reason) {
    std::vector<ScannedLetter> letters;
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        ScannedLetter scanned;
        scanned.report.letter = letter;
        scanned.report.whyNotOpened = reason;
        letters.push_back(scanned);
    }
    return letters;
}

std::vector<ScannedLetter> twoDisksAtDAndE() {
    auto letters = emptyLetters("no USB disk at this drive letter (2 USB disks present)");
    letters[0].volumeName = "Generic Flash Disk (sdb)";
    letters[0].report.opened = true;
    letters[0].report.inquiryOk = true;
    letters[0].report.inquiryFormat = 0x02;
    letters[1].volumeName = "QUB Card Reader (sdc)";
    letters[1].report.whyNotOpened = "permission denied on /dev/sg2 (sdc)";
    return letters;
}

TEST(ScannedLetters, OnlyLettersWithAVolumeAreListedAndAnEmptyMachineGetsOneLine) {
    const struct {
        const char* what;
        std::vector<ScannedLetter> letters;
        bool diskListAvailable;
        std::string printed;
    } cases[] = {
        {"no USB disk", emptyLetters("no USB disk at this drive letter (0 USB disks present)"), true,
         "  none: no USB disk present: plug the recorder in by USB (it shows up in boot ROM or card-reader mode) "
         "and run detect again\n"},
        {"disks cannot be listed", emptyLetters("the USB disks cannot be listed: udev enumeration failed"), false,
         "  none: the USB disks cannot be listed: udev enumeration failed\n"},
        {"two disks", twoDisksAtDAndE(), true,
         "  D: Generic Flash Disk (sdb): INQUIRY format 0x02, not 0x01: skipped\n"
         "  E: QUB Card Reader (sdc) does not open: permission denied on /dev/sg2 (sdc)\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        cli::describeScannedLetters(out, c.letters, c.diskListAvailable);
        EXPECT_EQ(out.str(), c.printed) << c.what;
    }
}

}  // namespace
}  // namespace ib
