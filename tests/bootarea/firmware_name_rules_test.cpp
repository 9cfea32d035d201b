// Firmware names from "DiskInfo.ini" under both platforms' rules, checked on
// every platform: which names are absolute and where a missing one is looked for.
#include <gtest/gtest.h>

#include "bootarea/firmware_set.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

struct AbsoluteCase {
    const char* name;
    bool posix;
    bool windows;
};

TEST(FirmwareNameRulesTable, AbsoluteNames) {
    const AbsoluteCase cases[] = {
        {"/opt/fw.bin", true, false}, {"C:\\fw\\a.bin", false, true}, {"c:\\a.bin", false, true},
        {"C:fw.bin", false, false},   {"C:/fw.bin", false, false},    {"\\fw.bin", false, false},
        {"fw.bin", false, false},     {"", false, false},             {"C:", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isAbsoluteFirmwareName(c.name, kPosixFirmwareNames), c.posix) << c.name;
        EXPECT_EQ(isAbsoluteFirmwareName(c.name, kWindowsFirmwareNames), c.windows) << c.name;
    }
}

TEST(FirmwareNameRulesTable, RelativeSerialFlashNamesMissingFromTheWorkingFolderUseTheFallbackFolder) {
    test::TempFolder workdir;
    EXPECT_EQ(firmwarePath(workdir.path(), BurnKind::SerialFlash, "k.bin", kWindowsFirmwareNames).string(),
              "C:\\qubfw\\k7x\\k.bin");
    EXPECT_EQ(firmwarePath(workdir.path(), BurnKind::SerialFlash, "k.bin", kPosixFirmwareNames).string(),
              "/opt/qubfw/k7x/k.bin");
    EXPECT_EQ(firmwarePath(workdir.path(), BurnKind::SerialFlash, "D:\\k.bin", kWindowsFirmwareNames).string(),
              "D:\\k.bin");
    EXPECT_EQ(firmwarePath(workdir.path(), BurnKind::BlockStorage, "k.bin", kPosixFirmwareNames),
              workdir.path() / "k.bin");
}

}  // namespace
}  // namespace ib
