// FAT's case-blind comparison against ICU, an upper-case mapping kept apart from ours:
// every character of the Basic Multilingual Plane folds to what u_toupper gives for it.
#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <string>

#include "tools/fat/long_name.h"

namespace ib::tools::fat {
namespace {

TEST(CaseBlindNames, EveryBmpCharacterFoldsAsIcuSays) {
    int differing = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogate halves are no characters
        const auto icu = static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
        const char16_t expected = icu <= 0xFFFF ? static_cast<char16_t>(icu) : static_cast<char16_t>(c);
        const std::u16string folded = caseBlindName(std::u16string(1, static_cast<char16_t>(c)));
        if (folded != std::u16string(1, expected) && ++differing <= 10) {
            ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(c) << " folds to U+"
                          << static_cast<unsigned>(folded[0]) << ", ICU says U+" << static_cast<unsigned>(icu);
        }
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace ib::tools::fat
