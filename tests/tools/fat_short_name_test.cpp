// Short names as Windows makes them: a valid upper-case 8.3 name as it is, any other from
// its first letters with a "~n" tail where letters were lost, no two alike in a folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/fat/short_name.h"

namespace ib::tools::fat {
namespace {

struct Expected {
    std::string field;  // the 11 characters of the entry's name field
    bool longName;
};

std::vector<Expected> shortNamesOf(const std::vector<std::string>& names) {
    std::vector<Expected> result;
    for (const ShortName& name : assignShortNames(names)) {
        result.push_back({std::string(name.field.begin(), name.field.end()), name.needsLongName});
    }
    return result;
}

bool operator==(const Expected& a, const Expected& b) { return a.field == b.field && a.longName == b.longName; }

void PrintTo(const Expected& e, std::ostream* out) { *out << '"' << e.field << "\" " << (e.longName ? "+long" : ""); }

TEST(ShortNames, FollowWindowsRulesInOneFolder) {
    const std::vector<std::string> names{
        "README.TXT",            // a short name already
        "readme2.txt",           // fits, but only in other letter case
        "Long File Name 1.txt",  // too long: cut, with a tail
        "Long File Name 2.txt",  // the same basis: the next tail
        "LONGFI~3.TXT",          // a name that looks like a tail keeps it
        "Long File Name 3.txt",  // so this one skips ~3
        "archive.tar.gz",        // the extension follows the last dot
        ".profile",              // leading dots are dropped
        "page.html",             // an extension longer than three
        "a+b.c",                 // a character short names cannot hold
        "café.bmp",              // a letter beyond ASCII
        "my file.txt",           // spaces are left out
        "𝄞 clef.bin",            // beyond U+FFFF: one '_' for each UTF-16 unit
    };
    const std::vector<Expected> expected{
        {"README  TXT", false}, {"README2 TXT", true}, {"LONGFI~1TXT", true}, {"LONGFI~2TXT", true},
        {"LONGFI~3TXT", false}, {"LONGFI~4TXT", true}, {"ARCHIV~1GZ ", true}, {"PROFIL~1   ", true},
        {"PAGE~1  HTM", true},  {"A_B~1   C  ", true}, {"CAF_~1  BMP", true}, {"MYFILE~1TXT", true},
        {"__CLEF~1BIN", true},
    };
    EXPECT_EQ(shortNamesOf(names), expected);
}

TEST(ShortNames, TailsGrowAndCutTheBaseFurther) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back("Holiday picture " + std::to_string(i) + ".jpg");
    const std::vector<Expected> shortNames = shortNamesOf(names);
    EXPECT_EQ(shortNames[0].field, "HOLIDA~1JPG");
    EXPECT_EQ(shortNames[8].field, "HOLIDA~9JPG");
    EXPECT_EQ(shortNames[9].field, "HOLID~10JPG");
    EXPECT_EQ(shortNames[11].field, "HOLID~12JPG");
}

}  // namespace
}  // namespace ib::tools::fat
