// Long names as FAT stores and compares them: UTF-16 with surrogate pairs for characters
// beyond U+FFFF, and folded to upper case by Unicode's simple mapping, unit by unit.
#include <gtest/gtest.h>

#include <string>

#include "tools/fat/long_name.h"

namespace ib::tools::fat {
namespace {

bool sameForFat(const std::string& a, const std::string& b) {
    return caseBlindName(utf16Name(a)) == caseBlindName(utf16Name(b));
}

TEST(CaseBlindNames, LetterPairsOfEveryScriptAreOneNameAndOtherLettersAreNot) {
    struct Row {
        std::string a, b;
        bool same;
    };
    const Row rows[]{
        {"zdjęcie.jpg", "ZDJĘCIE.JPG", true},  // Latin Extended-A
        {"ґанок", "Ґанок", true},              // Ukrainian
        {"άλμπουμ", "Άλμπουμ", true},          // Greek with tonos
        {"ảnh đẹp", "ẢNH ĐẸP", true},          // Vietnamese
        {"ƀǆ", "ɃǄ", true},                    // Latin Extended-B
        {"ǅ", "Ǆ", true},                      // a title-case letter has an upper case too
        {"նկար", "ՆԿԱՐ", true},                // Armenian
        {"ａｂｃ", "ＡＢＣ", true},            // full-width
        {"ß", "ẞ", false},                     // ß has no simple upper case
        {"𐐨", "𐐀", false},                    // beyond U+FFFF: each half of the pair as it is
        {"a😀", "A😁", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(sameForFat(row.a, row.b), row.same) << row.a << " / " << row.b;
    }
}

TEST(LongNames, CharactersBeyondTheBmpAreSurrogatePairsCountedAsTwoUnits) {
    EXPECT_EQ(utf16Name("a😀𝄞"), u"a\xD83D\xDE00\xD834\xDD1E");
    EXPECT_EQ(longNameProblem("notes 🎵.txt"), std::nullopt);

    std::string longest = "a";
    for (int i = 0; i < 127; ++i) longest += "😀";
    EXPECT_EQ(longNameProblem(longest), std::nullopt);  // 255 units
    EXPECT_NE(longNameProblem(longest + "b"), std::nullopt);
}

}  // namespace
}  // namespace ib::tools::fat
