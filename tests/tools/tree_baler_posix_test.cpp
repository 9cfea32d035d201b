// TreeBaler packs a folder into a FAT image that the system's own FAT utilities, used
// here as independent checkers, accept and read back exactly; and it refuses, without
// leaving an image behind, whatever it cannot pack faithfully.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
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

    // A folder with a subfolder tree and names that a shell would mistake for syntax;
    // long names (one of 13 characters, one long piece of a long-name entry exactly, one of
    // 255), names that share the start of their short name and so need "~n" tails,
    // Polish letters, empty files and folders, a file over many clusters and one file of
    // each cluster size, so that one of them fills exactly one cluster. Every file has the
    // same even-second modification time, which FAT can hold exactly.
    fs::path makeSampleFolder() {
        const fs::path folder = scratch.path() / "content";
        fs::create_directories(folder / "sub" / "deeper" / "deepest");
        fs::create_directories(folder / "empty folder");
        fs::create_directories(folder / "Zdjęcia z trasy");
        writeFile(folder / "readme.txt", "hello recorder\n");
        writeFile(folder / "CONFIG.INI", "[x]\n");
        writeFile(folder / "a file 'q' $x.txt", patternBytes(700, 1));
        writeFile(folder / "café.bmp", patternBytes(54, 2));
        writeFile(folder / "Long File Name 1.txt", patternBytes(100, 3));
        writeFile(folder / "Long File Name 2.txt", patternBytes(200, 4));
        writeFile(folder / "thirteen.char", "13");
        writeFile(folder / (std::string(251, 'n') + ".txt"), "longest name");
        writeFile(folder / "empty.txt", "");
        writeFile(folder / "spans many clusters.bin", patternBytes(100 * 1024 + 1, 5));
        for (const int bytes : {512, 1024, 2048, 4096}) {
            writeFile(folder / "sub" / ("cluster " + std::to_string(bytes) + ".bin"), patternBytes(bytes, bytes));
        }
        writeFile(folder / "sub" / "nothing", "");
        writeFile(folder / "sub" / "deeper" / "x[1].txt", "abc");
        writeFile(folder / "sub" / "deeper" / "deepest" / "a+b.txt", "plus");
        writeFile(folder / "Zdjęcia z trasy" / "zażółć gęślą jaźń.jpg", patternBytes(3000, 6));
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file()) fs::last_write_time(entry.path(), kFileTime);
        }
        return folder;
    }

    static inline const fs::file_time_type kFileTime = std::chrono::file_clock::from_sys(
        std::chrono::sys_days{std::chrono::year{2023} / 6 / 15} + std::chrono::hours{10} + std::chrono::minutes{20} +
        std::chrono::seconds{30});

    TempFolder scratch;
};

// Every path below `root`, with a digest of each file's contents and its modification time.
std::map<std::string, std::string> describeTree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string& description = tree[fs::relative(entry.path(), root).string()];
        if (entry.is_directory()) {
            description = "<folder>";
            continue;
        }
        const std::string content = readFile(entry.path());
        description = std::to_string(content.size()) + " bytes, hash " +
                      std::to_string(std::hash<std::string>{}(content)) + ", time " +
                      std::to_string(entry.last_write_time().time_since_epoch().count());
    }
    return tree;
}

// What `mdir -/ -b` should list for `root`: every path, folders ending in "/".
std::set<std::string> expectedListing(const fs::path& root) {
    std::set<std::string> listing;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        listing.insert("::/" + fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : ""));
    }
    return listing;
}

std::set<std::string> linesOf(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.insert(line);
    return lines;
}

struct BootSectorFacts {
    std::string typeLabel;
    std::uint64_t clusters = 0;
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t serial = 0;
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
    const bool fat32 = field(22, 2) == 0;
    return {sector.substr(fat32 ? 82 : 54, 8), dataSectors / field(13, 1), field(13, 1), field(fat32 ? 67 : 39, 4)};
}

struct SizeCase {
    std::uint64_t sectors;
    int fatBits;
    std::uint64_t sectorsPerCluster;  // what mkfs.fat chooses for the type and size
};

class TreeBalerSizeTest : public TreeBalerTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(TreeBalerSizeTest, PackedImageHasExactSizeRightFatVariantAndTheWholeTree) {
    const auto [sectors, fatBits, sectorsPerCluster] = GetParam();
    const fs::path folder = makeSampleFolder();
    const fs::path image = scratch.path() / "partition image.bin";

    const ProcessResult baled = bale(image, folder, std::to_string(sectors));
    ASSERT_EQ(baled.exitStatus, 0) << baled.err;
    EXPECT_EQ(fs::file_size(image), sectors * 512);
    // Free space is left as holes: the image takes little more disk than the sample's
    // 120 KiB of files, whatever its size.
    struct stat imageStatus {};
    ASSERT_EQ(stat(image.c_str(), &imageStatus), 0);
    EXPECT_LT(static_cast<std::uint64_t>(imageStatus.st_blocks) * 512, 2u * 1024 * 1024);

    const ProcessResult check = runProcess({"fsck.fat", "-n", image.string()});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;

    const BootSectorFacts boot = readBootSector(image);
    EXPECT_EQ(boot.typeLabel, "FAT" + std::to_string(fatBits) + "   ");
    EXPECT_EQ(boot.sectorsPerCluster, sectorsPerCluster);
    const std::uint64_t minClusters = fatBits == 12 ? 1 : fatBits == 16 ? 4085 : 65525;
    const std::uint64_t maxClusters = fatBits == 12 ? 4084 : fatBits == 16 ? 65524 : 0x0FFFFFF5;
    EXPECT_GE(boot.clusters, minClusters);
    EXPECT_LE(boot.clusters, maxClusters);

    const ProcessResult listing = runProcess({"mdir", "-/", "-b", "-i", image.string(), "::"});
    ASSERT_EQ(listing.exitStatus, 0) << listing.err;
    EXPECT_EQ(linesOf(listing.out), expectedListing(folder));

    const fs::path unpacked = scratch.path() / "unpacked";
    fs::create_directory(unpacked);
    const ProcessResult copy =
        runProcess({"mcopy", "-s", "-n", "-m", "-i", image.string(), "::/*", unpacked.string()});
    ASSERT_EQ(copy.exitStatus, 0) << copy.err;
    EXPECT_EQ(describeTree(unpacked), describeTree(folder));
}

// Both sides of each change of FAT type and of FAT32 cluster size (260 MiB); FAT16
// below 8 MiB, where mkfs.fat's 2 KiB clusters would be too few, takes smaller ones.
INSTANTIATE_TEST_SUITE_P(Sizes, TreeBalerSizeTest,
                         ::testing::Values(SizeCase{2048, 12, 4}, SizeCase{8191, 12, 4}, SizeCase{8192, 16, 1},
                                           SizeCase{32767, 16, 4}, SizeCase{131071, 16, 4},
                                           SizeCase{131072, 32, 1}, SizeCase{532480, 32, 1},
                                           SizeCase{534528, 32, 8}),
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

// Each limit of what an image holds, met exactly and passed by one: the first packs
// into an image the checker accepts, the second is refused with a message naming the
// limit, and no image is left behind.
TEST_F(TreeBalerTest, ContentAtEachLimitPacksAndOneMoreIsRefused) {
    const fs::path image = scratch.path() / "image.bin";
    const fs::path empty = scratch.path() / "empty";
    fs::create_directory(empty);
    ASSERT_EQ(bale(image, empty, "128").exitStatus, 0);
    const BootSectorFacts smallest = readBootSector(image);
    fs::remove(image);
    const std::size_t capacity = smallest.clusters * smallest.sectorsPerCluster * 512;

    struct LimitCase {
        std::string name;
        std::string sectors;
        std::function<void(const fs::path&, bool over)> populate;
        std::string refusal;
    };
    const std::vector<LimitCase> cases{
        {"every cluster of the smallest image", "128",
         [&](const fs::path& f, bool over) { writeFile(f / "all.bin", patternBytes(capacity + over, 7)); },
         "do not fit"},
        {"512 entries in a FAT16 root", "8192",
         [](const fs::path& f, bool over) {
             for (int i = 0; i < 512 + over; ++i) writeFile(f / ("F" + std::to_string(i) + ".BIN"), "");
         },
         "more than the 512 a FAT16 root directory holds"},
        {"folders 32 deep", "2048",
         [](const fs::path& f, bool over) {
             fs::path deepest = f;
             for (int depth = 0; depth < 32 + over; ++depth) deepest /= "d";
             fs::create_directories(deepest);
         },
         "33 folders deep"},
    };
    for (const auto& limit : cases) {
        for (const bool over : {false, true}) {
            SCOPED_TRACE(limit.name + (over ? " and one more" : ""));
            const fs::path folder = scratch.path() / "limit";
            fs::remove_all(folder);
            fs::create_directory(folder);
            limit.populate(folder, over);
            const ProcessResult result = bale(image, folder, limit.sectors);
            if (!over) {
                ASSERT_EQ(result.exitStatus, 0) << result.err;
                const ProcessResult check = runProcess({"fsck.fat", "-n", image.string()});
                EXPECT_EQ(check.exitStatus, 0) << check.out;
                fs::remove(image);
                continue;
            }
            EXPECT_EQ(result.exitStatus, 1);
            EXPECT_NE(result.err.find(limit.refusal), std::string::npos) << result.err;
            EXPECT_FALSE(fs::exists(image));
        }
    }
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
        {"not UTF-8 \xff", [](const fs::path& f) { writeFile(f / "not UTF-8 \xff", "x"); }},
        // FAT compares names without case beyond ASCII too.
        {"ZDJĘCIE.jpg",
         [](const fs::path& f) {
             writeFile(f / "zdjęcie.jpg", "x");
             writeFile(f / "ZDJĘCIE.jpg", "y");
         }},
        {"Ґанок.txt",
         [](const fs::path& f) {
             writeFile(f / "ґанок.txt", "x");
             writeFile(f / "Ґанок.txt", "y");
         }},
        {"sub/4 GiB.bin",
         [](const fs::path& f) {
             fs::create_directory(f / "sub");
             writeFile(f / "sub" / "4 GiB.bin", "");
             fs::resize_file(f / "sub" / "4 GiB.bin", std::uint64_t{1} << 32);
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

// The same files with the same times give the same image, wherever the folder lies; a
// changed file gives another serial number, also when only its bytes changed; a label
// and a serial given are used.
TEST_F(TreeBalerTest, SameFolderGivesTheSameBytesAndTheSerialFollowsTheContent) {
    const fs::path folder = makeSampleFolder();
    const fs::path first = scratch.path() / "first.bin";
    const fs::path second = scratch.path() / "second.bin";
    ASSERT_EQ(bale(first, folder, "4096").exitStatus, 0);

    const fs::path copy = scratch.path() / "elsewhere" / "content";
    fs::create_directories(copy);
    fs::copy(folder, copy, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        fs::last_write_time(copy / fs::relative(entry.path(), folder), entry.last_write_time());
    }
    fs::last_write_time(copy, fs::last_write_time(folder));
    ASSERT_EQ(bale(second, copy, "4096").exitStatus, 0);
    EXPECT_TRUE(readFile(first) == readFile(second)) << "the images differ";

    writeFile(copy / "readme.txt", "hello RECORDER\n");
    fs::last_write_time(copy / "readme.txt", kFileTime);
    ASSERT_EQ(bale(second, copy, "4096").exitStatus, 0);
    const std::uint64_t bytesChanged = readBootSector(second).serial;
    EXPECT_NE(bytesChanged, readBootSector(first).serial);
    writeFile(copy / "readme.txt", "hello again\n");
    ASSERT_EQ(bale(second, copy, "4096").exitStatus, 0);
    EXPECT_NE(readBootSector(second).serial, readBootSector(first).serial);
    EXPECT_NE(readBootSector(second).serial, bytesChanged);
    EXPECT_EQ(runProcess({"fsck.fat", "-n", second.string()}).exitStatus, 0);

    const ProcessResult labelled = runProcess({builtTool("TreeBaler").string(), "-file", second.string(), "-folder",
                                               copy.string(), "-size", "4096", "-label", "Trasa 1", "-serial",
                                               "1A2B-3C4D"});
    ASSERT_EQ(labelled.exitStatus, 0) << labelled.err;
    const ProcessResult listing = runProcess({"mdir", "-i", second.string(), "::"});
    EXPECT_NE(listing.out.find("Volume in drive : is TRASA 1"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("Volume Serial Number is 1A2B-3C4D"), std::string::npos) << listing.out;
}

// The serial derived from the content goes into both FAT32 boot sectors at the end, after
// the image's first 8 MiB have gone to writeback.
TEST_F(TreeBalerTest, ContentSerialReachesBothBootSectorsOfALargeImage) {
    const fs::path folder = scratch.path() / "content";
    fs::create_directory(folder);
    writeFile(folder / "large.bin", patternBytes(9 << 20, 9));
    const fs::path image = scratch.path() / "image.bin";
    const ProcessResult baled = bale(image, folder, "131072");
    ASSERT_EQ(baled.exitStatus, 0) << baled.err;

    std::string sectors(7 * 512, '\0');
    std::ifstream(image, std::ios::binary).read(sectors.data(), static_cast<std::streamsize>(sectors.size()));
    EXPECT_TRUE(sectors.substr(0, 512) == sectors.substr(6 * 512)) << "the backup boot sector differs";
    EXPECT_NE(readBootSector(image).serial, 0u);
    EXPECT_EQ(runProcess({"fsck.fat", "-n", image.string()}).exitStatus, 0);
}

// Characters beyond U+FFFF stand in long names as surrogate pairs. mtools shows each
// half as '_', so 7-Zip, which pairs them, reads the names back.
TEST_F(TreeBalerTest, NamesBeyondTheBmpPackAndReadBack) {
    const fs::path folder = scratch.path() / "content";
    fs::create_directories(folder / "muzyka 🎵");
    writeFile(folder / "emoji 😀.txt", "smile");
    writeFile(folder / "muzyka 🎵" / "𝄞 clef.bin", patternBytes(3000, 8));
    const fs::path image = scratch.path() / "image.bin";
    for (const std::string sectors : {"2048", "131072"}) {
        SCOPED_TRACE(sectors + " sectors");
        const ProcessResult baled = bale(image, folder, sectors);
        ASSERT_EQ(baled.exitStatus, 0) << baled.err;
        const ProcessResult check = runProcess({"fsck.fat", "-n", image.string()});
        EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;

        const fs::path unpacked = scratch.path() / "unpacked";
        fs::remove_all(unpacked);
        const ProcessResult extract =
            runProcess({"7zz", "x", "-o" + unpacked.string(), "-y", "-bso0", "-bsp0", image.string()});
        ASSERT_EQ(extract.exitStatus, 0) << extract.err;
        EXPECT_EQ(expectedListing(unpacked), expectedListing(folder));
        EXPECT_EQ(readFile(unpacked / "muzyka 🎵" / "𝄞 clef.bin"), patternBytes(3000, 8));
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
        {tool, "-file", image, "-folder", folder.string(), "-size", "2048", "-label", "no*star"},
        {tool, "-file", image, "-folder", folder.string(), "-size", "2048", "-serial", "12345"},
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
