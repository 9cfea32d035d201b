// The pre-flight checks against real file systems: a read-only working folder
// and a full one, on small tmpfs mounts where this process may mount them
// (else a folder without write permission stands in for the read-only one).
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include "operation/preflight.h"
#include "support/sim_rig.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

// A tmpfs of `options` on a fresh folder, unmounted at the end; mounted() is
// false where the process may not mount.
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string& options) {
        m_mounted = ::mount("tmpfs", m_folder.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TmpfsMount() {
        if (m_mounted) ::umount(m_folder.path().c_str());
    }
    bool mounted() const { return m_mounted; }
    const std::filesystem::path& path() const { return m_folder.path(); }

private:
    test::TempFolder m_folder;
    bool m_mounted = false;
};

// `folder` made read-only while it lives: permissions do not stop root, a
// read-only bind mount does. made() is false where neither can be had.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::filesystem::path& folder) : m_folder(folder) {
        if (::geteuid() != 0) {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
            m_made = true;
            return;
        }
        m_mounted = ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0;
        m_made = m_mounted && ::mount("", folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyFolder() {
        if (m_mounted) ::umount(m_folder.c_str());
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool made() const { return m_made; }

private:
    std::filesystem::path m_folder;
    bool m_mounted = false;
    bool m_made = false;
};

std::vector<std::string> boxesOf(test::SimRig& s) {
    std::vector<std::string> boxes;
    for (auto& line : s.seen())
        if (line.starts_with("box")) boxes.push_back(line);
    return boxes;
}

TEST(PreflightFileSystem, AReadOnlyWorkingFolderStopsTheUpdateBeforeItsFirstCommand) {
    test::SimRig s({.mode = sim::RecorderMode::BootRom});
    s.write("updater.bin", test::patternBytes(3000, 9));
    s.write("a.bin", test::patternBytes(1000, 1));
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=a.bin\n[User_Area_Partition]\nPartitionNumber=1\n"
                            "[Part_0]\nSize=-1\nUnitNumber=0\nType=NONE\n");
    s.view.storageName = "eMMC";
    s.view.configBootArea = 1;
    s.view.configUserArea = 1;
    {
        ReadOnlyFolder readOnly(s.workdir());
        if (!readOnly.made()) GTEST_SKIP() << "root without the right to mount";
        EXPECT_EQ(s.run(Operation::FullUpdate), 0u);
    }

    EXPECT_EQ(s.sim->commandLog(), std::vector<std::string>{});  // not even the updater download
    const auto seen = s.seen();
    EXPECT_NE(std::find(seen.begin(), seen.end(),
                        "box Error Message: Cannot create " + (s.workdir() / "UserAreaFirstSector").string() +
                            ". Make its folder writable or choose another working folder. Nothing was sent to the "
                            "recorder."),
              seen.end());
}

TEST(PreflightFileSystem, AReadBackIntoAReadOnlyFolderNamesTheFolderBeforeReading) {
    test::SimRig s;
    s.view.storageName = "eMMC";
    s.view.bootReadSize = "8";
    {
        ReadOnlyFolder readOnly(s.workdir());
        if (!readOnly.made()) GTEST_SKIP() << "root without the right to mount";
        EXPECT_EQ(s.run(Operation::ReadBootArea), 0u);
    }
    EXPECT_EQ(boxesOf(s), (std::vector<std::string>{
                              "box Error Message: Cannot create " + (s.workdir() / "BootArea.bin").string() +
                                  ". Make its folder writable or choose another working folder. The recorder was only "
                                  "identified, asked for its storage size and given its updater where it needed one; "
                                  "nothing on its storage was changed.",
                              "box Error Message: open test.bin fail !"}));
    const auto codes = s.vendorCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), std::uint8_t{0x07}), 0);  // no sector was read
}

TEST(PreflightFileSystem, AnSdImageWithoutRoomForTheFinishedImageIsRefusedBeforeItIsBuilt) {
    TmpfsMount tiny("size=64k");
    if (!tiny.mounted()) GTEST_SKIP() << "no right to mount a tmpfs here";
    test::SimRig s;
    s.write("m1.bin", test::patternBytes(40 * 1024, 1));
    s.write("m2.bin", test::patternBytes(40 * 1024, 2));
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nMBR=4\nnumber=2\nfile0=m1.bin\nfile1=m2.bin\n");
    s.controller->m_mbrSector = 4;
    s.view.firmwareNumber = "2";
    s.view.binPath = (tiny.path() / "out.bin").string();
    EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
    // The index table sector ends at sector 5; each member takes 80 sectors after it.
    EXPECT_EQ(boxesOf(s), (std::vector<std::string>{"box Error Message: " + tiny.path().string() +
                                                    " has room for 65536 bytes, but 84480 are to be written there. "
                                                    "Free some space. Nothing was sent to the recorder."}));
    EXPECT_FALSE(std::filesystem::exists(s.workdir() / "SD_RoadVTemp.bin"));  // a refused run leaves no file
}

TEST(PreflightFileSystem, AFullFileSystemIsFoundBeforeTheImageIsWritten) {
    TmpfsMount tiny("size=64k");
    if (!tiny.mounted()) GTEST_SKIP() << "no right to mount a tmpfs here";
    const PreflightPlan fits{{}, {{tiny.path() / "small.img", 16 * 1024}}, {}};
    const PreflightPlan tooLarge{{}, {{tiny.path() / "large.img", 1024 * 1024}}, {}};
    EXPECT_EQ(findPreflightProblem(fits), std::nullopt);
    const auto problem = findPreflightProblem(tooLarge);
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->starts_with(tiny.path().string() + " has room for ")) << *problem;
}

}  // namespace
}  // namespace ib
