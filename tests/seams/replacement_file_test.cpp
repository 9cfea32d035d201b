// A killed run's leftovers are only this program's own temporary names
// (".<name>." and six random letters or digits, optionally ".link") that
// nobody has written for an hour.
#include <gtest/gtest.h>

#include "seams/replacement_file.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

TEST(StaleTemporaries, OnlyOurOwnNamesUntouchedForAnHourAreRemoved) {
    const std::pair<const char*, bool> oldFiles[] = {
        {".out.bin.Ab12Cd", true},      {".out.bin.Ab12Cd.link", true}, {".out.bin.aBcDeF", true},
        {".out.bin.0f3a9c", true},      {".out.bin.backup", false},     {".out.bin.Backup", false},
        {".out.bin.BACKUP", false},     {".out.bin.Ab12Cd7", false},    {".out.bin.Ab-2Cd", false},
        {".out.bin.md5.Ab12Cd", false}, {"out.bin.Ab12Cd", false},      {".other.bin.Ab12Cd", false}};
    test::TempFolder folder;
    const auto twoHoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    for (const auto& [name, removed] : oldFiles) fs::last_write_time(folder.write(name, "x"), twoHoursAgo);
    folder.write(".out.bin.Xy34Zw", "being written");
    fs::create_directory(folder / ".out.bin.Qq11Qq");
    std::error_code wineRefuses;  // a folder's time cannot be set there
    fs::last_write_time(folder / ".out.bin.Qq11Qq", twoHoursAgo, wineRefuses);

    removeStaleTemporaries(folder / "out.bin");
    for (const auto& [name, removed] : oldFiles) EXPECT_EQ(!fs::exists(folder / name), removed) << name;
    EXPECT_TRUE(fs::exists(folder / ".out.bin.Xy34Zw"));
    EXPECT_TRUE(fs::exists(folder / ".out.bin.Qq11Qq")) << "a folder is nobody's temporary file";
}

}  // namespace
}  // namespace ib
