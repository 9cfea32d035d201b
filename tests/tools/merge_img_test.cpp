// mergeimg, run by the platform's own process runner on every platform: a failed merge
// leaves no output, no checksum and no temporary file, and an older output stays as it
// was; a merge over an older output replaces both files whole.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/helper_tool_location.h"
#include "platform/platform_services.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

class MergeImgRun : public ::testing::Test {
protected:
    int merge(const fs::path& input, const fs::path& output) {
        const auto tool = platform::locateTool("mergeimg", {fs::path(IMAGEBURNER_BINARY_DIR) / "tools", {}, {}});
        EXPECT_TRUE(tool.has_value());
        return platform::makePlatformServices().processes->run(tool.value_or("mergeimg"),
                                                               {input.string(), output.string()}, scratch.path());
    }
    std::size_t entriesInScratch() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()));
    }

    test::TempFolder scratch;
};

TEST_F(MergeImgRun, FailuresLeaveNoOutputAndKeepAnOlderOneAndSuccessReplacesIt) {
    const fs::path input = scratch.write("input.bin", "intermediate");
    const fs::path output = scratch / "final.bin";
    const std::vector<std::pair<fs::path, fs::path>> failing{
        {scratch / "missing.bin", output},
        {scratch.path(), output},
        {input, scratch / "no such folder" / "final.bin"},
    };
    for (const auto& [from, to] : failing) {
        SCOPED_TRACE(from.string() + " -> " + to.string());
        EXPECT_NE(merge(from, to), 0);
        EXPECT_FALSE(fs::exists(to));
        EXPECT_FALSE(fs::exists(to.string() + ".md5"));
    }
    EXPECT_EQ(entriesInScratch(), 1u) << "a temporary file was left over";

    scratch.write("final.bin", "older image");
    scratch.write("final.bin.md5", "older checksum");
    EXPECT_NE(merge(scratch / "missing.bin", output), 0);
    EXPECT_EQ(test::TempFolder::read(output), "older image");
    // A folder in the output's place cannot be replaced by a file.
    fs::create_directory(scratch / "taken");
    EXPECT_NE(merge(input, scratch / "taken"), 0);
    EXPECT_TRUE(fs::is_directory(scratch / "taken"));

    ASSERT_EQ(merge(input, output), 0);
    EXPECT_EQ(test::TempFolder::read(output), "intermediate");
    // MD5("intermediate"), as md5sum prints it.
    EXPECT_EQ(test::TempFolder::read(scratch / "final.bin.md5"), "438fa616dea43dbb0a42b0ce2d393e7a  final.bin\n");
    EXPECT_EQ(entriesInScratch(), 4u);
}

}  // namespace
}  // namespace ib
