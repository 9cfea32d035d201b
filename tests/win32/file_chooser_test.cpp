// The chooser's filter: the operations' "Description|pattern|...||" as the
// NUL-separated list GetOpenFileNameW takes.
#include <gtest/gtest.h>

#include "win32/file_chooser.h"

namespace ib::win32 {
namespace {

using namespace std::string_literals;

TEST(ChooserFilter, BarsBecomeNulsAndTheListEndsInTwoNuls) {
    const struct {
        const char* filter;
        std::wstring expected;
    } cases[] = {
        {"Binary (*.bin)|*.bin|All Files (*.*)|*.*||", L"Binary (*.bin)\0*.bin\0All Files (*.*)\0*.*\0\0"s},
        {"Image|*.img|", L"Image\0*.img\0\0"s},
        {"Image|*.img", L"Image\0*.img\0\0"s},
        {"Obraz łódź|*.bin||", L"Obraz łódź\0*.bin\0\0"s},
    };
    for (const auto& c : cases) EXPECT_EQ(chooserFilter(c.filter), c.expected) << c.filter;
}

}  // namespace
}  // namespace ib::win32
