// Runs that end part way, killed at a chosen point or with a helper tool
// stopped: every earlier output stays whole, a finished SD image is never
// written through a leftover name, and temporary files go at the run's end
// or, after a kill, at the next run.
#include <gtest/gtest.h>

#include <fstream>

#include "support/killed_run.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string content(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Names in `folder` that start with a dot: temporary files.
Names hiddenNames(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (const std::string name = entry.path().filename().string(); name[0] == '.') names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

void sdImageFolder(test::SimRig& s, const std::string& plan = "[User_Area_Partition]\nPartitionNumber=0\n") {
    s.write("m1.bin", "bootloader");
    s.write("m2.bin", "firmware");
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nMBR=4\nnumber=2\nfile0=m1.bin\nfile1=m2.bin\n" + plan);
    s.controller->m_mbrSector = 4;
    s.view.firmwareNumber = "2";
    s.view.binPath = "out.bin";
}

TEST(InterruptedRuns, AKilledReadBackLeavesTheEarlierFileAndTheNextRunClearsItsTemporary) {
    test::CommandKillClock killer;
    test::SimRig s({.simClock = &killer});
    s.view.storageName = "eMMC";
    s.view.bootReadSize = "300";
    s.write("BootArea.bin", "earlier read");
    ASSERT_TRUE(killer.runKilledAt(*s.sim, VendorCode::ReadSectors, 2, [&] { (void)s.run(Operation::ReadBootArea); }));
    EXPECT_EQ(content(s.workdir() / "BootArea.bin"), "earlier read");
    const Names left = hiddenNames(s.workdir());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].substr(0, 14), ".BootArea.bin.");

    fs::last_write_time(s.workdir() / left[0], fs::file_time_type::clock::now() - std::chrono::hours(2));
    ASSERT_EQ(s.run(Operation::ReadBootArea), 1u);
    EXPECT_EQ(fs::file_size(s.workdir() / "BootArea.bin"), 300u * 512);
    EXPECT_EQ(hiddenNames(s.workdir()), Names{});
}

// The merge tool may have left the intermediate as a second name of the
// finished image, when the run ended before deleting it.
TEST(InterruptedRuns, AFinishedSdImageSurvivesTheNextRunWhateverItsEnd) {
    struct Case {
        const char* story;
        std::function<void(test::SimRig&)> prepare;
        bool killed;
    };
    const Case cases[] = {
        {"refused run", [](test::SimRig& s) { s.view.firmwareNumber = "11"; }, false},
        {"killed at the merge tool",
         [](test::SimRig& s) { s.rig->processes.behaviour = [](const auto&) -> int { test::endAsKilled(); }; },
         true},
        {"another output built", [](test::SimRig& s) { s.view.binPath = "other.bin"; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.story);
        test::SimRig s;
        sdImageFolder(s);
        s.write("out.bin", "finished image");
        fs::create_hard_link(s.workdir() / "out.bin", s.workdir() / "SD_RoadVTemp.bin");
        c.prepare(s);
        if (c.killed)
            EXPECT_TRUE(test::endedAsKilled([&] { (void)s.run(Operation::CreateSdImage); }));
        else
            (void)s.run(Operation::CreateSdImage);
        EXPECT_EQ(content(s.workdir() / "out.bin"), "finished image");
    }
}

TEST(InterruptedRuns, AStoppedHelperToolLeavesNoTemporaryFile) {
    struct Case {
        const char* tool;
        Names itLeaves;
    };
    const Case cases[] = {{"mergeimg", {".out.bin.Ab12Cd", ".out.bin.md5.Ef34Gh"}}, {"TreeBaler", {".fat.img.Ij56Kl"}}};
    // Another writer's files, a young temporary and one that is not ours, stay.
    const Names others = {".fat.img.Zz99Zz", ".out.bin.backup"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        test::SimRig s;
        sdImageFolder(s, "[User_Area_Partition]\nPartitionNumber=1\nSDKeepCodeSize=16\n"
                         "[Part_0]\nSize=64\nType=FAT\nRawFileName=fat.img\nDirPath=tree\n");
        fs::create_directory(s.workdir() / "tree");
        for (const std::string& name : others) s.write(name, "theirs");
        s.rig->processes.behaviour = [&](const test::RecordingProcesses::Call& call) {
            if (call.program.filename() != c.tool) {
                std::ofstream(s.workdir() / "fat.img", std::ios::binary) << std::string(64 * 512, 'f');
                return 0;
            }
            for (const std::string& name : c.itLeaves) s.write(name, "unfinished");
            return -1;  // stopped by a signal
        };
        EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
        EXPECT_EQ(hiddenNames(s.workdir()), others);
    }
}

TEST(InterruptedRuns, TheFirstSectorCopyIsReplacedNotRewritten) {
    test::SimRig s;
    sdImageFolder(s);
    s.write("UserAreaFirstSector", "earlier copy");
    fs::create_hard_link(s.workdir() / "UserAreaFirstSector", s.workdir() / "earlier");
    ASSERT_EQ(s.run(Operation::CreateSdImage), 1u);
    EXPECT_EQ(content(s.workdir() / "earlier"), "earlier copy");
    EXPECT_EQ(fs::file_size(s.workdir() / "UserAreaFirstSector"), 512u);
}

}  // namespace
}  // namespace ib
