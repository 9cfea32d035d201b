// Long full paths reach Windows' file functions in their "\\?\" form; short,
// relative and already prefixed ones stay as they are.
#include <gtest/gtest.h>

#include "platform/windows/long_path.h"

namespace ib::platform {
namespace {

TEST(ExtendedLengthPath, OnlyLongFullPathsArePrefixed) {
    const std::wstring folder(250, L'a');
    const struct {
        std::wstring path;
        std::wstring expected;
    } rows[] = {
        {L"C:\\short\\TreeBaler.exe", L"C:\\short\\TreeBaler.exe"},
        {L"C:\\" + folder, L"\\\\?\\C:\\" + folder},
        {L"c:/" + folder + L"/userdata.img", L"\\\\?\\c:\\" + folder + L"\\userdata.img"},
        {L"\\\\server\\share\\" + folder, L"\\\\?\\UNC\\server\\share\\" + folder},
        {L"\\\\?\\C:\\" + folder, L"\\\\?\\C:\\" + folder},
        {L"\\\\.\\" + folder, L"\\\\.\\" + folder},
        {folder + L"\\relative.bin", folder + L"\\relative.bin"},
    };
    for (const auto& row : rows) EXPECT_EQ(extendedLengthPath(row.path), row.expected) << row.path.size();
}

}  // namespace
}  // namespace ib::platform
