// mergeimg gives the output the intermediate SD image's bytes, writes a checksum file that
// md5sum accepts, for messages around MD5's block boundaries too, never replaces what is
// not a regular file, and links only where a link equals a copy.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <functional>
#include <utility>

#include "tool_harness.h"

namespace ib::tools::test {
namespace {

namespace fs = std::filesystem;

class MergeImgTest : public ::testing::Test {
protected:
    ProcessResult merge(const fs::path& input, const fs::path& output) {
        return runProcess({builtTool("mergeimg").string(), input.string(), output.string()});
    }

    // Merges `content` and returns the digest written into the checksum file.
    std::string digestOf(const std::string& content) {
        const fs::path input = scratch.path() / "input.bin";
        const fs::path output = scratch.path() / "output.bin";
        writeFile(input, content);
        const ProcessResult result = merge(input, output);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return readFile(scratch.path() / "output.bin.md5").substr(0, 32);
    }

    TempFolder scratch;
};

TEST_F(MergeImgTest, OutputIsAnExactCopyWithAChecksumFileMd5sumAccepts) {
    // Larger than the 1 MiB copying piece and not a multiple of it.
    const std::string image = patternBytes(2 * 1024 * 1024 + 7, 9);
    const fs::path input = scratch.path() / "SD_RoadVTemp.bin";
    writeFile(input, image);
    const fs::path outputFolder = scratch.path() / "out folder";
    fs::create_directory(outputFolder);

    for (const std::string name : {"card image.bin", "back\\slash.bin"}) {
        SCOPED_TRACE(name);
        const ProcessResult result = merge(input, outputFolder / name);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_TRUE(readFile(outputFolder / name) == image) << "output differs from the intermediate image";
        const ProcessResult verify = runProcess({"md5sum", "-c", name + ".md5"}, outputFolder);
        EXPECT_EQ(verify.exitStatus, 0) << verify.out << verify.err;
    }
    const std::string line = readFile(outputFolder / "card image.bin.md5");
    ASSERT_EQ(line.size(), 32u + 2 + 14 + 1);
    EXPECT_EQ(line.substr(32), "  card image.bin\n");
    EXPECT_EQ(line.find_first_not_of("0123456789abcdef"), 32u);
    EXPECT_EQ(readFile(input), image);
}

TEST_F(MergeImgTest, MessagesAroundTheBlockAndPaddingBoundariesMatchMd5sum) {
    for (const std::size_t size : {55, 56, 57, 63, 64, 65, 119, 120, 128}) {
        SCOPED_TRACE(size);
        digestOf(patternBytes(size, static_cast<unsigned>(size)));
        const ProcessResult verify = runProcess({"md5sum", "-c", "output.bin.md5"}, scratch.path());
        EXPECT_EQ(verify.exitStatus, 0) << verify.out << verify.err;
    }
}

TEST_F(MergeImgTest, AnOutputThatIsNotARegularFileIsNeverReplaced) {
    writeFile(scratch.path() / "input.bin", "intermediate");
    const fs::path fifo = scratch.path() / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path link = scratch.path() / "link to pipe";
    fs::create_symlink(fifo, link);
    for (const fs::path& target : {fifo, link}) {
        SCOPED_TRACE(target.string());
        const ProcessResult result = merge(scratch.path() / "input.bin", target);
        EXPECT_NE(result.exitStatus, 0);
        EXPECT_NE(result.err.find("is not a regular file"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(target.string() + ".md5"));
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
}

// An intermediate that only its caller knows, on the output's file system, becomes the
// output without a byte copied; one that would stay shared under other names, or whose
// permissions a new file would not have, is copied, so the output is a file of its own.
TEST_F(MergeImgTest, TakesTheIntermediateWithoutCopyingOnlyWhenALinkEqualsACopy) {
    struct Case {
        std::string name;
        bool shared;
        std::function<void(const fs::path&)> prepare;
    };
    const std::vector<Case> cases{
        {"fresh intermediate", true, [](const fs::path&) {}},
        {"intermediate with a second name", false,
         [this](const fs::path& input) { fs::create_hard_link(input, scratch.path() / "other name"); }},
        {"private intermediate", false,
         [](const fs::path& input) { fs::permissions(input, fs::perms::owner_read | fs::perms::owner_write); }},
    };
    const std::string image = patternBytes(3 * 1024 * 1024 + 5, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path input = scratch.path() / "SD_RoadVTemp.bin", output = scratch.path() / "card.bin";
        fs::remove(scratch.path() / "other name");
        fs::remove(input);
        writeFile(input, image);
        c.prepare(input);
        ASSERT_EQ(merge(input, output).exitStatus, 0);
        EXPECT_EQ(fs::equivalent(input, output), c.shared);
        EXPECT_TRUE(readFile(output) == image);
        EXPECT_EQ(runProcess({"md5sum", "-c", "card.bin.md5"}, scratch.path()).exitStatus, 0);
    }
}

TEST_F(MergeImgTest, AnImageOnAnotherFileSystemIsCopied) {
    const fs::path otherFileSystem = "/dev/shm";
    struct stat here {}, there {};
    if (stat(scratch.path().c_str(), &here) != 0 || stat(otherFileSystem.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to write to";
    const fs::path input = otherFileSystem / ("mergeimg-test-" + std::to_string(::getpid()) + ".bin");
    const std::string image = patternBytes(9 * 1024 * 1024 + 3, 6);
    writeFile(input, image);
    const ProcessResult result = merge(input, scratch.path() / "card.bin");
    fs::remove(input);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(readFile(scratch.path() / "card.bin") == image);
    EXPECT_EQ(runProcess({"md5sum", "-c", "card.bin.md5"}, scratch.path()).exitStatus, 0);
}

TEST_F(MergeImgTest, WrongArgumentCountPrintsUsage) {
    const ProcessResult result = runProcess({builtTool("mergeimg").string(), "only-one"});
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_NE(result.err.find("usage: mergeimg"), std::string::npos);
}

}  // namespace
}  // namespace ib::tools::test
