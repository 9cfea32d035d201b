// Register field numbers read the same on every platform, whatever the C
// runtime's scanf would make of them.
#include <gtest/gtest.h>

#include "device/parse_number.h"

namespace ib {
namespace {

struct NumberCase {
    const char* text;
    std::optional<std::uint64_t> expected;
};

class ParseNumberTable : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseNumberTable, ReadsTheSameNumberEverywhere) {
    EXPECT_EQ(ParseNumber(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ParseNumberTable,
    ::testing::Values(NumberCase{"2147519488", 0x80008C00u},  // above INT_MAX: no clamping
                      NumberCase{"4294967295", 0xFFFFFFFFu}, NumberCase{"4294967296", std::nullopt},
                      NumberCase{"-1", 0xFFFFFFFFu}, NumberCase{"-2147483648", 0x80000000u},
                      NumberCase{"-2147483649", std::nullopt}, NumberCase{"+12", 12u},
                      NumberCase{"99999999999999999999999", std::nullopt}, NumberCase{"-", std::nullopt},
                      NumberCase{" \t-0", 0u}, NumberCase{"- 5", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseNumberTable,
    ::testing::Values(NumberCase{"0xffffffffffffffff", 0xFFFFFFFFFFFFFFFFu},
                      NumberCase{"0x10000000000000000", std::nullopt}, NumberCase{"0x1FFFFFFFF", 0x1FFFFFFFFu},
                      NumberCase{"0xAbC9zz", 0xABC9u}, NumberCase{"0x", std::nullopt},
                      NumberCase{"0x-5", std::nullopt}));

}  // namespace
}  // namespace ib
