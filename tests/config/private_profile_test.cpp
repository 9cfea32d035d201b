// "DiskInfo.ini" reading: each case is a small file on disk read back through
// readProfileString / readProfileInt, the way every operation reads it.
#include <gtest/gtest.h>

#include "config/private_profile.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

struct StringCase {
    const char* story;
    const char* file;
    const char* section;
    const char* key;
    std::size_t capacity;
    const char* expected;
};

TEST(PrivateProfileStrings, FollowTheWindowsRulesForNamesBlanksQuotesAndCapacity) {
    const StringCase cases[] = {
        {"names ignore letter case", "[ui_setting]\nMEDIA=eMMC\n", "UI_SETTING", "media", 100, "eMMC"},
        {"first section of a name wins", "[A]\nk=one\n[a]\nk=two\nx=3\n", "A", "k", 100, "one"},
        {"a repeated section is not searched", "[A]\nk=one\n[a]\nx=3\n", "A", "x", 100, "dflt"},
        {"first key wins", "[A]\nk=one\nK=two\n", "A", "k", 100, "one"},
        {"blanks around names and values", "  [ A ]  \n\t k \t=  v a l \t\n", "A", "k", 100, "v a l"},
        {"double quotes removed", "[A]\nk=\" spaced \"\n", "A", "k", 100, " spaced "},
        {"single quotes removed", "[A]\nk='x'\n", "A", "k", 100, "x"},
        {"one pair only", "[A]\nk=\"\"x\"\"\n", "A", "k", 100, "\"x\""},
        {"mismatched quotes stay", "[A]\nk=\"x'\n", "A", "k", 100, "\"x'"},
        {"a lone quote stays", "[A]\nk=\"\n", "A", "k", 100, "\""},
        {"cut to capacity - 1", "[A]\nk=abcdef\n", "A", "k", 4, "abc"},
        {"the default is cut too", "[A]\n", "A", "k", 3, "df"},
        {"capacity 1 leaves nothing", "[A]\nk=abc\n", "A", "k", 1, ""},
        {"empty value gives the default", "[A]\nk=\n", "A", "k", 100, "dflt"},
        {"empty quotes give the default", "[A]\nk=\"\"\n", "A", "k", 100, "dflt"},
        {"absent key gives the default", "[A]\nother=1\n", "A", "k", 100, "dflt"},
        {"comment lines are not keys", "[A]\n;k=hidden\n  ;k=hidden\n", "A", "k", 100, "dflt"},
        {"a ';' after '=' is value", "[A]\nk=a;b\n", "A", "k", 100, "a;b"},
        {"a line without '=' is no key", "[A]\nk\nk=real\n", "A", "k", 100, "real"},
        {"keys before any section are lost", "k=orphan\n[A]\n", "A", "k", 100, "dflt"},
        {"only the first '=' splits", "[A]\nk=a=b\n", "A", "k", 100, "a=b"},
        {"CRLF line ends", "[A]\r\nk=v\r\nj=w", "A", "k", 100, "v"},
        {"header without ']'", "[A\nk=v\n", "A", "k", 100, "v"},
    };
    test::TempFolder folder;
    for (const StringCase& c : cases) {
        const auto file = folder.write("DiskInfo.ini", c.file);
        EXPECT_EQ(readProfileString(file, c.section, c.key, "dflt", c.capacity), c.expected) << c.story;
    }
}

struct IntCase {
    const char* value;  // written as "k=<value>"
    std::uint32_t expected;
};

TEST(PrivateProfileIntegers, ReadTheLeadingDecimalNumberWrappingToUnsigned) {
    const IntCase cases[] = {
        {"42", 42},
        {"-1", 0xFFFFFFFF},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"0x10", 0},
        {"- 5", 0},
        {"4294967296", 0},
        {"4294967297", 1},
        {"\"3\"", 3},
        {"  -2  ", 0xFFFFFFFE},
        {"", 99},  // empty value: the default
    };
    test::TempFolder folder;
    for (const IntCase& c : cases) {
        const auto file = folder.write("DiskInfo.ini", std::string("[S]\nk=") + c.value + "\n");
        EXPECT_EQ(readProfileInt(file, "s", "K", 99), c.expected) << "value '" << c.value << "'";
    }
}

TEST(PrivateProfileFiles, MissingFileGivesDefaultsAndEditsShowAtTheNextRead) {
    test::TempFolder folder;
    const auto file = folder.path() / "DiskInfo.ini";
    EXPECT_FALSE(PrivateProfile::load(file).has_value());
    EXPECT_FALSE(PrivateProfile::load(folder.path()).has_value()) << "a folder is not a profile";
    EXPECT_EQ(readProfileInt(file, "UI_SETTING", "Media", 2), 2u);
    EXPECT_EQ(readProfileString(file, "DEFAULT_FW", "file0", "none", 100), "none");

    folder.write("DiskInfo.ini", "[DEFAULT_FW]\nfile0=boot.bin\n");
    EXPECT_EQ(readProfileString(file, "DEFAULT_FW", "file0", "", 100), "boot.bin");
    folder.write("DiskInfo.ini", "[DEFAULT_FW]\nfile0=other.bin\n");
    EXPECT_EQ(readProfileString(file, "DEFAULT_FW", "file0", "", 100), "other.bin");

    const PrivateProfile parsed = PrivateProfile::parse("[Part_0]\nSize=1\n");
    EXPECT_TRUE(parsed.hasSection("PART_0"));
    EXPECT_FALSE(parsed.hasSection("Part_1"));
}

}  // namespace
}  // namespace ib
