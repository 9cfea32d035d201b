// Runs that end part way (killed at a chosen command, or a helper tool
// stopped) leave every earlier output whole; temporary files go at the run's
// end or, after a kill, at the next run.
#include <gtest/gtest.h>

#include "support/killed_run_posix.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

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
    const auto output = s.rig->workdir.write("BootArea.bin", "earlier read");
    ASSERT_TRUE(killer.runKilledAt(*s.sim, "fa556607", 2, [&] { (void)s.run(Operation::ReadBootArea); }));
    EXPECT_EQ(test::TempFolder::read(output), "earlier read");
    const Names left = hiddenNames(s.workdir());
    ASSERT_EQ(left.size(), 1u);
    fs::last_write_time(s.workdir() / left[0], fs::file_time_type::clock::now() - std::chrono::hours(2));
    ASSERT_EQ(s.run(Operation::ReadBootArea), 1u);
    EXPECT_EQ(fs::file_size(output), 300u * 512);
    EXPECT_EQ(hiddenNames(s.workdir()), Names{});
}

// A run that ended before deleting the intermediate may leave it as a second
// name of the finished image (the merge tool's hard link).
TEST(InterruptedRuns, AFinishedSdImageSurvivesTheNextRunWhateverItsEnd) {
    const std::function<void(test::SimRig&)> nextRuns[] = {
        [](test::SimRig& s) { s.view.firmwareNumber = "11"; },  // refused
        [](test::SimRig& s) { s.rig->processes.behaviour = [](const auto&) -> int { ::_exit(test::kKilledStatus); }; },
        [](test::SimRig& s) { s.view.binPath = "other.bin"; },
    };
    for (const auto& prepare : nextRuns) {
        test::SimRig s;
        sdImageFolder(s);
        const auto image = s.rig->workdir.write("out.bin", "finished image");
        fs::create_hard_link(image, s.workdir() / "SD_RoadVTemp.bin");
        prepare(s);
        test::endedAsKilled([&] { (void)s.run(Operation::CreateSdImage); });
        EXPECT_EQ(test::TempFolder::read(image), "finished image");
    }
}

TEST(InterruptedRuns, AStoppedHelperToolLeavesNoTemporaryFile) {
    const std::pair<fs::path, Names> cases[] = {{"mergeimg", {".out.bin.Ab12Cd", ".out.bin.md5.Ef34Gh"}},
                                                {"TreeBaler", {".fat.img.Ij56Kl"}}};
    const Names others = {".fat.img.Zz99Zz", ".out.bin.backup"};  // young, or not our name: kept
    for (const auto& [tool, itLeaves] : cases) {
        test::SimRig s;
        sdImageFolder(s, "[User_Area_Partition]\nPartitionNumber=1\nSDKeepCodeSize=16\n"
                         "[Part_0]\nSize=64\nType=FAT\nRawFileName=fat.img\nDirPath=.\n");
        for (const std::string& name : others) s.write(name, "theirs");
        s.rig->processes.behaviour = [&](const test::RecordingProcesses::Call& call) {
            if (call.program.filename() != tool) return 0;
            for (const std::string& name : itLeaves) s.write(name, "unfinished");
            return -1;  // ended by a signal
        };
        EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
        EXPECT_EQ(hiddenNames(s.workdir()), others) << tool;
    }
}

TEST(InterruptedRuns, TheFirstSectorCopyIsReplacedNotRewritten) {
    test::SimRig s;
    sdImageFolder(s);
    const auto copy = s.rig->workdir.write("UserAreaFirstSector", "earlier copy");
    fs::create_hard_link(copy, s.workdir() / "earlier");
    ASSERT_EQ(s.run(Operation::CreateSdImage), 1u);
    EXPECT_EQ(test::TempFolder::read(s.workdir() / "earlier"), "earlier copy");
    EXPECT_EQ(fs::file_size(copy), 512u);
}

}  // namespace
}  // namespace ib
