// TreeBaler packs a folder into a FAT image that the system's own FAT utilities accept,
// and refuses, without leaving an image behind, whatever it cannot pack faithfully.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "tool_harness.h"

namespace ib::tools::test {
namespace {

namespace fs = std::filesystem;

class TreeBalerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { prepareEnvironmentForFatUtilities(); }

    ProcessResult bale(const fs::path& image, const fs::path& folder, const std::string& sectors) {
        return runProcess({builtTool("TreeBaler").string(), "-file", image.string(), "-folder",
                           folder.string(), "-size", sectors});
    }

    // A folder with a subfolder tree, an empty folder and names that a shell or mtools
    // would mistake for syntax: spaces, quotes, "$", brackets, a non-ASCII letter.
    fs::path makeSampleFolder() {
        const fs::path folder = scratch.path() / "content";
        fs::create_directories(folder / "sub" / "deeper");
        fs::create_directories(folder / "empty folder");
        writeFile(folder / "readme.txt", "hello recorder\n");
        writeFile(folder / "a file 'q' $x.txt", patternBytes(700, 1));
        writeFile(folder / "café au lait.bmp", patternBytes(54, 2));
        writeFile(folder / "sub" / "data.bin", patternBytes(5000, 3));
        writeFile(folder / "sub" / "deeper" / "x[1].txt", "abc");
        return folder;
    }

    TempFolder scratch;
};

// Every path below `root`, with a digest of each file's contents.
std::map<std::string, std::string> describeTree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string content = entry.is_directory() ? "<folder>" : readFile(entry.path());
        const std::size_t hash = std::hash<std::string>{}(content);
        tree[fs::relative(entry.path(), root).string()] =
            std::to_string(content.size()) + " bytes, hash " + std::to_string(hash);
    }
    return tree;
}

struct BootSectorFacts {
    std::string typeLabel;
    std::uint64_t clusters = 0;
};

// What a reader learns from the boot sector; the cluster count alone decides the FAT variant.
BootSectorFacts readBootSector(const fs::path& image) {
    std::string sector(512, '\0');
    std::ifstream(image, std::ios::binary).read(sector.data(), static_cast<std::streamsize>(sector.size()));
    const auto field = [&](std::size_t offset, std::size_t size) {
        std::uint64_t value = 0;
        for (std::size_t i = size; i-- > 0;) {
            value = value << 8 | static_cast<std::uint8_t>(sector[offset + i]);
        }
        return value;
    };
    const std::uint64_t totalSectors = field(19, 2) != 0 ? field(19, 2) : field(32, 4);
    const std::uint64_t fatSectors = field(22, 2) != 0 ? field(22, 2) : field(36, 4);
    const std::uint64_t rootSectors = (field(17, 2) * 32 + 511) / 512;
    const std::uint64_t dataSectors = totalSectors - field(14, 2) - field(16, 1) * fatSectors - rootSectors;
    return {sector.substr(field(22, 2) != 0 ? 54 : 82, 8), dataSectors / field(13, 1)};
}

struct SizeCase {
    std::uint64_t sectors;
    int fatBits;
};

class TreeBalerSizeTest : public TreeBalerTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(TreeBalerSizeTest, PackedImageHasExactSizeRightFatVariantAndTheWholeTree) {
    const auto [sectors, fatBits] = GetParam();
    const fs::path folder = makeSampleFolder();
    const fs::path image = scratch.path() / "partition image.bin";

    const ProcessResult baled = bale(image, folder, std::to_string(sectors));
    ASSERT_EQ(baled.exitStatus, 0) << baled.err;
    EXPECT_EQ(fs::file_size(image), sectors * 512);

    const ProcessResult check = runProcess({"fsck.fat", "-n", image.string()});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;

    const BootSectorFacts boot = readBootSector(image);
    EXPECT_EQ(boot.typeLabel, "FAT" + std::to_string(fatBits) + "   ");
    const std::uint64_t minClusters = fatBits == 12 ? 1 : fatBits == 16 ? 4085 : 65525;
    const std::uint64_t maxClusters = fatBits == 12 ? 4084 : fatBits == 16 ? 65524 : 0x0FFFFFF5;
    EXPECT_GE(boot.clusters, minClusters);
    EXPECT_LE(boot.clusters, maxClusters);

    const ProcessResult listing = runProcess({"mdir", "-/", "-b", "-i", image.string(), "::"});
    ASSERT_EQ(listing.exitStatus, 0) << listing.err;
    std::set<std::string> listed;
    std::istringstream lines(listing.out);
    for (std::string line; std::getline(lines, line);) listed.insert(line);
    const std::set<std::string> expected{"::/readme.txt",   "::/a file 'q' $x.txt", "::/café au lait.bmp",
                                         "::/sub/",         "::/sub/data.bin",      "::/sub/deeper/",
                                         "::/sub/deeper/x[1].txt", "::/empty folder/"};
    EXPECT_EQ(listed, expected);

    const fs::path unpacked = scratch.path() / "unpacked";
    fs::create_directory(unpacked);
    const ProcessResult copy =
        runProcess({"mcopy", "-s", "-n", "-i", image.string(), "::/*", unpacked.string()});
    ASSERT_EQ(copy.exitStatus, 0) << copy.err;
    EXPECT_EQ(describeTree(unpacked), describeTree(folder));
}

// 1 MiB, 16 MiB and 64 MiB, and both sides of each change of variant or cluster size.
INSTANTIATE_TEST_SUITE_P(Sizes, TreeBalerSizeTest,
                         ::testing::Values(SizeCase{128, 12}, SizeCase{2048, 12}, SizeCase{8191, 12},
                                           SizeCase{8192, 16}, SizeCase{32767, 16}, SizeCase{32768, 16},
                                           SizeCase{131071, 16}, SizeCase{131072, 32}),
                         [](const auto& info) { return std::to_string(info.param.sectors) + "_sectors"; });

TEST_F(TreeBalerTest, ExistingImageIsReplacedOnSuccessAndKeptOnFailure) {
    const fs::path folder = makeSampleFolder();
    const fs::path image = scratch.path() / "image.bin";
    writeFile(image, "previous image");

    const ProcessResult refused = bale(image, folder, "64");
    EXPECT_NE(refused.exitStatus, 0);
    EXPECT_EQ(readFile(image), "previous image");

    ASSERT_EQ(bale(image, folder, "2048").exitStatus, 0);
    EXPECT_EQ(fs::file_size(image), 2048u * 512);
    // Nothing but the sample folder and the image: no temporary file is left over.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 2);
}

TEST_F(TreeBalerTest, UnusableSizesFailWithAMessageAndNoImage) {
    const fs::path folder = makeSampleFolder();
    const fs::path image = scratch.path() / "image.bin";
    for (const std::string size : {"127", "0", "-1", "4294967296", "12abc", ""}) {
        SCOPED_TRACE("size \"" + size + "\"");
        const ProcessResult result = bale(image, folder, size);
        EXPECT_NE(result.exitStatus, 0);
        EXPECT_NE(result.err.find("TreeBaler: "), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(image));
    }
}

TEST_F(TreeBalerTest, FolderThatDoesNotFitFailsAndLeavesNoImage) {
    const fs::path image = scratch.path() / "image.bin";
    const fs::path folder = scratch.path() / "big";
    fs::create_directory(folder);
    // Larger than the whole image: refused before anything is written.
    writeFile(folder / "huge.bin", patternBytes(2 * 1024 * 1024, 4));
    ProcessResult result = bale(image, folder, "2048");
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_NE(result.err.find("do not fit"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(image));

    // Smaller than the image but larger than its free space: mcopy runs out of room.
    writeFile(folder / "huge.bin", patternBytes(1040000, 5));
    result = bale(image, folder, "2048");
    EXPECT_NE(result.exitStatus, 0);
    EXPECT_NE(result.err.find("may not fit"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(image));
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST_F(TreeBalerTest, EntriesFatCannotHoldAreRefusedByName) {
    const fs::path image = scratch.path() / "image.bin";
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> cases{
        {"double\"quote", [](const fs::path& f) { writeFile(f / "double\"quote", "x"); }},
        {"what?", [](const fs::path& f) { writeFile(f / "what?", "x"); }},
        {"trailing.", [](const fs::path& f) { writeFile(f / "trailing.", "x"); }},
        {"CON", [](const fs::path& f) { writeFile(f / "CON", "x"); }},
        {"com1.txt", [](const fs::path& f) { writeFile(f / "com1.txt", "x"); }},
        {"Clash.TXT",
         [](const fs::path& f) {
             writeFile(f / "clash.txt", "x");
             writeFile(f / "Clash.TXT", "y");
         }},
        {"pipe", [](const fs::path& f) { ASSERT_EQ(mkfifo((f / "pipe").c_str(), 0600), 0); }},
        {"linked", [](const fs::path& f) { fs::create_directory_symlink(f / "real", f / "linked"); }},
        {"space ", [](const fs::path& f) { writeFile(f / "space ", "x"); }},
        // Fits 8.3, so mtools stores it as a short name, and "é" comes back as "É".
        {"sub/café.bmp",
         [](const fs::path& f) {
             fs::create_directory(f / "sub");
             writeFile(f / "sub" / "café.bmp", "x");
         }},
    };
    for (const auto& [name, populate] : cases) {
        SCOPED_TRACE(name);
        const fs::path folder = scratch.path() / "bad";
        fs::remove_all(folder);
        fs::create_directories(folder / "real");
        populate(folder);
        const ProcessResult result = bale(image, folder, "2048");
        EXPECT_NE(result.exitStatus, 0);
        EXPECT_NE(result.err.find(name), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(image));
    }
}

TEST_F(TreeBalerTest, MissingFolderImageInsideTheFolderAndBadCommandLinesFail) {
    const fs::path folder = makeSampleFolder();
    const std::string tool = builtTool("TreeBaler").string();
    const std::string image = (scratch.path() / "a.bin").string();
    const std::string nowhere = (scratch.path() / "nowhere").string();
    const std::vector<std::vector<std::string>> commandLines{
        {tool, "-file", image, "-folder", nowhere, "-size", "2048"},
        {tool, "-file", (folder / "sub" / "a.bin").string(), "-folder", folder.string(), "-size", "2048"},
        {tool, "-file", image, "-folder", folder.string()},
        {tool, "-file", image, "-folder", folder.string(), "-size", "2048", "-x"},
        {tool, "-file", image, "-file", "b", "-folder", folder.string(), "-size", "2048"},
    };
    for (const auto& argv : commandLines) {
        const ProcessResult result = runProcess(argv);
        EXPECT_NE(result.exitStatus, 0) << argv.size();
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_FALSE(fs::exists(scratch.path() / "a.bin"));
    EXPECT_FALSE(fs::exists(folder / "sub" / "a.bin"));
}

}  // namespace
}  // namespace ib::tools::test
