// The system's error texts reach the program's UTF-8 output as the system
// wrote them, whatever the ANSI code page, without the line end.
#include <gtest/gtest.h>

#include <windows.h>

#include "seams/system_error_text.h"

namespace ib {
namespace {

TEST(SystemErrorText, IsTheSystemsTextInUtf8WithoutTheLineEnd) {
    constexpr unsigned short kPolish = MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT);
    EXPECT_EQ(windowsErrorText(ERROR_PATH_NOT_FOUND, kPolish), "Nie znaleziono ścieżki.");
    EXPECT_EQ(systemErrorText(std::make_error_code(std::errc::no_such_file_or_directory)),
              std::make_error_code(std::errc::no_such_file_or_directory).message());
}

}  // namespace
}  // namespace ib
