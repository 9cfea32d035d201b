// An output being written is no helper tool's business: a program started
// meanwhile does not inherit it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "seams/replacement_file.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

// What the files a child process starts with name.
std::string filesOfAChild() {
    std::string listing;
    FILE* child = ::popen("ls -l /proc/self/fd/ 2>/dev/null", "r");
    if (!child) return listing;
    char line[4096];
    while (std::fgets(line, sizeof line, child)) listing += line;
    ::pclose(child);
    return listing;
}

TEST(ReplacementFile, AProgramStartedWhileItIsWrittenDoesNotInheritIt) {
    test::TempFolder folder;
    for (const char* name : {"BootArea.bin", "profile.ini"}) {
        ReplacementFile file(folder / name);
        file.stream() << "being written";
        ASSERT_TRUE(file.isOpen());
        const std::string inherited = filesOfAChild();
        ASSERT_NE(inherited.find("/proc/"), std::string::npos) << inherited;  // the listing itself works
        EXPECT_EQ(inherited.find(std::string(".") + name + "."), std::string::npos) << inherited;
    }
}

}  // namespace
}  // namespace ib
