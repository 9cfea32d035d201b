// Setting a key in a profile file's text: the edit must find sections and keys
// on the lines the reader sees, whatever breaks end them, so the key it sets
// is the one the reader finds, and untouched lines keep their breaks.
#include <gtest/gtest.h>

#include <string>

#include "config/private_profile.h"
#include "config/profile_text_edit.h"

namespace ib {
namespace {

TEST(ProfileTextEdit, SetsTheKeyOnTheLinesTheReaderSeesAndKeepsTheirBreaks) {
    struct Case {
        const char* story;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"LF lines", "[Q]\nbin_path=old\n", "[Q]\nbin_path=new\n"},
        {"CR LF lines keep their breaks", "[A]\r\nx=1\r\n[Q]\r\nbin_path=old\r\n", "[A]\r\nx=1\r\n[Q]\r\nbin_path=new\r\n"},
        {"lone CR lines: the old key is replaced, not shadowing the new one", "[Q]\rbin_path=old\r",
         "[Q]\rbin_path=new\r"},
        {"a header ended by a lone CR is the section, not a line with a strange name",
         std::string("[Q\r\0", 4), std::string("[Q\rbin_path=new\n\0\n", 18)},
        {"a last line without a break gets one", "[Q]\nother=1", "[Q]\nother=1\nbin_path=new\n"},
    };
    for (const Case& c : cases) {
        const auto edited = profileTextWithKey(c.text, "Q", "bin_path", "new");
        ASSERT_TRUE(edited) << c.story;
        EXPECT_EQ(*edited, c.expected) << c.story;
        EXPECT_EQ(PrivateProfile::parse(*edited).readString("Q", "bin_path", "", 100), "new") << c.story;
    }
}

}  // namespace
}  // namespace ib
