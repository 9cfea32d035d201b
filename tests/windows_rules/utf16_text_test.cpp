// UTF-8 and UTF-16 conversion for the Windows wide calls.
#include <gtest/gtest.h>

#include "platform/windows/utf16_text.h"

namespace ib::platform {
namespace {

TEST(Utf16Text, WellFormedTextRoundTrips) {
    struct Case {
        const char* utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"C:\\fw\\a.bin", u"C:\\fw\\a.bin"},
        {"\xC5\x81\xC4\x84" "CZENIE", u"\u0141\u0104CZENIE"},  // "ŁĄCZENIE"
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},  // a surrogate pair
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(Utf16Text, MalformedInputBecomesReplacementCharacters) {
    struct Case {
        const char* utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"a\x80" "b", u"a\uFFFDb"},                     // stray continuation byte
        {"\xC5", u"\uFFFD"},                            // cut sequence
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                  // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},        // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
    };
    for (const auto& c : cases) EXPECT_EQ(utf16FromUtf8(c.utf8), c.utf16) << c.utf8;

    EXPECT_EQ(utf8FromUtf16(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(utf8FromUtf16(std::u16string{char16_t(0xDC00)}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace ib::platform
