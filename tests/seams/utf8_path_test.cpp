// UTF-8 names become paths that name the very file and come back unchanged, on
// Windows (where a narrow path is read in the ANSI code page) as on Linux.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "seams/utf8_path.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

// The bytes of a UTF-8 literal as the program's strings hold them.
std::string utf8(std::u8string_view text) { return {text.begin(), text.end()}; }

TEST(Utf8Path, NamesOutsideAsciiNameTheFileTheyWereTypedAsAndComeBackUnchanged) {
    const std::set<std::u8string_view> names{u8"Zdjęcia", u8"łódź.bin", u8"żółw ĄĘ.txt", u8"plain.bin", u8"日本.bin"};
    test::TempFolder folder;
    std::set<std::string> typed;
    for (const std::u8string_view name : names) {
        const std::filesystem::path path = pathFromUtf8(utf8(name));
        EXPECT_TRUE(path == std::filesystem::path(name)) << utf8(name);
        EXPECT_EQ(utf8FromPath(path), utf8(name));
        std::ofstream(folder.path() / path) << utf8(name);
        typed.insert(utf8(name));
    }
    std::set<std::string> listed;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        listed.insert(utf8FromPath(entry.path().filename()));
        EXPECT_EQ(test::TempFolder::read(entry.path()), utf8FromPath(entry.path().filename()));
    }
    EXPECT_EQ(listed, typed);
}

}  // namespace
}  // namespace ib
