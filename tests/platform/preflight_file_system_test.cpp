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

TEST(PreflightFileSystem, AReadOnlyWorkingFolderStopsTheUpdateBeforeAnyWrite) {
    test::SimRig s;
    s.write("a.bin", test::patternBytes(1000, 1));
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=a.bin\n[User_Area_Partition]\nPartitionNumber=1\n"
                            "[Part_0]\nSize=-1\nUnitNumber=0\nType=NONE\n");
    s.view.storageName = "eMMC";
    s.view.configBootArea = 1;
    s.view.configUserArea = 1;
    const bool root = ::geteuid() == 0;
    if (root) {
        // Permissions do not stop root: a read-only bind mount of the working folder does.
        const char* folder = s.workdir().c_str();
        if (::mount(folder, folder, nullptr, MS_BIND, nullptr) != 0) GTEST_SKIP() << "root without the right to mount";
        ASSERT_EQ(::mount("", folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
    } else {
        std::filesystem::permissions(s.workdir(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
    }
    EXPECT_EQ(s.run(Operation::FullUpdate), 0u);
    if (root) ::umount(s.workdir().c_str());
    std::filesystem::permissions(s.workdir(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add);

    for (std::uint8_t code : s.vendorCodes()) EXPECT_FALSE(test::changesRecorder(code)) << int(code);
    const auto seen = s.seen();
    EXPECT_NE(std::find(seen.begin(), seen.end(),
                        "box Error Message: Cannot create " + (s.workdir() / "UserAreaFirstSector").string() +
                            ". Make its folder writable or choose another working folder. Nothing was sent to the "
                            "recorder."),
              seen.end());
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
