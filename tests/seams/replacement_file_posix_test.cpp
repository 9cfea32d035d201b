// An output being written is no helper tool's business: a program started
// meanwhile does not inherit it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "seams/replacement_file.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

TEST(ReplacementFile, AProgramStartedWhileItIsWrittenDoesNotInheritIt) {
    test::TempFolder folder;
    ReplacementFile file(folder / "BootArea.bin");
    ASSERT_TRUE(file.isOpen());
    std::string childFiles;  // what the files a child process starts with name
    FILE* child = ::popen("ls -l /proc/self/fd/", "r");
    ASSERT_NE(child, nullptr);
    for (char line[4096]; std::fgets(line, sizeof line, child);) childFiles += line;
    ::pclose(child);
    ASSERT_NE(childFiles.find("/proc/"), std::string::npos) << childFiles;  // the listing itself works
    EXPECT_EQ(childFiles.find(".BootArea.bin."), std::string::npos) << childFiles;
}

}  // namespace
}  // namespace ib
