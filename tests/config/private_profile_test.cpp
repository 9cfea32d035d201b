// "DiskInfo.ini" reading: each case is a small file on disk read back through
// readProfileString / readProfileInt, the way every operation reads it.
#include <gtest/gtest.h>

#include <fstream>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"
#include "seams/small_file.h"
#include "support/temp_folder.h"
#include "userarea/partition_plan_reader.h"

namespace ib {
namespace {

// A file as Notepad saves it in "Unicode": the UTF-16 LE byte-order mark, then the text.
std::string unicodeFile(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

struct StringCase {
    const char* story;
    std::string file;
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
        {"a lone CR ends a line", "[A]\rk=v\rj=w", "A", "k", 100, "v"},
        {"a CR ends the value", "[A]\nk=a\rb\n", "A", "k", 100, "a"},
        {"the text after that CR is a line of its own", "[A]\nk=a\rb=c\n", "A", "b", 100, "c"},
        {"a UTF-8 mark hides the first header", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", 100, "dflt"},
        {"UTF-16 LE read as code page 1252", unicodeFile(u"[A]\r\nk=caf\u00E9 \u20AC5\r\n"), "A", "k", 100,
         "caf\xE9 \x80" "5"},
        {"characters outside code page 1252 read as '?'", unicodeFile(u"[A]\nk=\u0141\u00F3d\u017A \U0001F600!"),
         "A", "k", 100, "?\xF3" "d? ?!"},
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

TEST(PrivateProfileFiles, AFileLargerThanAnyConfigurationIsNotOne) {
    test::TempFolder folder;
    const std::string settings = "[DEFAULT_FW]\nfile0=boot.bin\n";
    const auto file = folder.write("DiskInfo.ini", settings + std::string(kLargestProfileBytes - settings.size(), ';'));
    EXPECT_EQ(readProfileString(file, "DEFAULT_FW", "file0", "", 100), "boot.bin");
    std::filesystem::resize_file(file, kLargestProfileBytes + 1);
    EXPECT_FALSE(PrivateProfile::load(file).has_value());
    EXPECT_EQ(currentProfileText(file), std::nullopt);  // a profile store will not rewrite it either
}

TEST(PrivateProfileFiles, AUtf8MarkHidesOnlyASectionHeaderRightBehindIt) {
    EXPECT_EQ(PrivateProfile::parse("\xEF\xBB\xBF [UI_SETTING]\r\nMedia=3\r\n").sectionHiddenByByteOrderMark(),
              "UI_SETTING");
    EXPECT_FALSE(PrivateProfile::parse("\xEF\xBB\xBF;notes\n[A]\n").sectionHiddenByByteOrderMark());
    EXPECT_FALSE(PrivateProfile::parse("[A]\n\xEF\xBB\xBF[B]\n").sectionHiddenByByteOrderMark());
}

}  // namespace
}  // namespace ib
