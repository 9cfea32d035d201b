// Temporary files of an output: only this program's own names (".<name>."
// and six letters or digits, optionally ".link"), and only once nobody has
// written them for an hour, are taken for a killed run's leftovers.
#include <gtest/gtest.h>

#include <chrono>

#include "seams/replacement_file.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(StaleTemporaries, OnlyOurOwnNamesUntouchedForAnHourAreRemoved) {
    struct Case {
        const char* name;
        int minutesOld;
        bool removed;
    };
    const Case cases[] = {
        {".out.bin.Ab12Cd", 120, true},       {".out.bin.Ab12Cd.link", 120, true},
        {".out.bin.aBcDeF", 120, true},       {".out.bin.0f3a9c", 120, true},
        {".out.bin.Xy34Zw", 5, false},        {".out.bin.backup", 120, false},
        {".out.bin.Backup", 120, false},      {".out.bin.BACKUP", 120, false},
        {".out.bin.Ab12Cd7", 120, false},     {".out.bin.Ab-2Cd", 120, false},
        {".out.bin.md5.Ab12Cd", 120, false},  {"out.bin.Ab12Cd", 120, false},
        {".other.bin.Ab12Cd", 120, false},
    };
    test::TempFolder folder;
    const auto now = fs::file_time_type::clock::now();
    for (const Case& c : cases)
        fs::last_write_time(folder.write(c.name, "x"), now - std::chrono::minutes(c.minutesOld));
    fs::create_directory(folder / ".out.bin.Qq11Qq");
    std::error_code wineRefuses;  // a folder's time cannot be set there
    fs::last_write_time(folder / ".out.bin.Qq11Qq", now - std::chrono::hours(2), wineRefuses);

    removeStaleTemporaries(folder / "out.bin");
    for (const Case& c : cases) EXPECT_EQ(!fs::exists(folder / c.name), c.removed) << c.name;
    EXPECT_TRUE(fs::exists(folder / ".out.bin.Qq11Qq")) << "a folder is nobody's temporary file";
}

}  // namespace
}  // namespace ib
