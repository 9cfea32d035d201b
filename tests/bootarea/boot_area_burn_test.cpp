// Burning the firmware set into the simulated recorder: where each image
// lands, what the index table sector says afterwards, and the checks that
// refuse a set before anything is written.
#include <gtest/gtest.h>

#include "bootarea/index_table_sector.h"
#include "support/fifo_sentinel.h"
#include "support/sim_rig.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::patternBytes;
using Bytes = std::vector<std::uint8_t>;

using Codes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Vendor codes the recorder received after the first `skip`.
Codes codesAfter(test::SimRig& rig, std::size_t skip) {
    Codes codes = rig.vendorCodes();
    codes.erase(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(skip));
    return codes;
}

Bytes padded(std::string content, std::size_t sectors) {
    Bytes b = bytesOf(content);
    b.resize(sectors * 512, 0xFF);
    return b;
}

class BlockStorageBurn : public ::testing::Test {
protected:
    void configure(const std::string& storage, std::vector<std::string> files, std::uint32_t named) {
        std::string ini = "[DEFAULT_FW]\nnumber=" + std::to_string(named) + "\n";
        for (std::size_t i = 0; i < files.size(); ++i) ini += "file" + std::to_string(i) + "=" + files[i] + "\n";
        s.write("DiskInfo.ini", ini);
        c.m_storageName = storage;
        ASSERT_TRUE(c.selectStorageType());
    }
    IndexTableSector table(std::uint8_t type, std::uint8_t area, std::uint32_t at = 0) {
        return IndexTableSector::fromBytes(s.area(type, area, at, 1));
    }

    test::SimRig s;
    CImageBurnerDlg& c = *s.controller;
};

TEST_F(BlockStorageBurn, MembersGoBackToBackFromSectorOneWithTheirEntries) {
    const std::string a = patternBytes(1000, 1), b = patternBytes(513, 2);
    s.write("a.bin", a);
    s.write("b.bin", b);
    configure("eMMC", {"a.bin", "b.bin"}, 2);
    ASSERT_TRUE(c.usbCmd().Open());
    ASSERT_EQ(c.burnBlockStorage(2), 1u);

    EXPECT_EQ(s.area(2, 0, 1, 2), padded(a, 2));
    EXPECT_EQ(s.area(2, 0, 3, 2), padded(b, 2));
    const auto t = table(2, 0);
    EXPECT_TRUE(t.hasMagic());
    EXPECT_EQ(t.storageMarker(), 1u);
    EXPECT_EQ(t.entry(0).startSector, 1u);
    EXPECT_EQ(t.entry(0).sectorCount, 2u);
    EXPECT_EQ(t.entry(0).attributes, 0x80000001u);
    EXPECT_EQ(t.entry(1).startSector, 3u);
    EXPECT_EQ(t.entry(1).sectorCount, 2u);
    EXPECT_EQ(t.entry(2).sectorCount, 0u);
    // eMMC keeps the same 512 bytes in its boot area too.
    EXPECT_EQ(s.area(2, 1, 0, 1), s.area(2, 0, 0, 1));
}

TEST_F(BlockStorageBurn, AnEmptyMemberTakesNoSectors) {
    s.write("a.bin", "");
    s.write("b.bin", "x");
    configure("eSD", {"a.bin", "b.bin"}, 2);
    ASSERT_TRUE(c.usbCmd().Open());
    ASSERT_EQ(c.burnBlockStorage(2), 1u);
    const auto t = table(1, 0);
    EXPECT_EQ(t.entry(0).startSector, 1u);
    EXPECT_EQ(t.entry(0).sectorCount, 0u);
    EXPECT_EQ(t.entry(1).startSector, 1u);
    EXPECT_EQ(t.entry(1).sectorCount, 1u);
    EXPECT_EQ(s.area(1, 1, 0, 1), Bytes(512, 0));  // no second copy outside eMMC
}

TEST_F(BlockStorageBurn, MoviNandBurnsItsBootAreaAndKeepsTheMarker) {
    s.write("a.bin", "boot");
    configure("moviNAND", {"a.bin"}, 1);
    ASSERT_TRUE(c.usbCmd().Open());
    ASSERT_EQ(c.burnBlockStorage(1), 1u);
    const auto t = table(0, 1);
    EXPECT_EQ(t.entry(0).attributes, 1u);
    EXPECT_EQ(t.storageMarker(), 0u);
    EXPECT_EQ(s.area(0, 0, 0, 1), Bytes(512, 0));
}

TEST_F(BlockStorageBurn, TheHeaderRuleDecidesWhatIsWritten) {
    std::string withHeader = patternBytes(18 + 600, 3);
    withHeader[8] = 1, withHeader[9] = 0;
    std::string notHeader = withHeader;
    notHeader[9] = 1;
    s.write("h.bin", withHeader);
    s.write("n.bin", notHeader);
    configure("NAND", {"h.bin", "n.bin"}, 2);
    ASSERT_TRUE(c.usbCmd().Open());
    ASSERT_EQ(c.burnBlockStorage(2), 1u);
    EXPECT_EQ(s.area(4, 0, 1, 2), padded(withHeader.substr(18), 2));
    EXPECT_EQ(s.area(4, 0, 3, 2), padded(notHeader, 2));
}

TEST_F(BlockStorageBurn, OnlyTheNamedMembersComeFromTheFileTheRestFromChoosers) {
    s.write("a.bin", "a");
    s.write("elsewhere.bin", "b");
    configure("eMMC", {"a.bin", "missing.bin"}, 1);
    s.rig->port.answers = {(s.workdir() / "elsewhere.bin").string()};
    ASSERT_TRUE(c.usbCmd().Open());
    ASSERT_EQ(c.burnBlockStorage(2), 1u);
    ASSERT_EQ(s.rig->port.choosers.size(), 1u);
    EXPECT_EQ(s.rig->port.choosers[0].initialName, "open number 1 firmware");
    EXPECT_EQ(s.rig->port.choosers[0].filter, "All File(*.*)|*.*||");
    EXPECT_EQ(s.area(2, 0, 2, 1), padded("b", 1));

    s.rig->port.choosers.clear();
    const auto writesBefore = s.vendorCodes().size();
    EXPECT_EQ(c.burnBlockStorage(3), 0u);  // no answer left: the chooser is cancelled
    EXPECT_EQ(s.vendorCodes().size(), writesBefore + 1);  // only the storage selection went out
}

TEST_F(BlockStorageBurn, TheSpaceCheckCountsTheIndexTableSector) {
    sim::AreaSizes sizes = sim::defaultAreaSizes();
    sizes[2][0] = 11;
    test::SimRig small({.areaSectors = sizes});
    small.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=f.bin\n");
    small.controller->m_storageName = "eMMC";
    ASSERT_TRUE(small.controller->selectStorageType());
    ASSERT_TRUE(small.controller->usbCmd().Open());
    small.write("f.bin", std::string(10 * 512, 'x'));
    EXPECT_EQ(small.controller->burnBlockStorage(1), 1u);
    small.seen();
    small.write("f.bin", std::string(10 * 512 + 1, 'x'));
    EXPECT_EQ(small.controller->burnBlockStorage(1), 0u);
    EXPECT_EQ(small.seen(),
              (std::vector<std::string>{"box Error Message: Code size(5632) is larger than boot sapce (11) !"}));
}

TEST_F(BlockStorageBurn, MembersOfFourGigabytesAndMoreKeepTheirFullSize) {
    // eMMC area 0 of the simulated recorder: 7,700,480 sectors, less than 4 GiB.
    struct Case {
        std::uint64_t fileBytes;
        const char* shownSize;
    };
    for (const Case big : {Case{(std::uint64_t{1} << 32) + 1000, "4294968320"}, Case{0xFFFFFFFF, "4294967296"},
                           Case{4000047616, "4000047616"}}) {
        std::filesystem::resize_file(s.rig->workdir.write("big.bin", ""), big.fileBytes);  // sparse
        configure("eMMC", {"big.bin"}, 1);
        ASSERT_TRUE(c.usbCmd().Open());
        EXPECT_EQ(c.burnBlockStorage(1), 0u) << big.fileBytes;
        EXPECT_EQ(s.seen(), (std::vector<std::string>{"box Error Message: Code size(" + std::string(big.shownSize) +
                                                      ") is larger than boot sapce (7700480) !"}));
        EXPECT_TRUE(s.sim->sectorsWithData(sim::AreaId{2, 0}).empty()) << big.fileBytes;
    }
}

TEST_F(BlockStorageBurn, AnIndexTableSectorAmongTheImagesIsRefusedBeforeWriting) {
    s.write("a.bin", std::string(4 * 512, 'a'));
    configure("eMMC", {"a.bin"}, 1);
    c.m_mbrSector = 3;
    ASSERT_TRUE(c.usbCmd().Open());
    EXPECT_EQ(c.burnBlockStorage(1), 0u);
    EXPECT_EQ(s.seen(), (std::vector<std::string>{
                            "box Error Message: Error : index table sector 3 lies inside the firmware images "
                            "(sectors 1 to 4) !"}));
    EXPECT_TRUE(s.sim->sectorsWithData(sim::AreaId{2, 0}).empty());
}

TEST_F(BlockStorageBurn, AnUnreadableIndexTableSectorStopsBeforeAnyImage) {
    s.write("a.bin", "a");
    configure("eMMC", {"a.bin"}, 1);
    ASSERT_TRUE(c.usbCmd().Open());
    const auto before = s.vendorCodes().size();
    s.sim->failNthCommand(VendorCode::ReadSectors, 1);
    EXPECT_EQ(c.burnBlockStorage(1), 0u);
    EXPECT_EQ(s.seen(), (Lines{"box Error Message: Index table read fail !"}));
    EXPECT_EQ(codesAfter(s, before), (Codes{0x06, 0x07}));
}

class SerialFlashBurn : public BlockStorageBurn {
protected:
    void writeMembers(std::size_t n, std::uint32_t mbrSector = 8) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < n; ++i) {
            names.push_back("m" + std::to_string(i) + ".bin");
            s.write(names.back(), patternBytes(700 + 100 * i, static_cast<unsigned>(i + 10)));
        }
        configure("SIF", names, static_cast<std::uint32_t>(n));
        c.m_mbrSector = mbrSector;
        ASSERT_TRUE(c.usbCmd().Open());
    }
    std::string member(std::size_t i) { return patternBytes(700 + 100 * i, static_cast<unsigned>(i + 10)); }
};

TEST_F(SerialFlashBurn, OneMemberIsTheBootCodeAloneAtTheDefaultTableSector) {
    ASSERT_EQ(c.m_mbrSector, 0u);
    writeMembers(1, c.m_mbrSector);
    const auto before = s.vendorCodes().size();
    ASSERT_EQ(c.burnSerialFlash(1, 1), 1u);
    EXPECT_EQ(s.area(3, 0, 0, 2), padded(member(0), 2));
    // Select, read the table, write the boot code; the table is never written back.
    EXPECT_EQ(codesAfter(s, before), (Codes{0x06, 0x07, 0x08}));
    EXPECT_EQ(s.seen(), (std::vector<std::string>{"buttons: on"}));
}

TEST_F(SerialFlashBurn, ThreeMembersAreBootCodeBootloaderAndFirmware) {
    writeMembers(3);
    ASSERT_EQ(c.burnSerialFlash(3, 0), 1u);
    EXPECT_EQ(s.area(3, 0, 0, 2), padded(member(0), 2));
    EXPECT_EQ(s.area(3, 0, 9, 2), padded(member(1), 2));
    EXPECT_EQ(s.area(3, 0, 11, 2), padded(member(2), 2));
    const auto t = table(3, 0, 8);
    EXPECT_TRUE(t.hasMagic());
    EXPECT_EQ(t.storageMarker(), 1u);
    EXPECT_EQ((std::array{t.entry(0).startSector, t.entry(0).sectorCount, t.entry(0).attributes}),
              (std::array{9u, 2u, 0x80000001u}));
    EXPECT_EQ((std::array{t.entry(1).startSector, t.entry(1).sectorCount, t.entry(1).attributes}),
              (std::array{11u, 2u, 0x80000001u}));
}

TEST_F(SerialFlashBurn, FiveMembersWriteOnlyTheLastTwo) {
    writeMembers(5);
    ASSERT_EQ(c.burnSerialFlash(5, 0), 1u);
    EXPECT_EQ(s.area(3, 0, 0, 8), Bytes(8 * 512, 0));  // no boot code
    EXPECT_EQ(s.area(3, 0, 9, 2), padded(member(3), 2));
    EXPECT_EQ(s.area(3, 0, 11, 3), padded(member(4), 3));
}

TEST_F(SerialFlashBurn, ProgressShowsThePathBeforeEachPiece) {
    s.write("bl.bin", std::string(65536, 'b'));
    s.write("fw.bin", std::string(131072, 'f'));
    configure("SIF", {"bl.bin", "fw.bin"}, 2);
    ASSERT_TRUE(c.usbCmd().Open());
    ASSERT_EQ(c.burnSerialFlash(2, 0), 1u);
    const auto bl = (s.workdir() / "bl.bin").string(), fw = (s.workdir() / "fw.bin").string();
    EXPECT_EQ(s.seen(), (std::vector<std::string>{"status: " + bl + " 0%", "status: " + fw + " 33%",
                                                  "status: " + fw + " 66%", "buttons: on"}));
    EXPECT_EQ(c.statusState().doneColour, kTiledPattern);
    EXPECT_EQ(c.statusState().textColour, kBlack);
}

TEST_F(SerialFlashBurn, AFirmwareCountOutsideOneToTenSendsNothing) {
    writeMembers(1);
    const auto before = s.vendorCodes().size();
    EXPECT_EQ(c.burnSerialFlash(0, 0), 0u);
    EXPECT_EQ(c.burnSerialFlash(11, 0), 0u);
    EXPECT_EQ(s.vendorCodes().size(), before);
    EXPECT_EQ(s.seen(), (std::vector<std::string>{"step: Firmware Number Wrong!!", "buttons: on",
                                                  "step: Firmware Number Wrong!!", "buttons: on"}));
}

TEST_F(SerialFlashBurn, ABootCodeRunningIntoTheIndexTableIsRefused) {
    writeMembers(3);
    s.write("m0.bin", std::string(9 * 512, 'x'));
    EXPECT_EQ(c.burnSerialFlash(3, 0), 0u);
    EXPECT_EQ(s.seen()[0],
              "box Error Message: Error : boot code (9 sectors) runs into the index table sector 8 !");
    EXPECT_TRUE(s.sim->sectorsWithData(sim::AreaId{3, 0}).empty());
}

TEST_F(SerialFlashBurn, AMemberThatIsNotARegularFileDoesNotOpen) {
    writeMembers(2);
    std::filesystem::remove(s.workdir() / "m1.bin");
    test::FifoSentinel pipe(s.workdir() / "m1.bin");
    EXPECT_EQ(c.burnSerialFlash(2, 0), 0u);
    EXPECT_EQ(s.seen(), (std::vector<std::string>{"box: Cannot Open " + (s.workdir() / "m1.bin").string(),
                                                  "buttons: on"}));
    EXPECT_FALSE(pipe.wasOpened());
}

TEST_F(SerialFlashBurn, RelativeNamesFallBackToTheFirmwareFolder) {
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=1\nfile0=not-here.bin\n");
    c.m_storageName = "SIF";
    ASSERT_TRUE(c.selectStorageType());
    ASSERT_TRUE(c.usbCmd().Open());
    EXPECT_EQ(c.burnSerialFlash(1, 0), 0u);
    EXPECT_EQ(s.seen(), (std::vector<std::string>{std::string("box: Cannot Open ") +
                                                      kHostFirmwareNames.fallbackFolder +
                                                      kHostFirmwareNames.separator + "not-here.bin",
                                                  "buttons: on"}));
    const auto absolute = (s.workdir() / "elsewhere" / "x.bin").string();
    EXPECT_EQ(c.firmwarePath(BurnKind::SerialFlash, absolute), absolute);
    EXPECT_EQ(c.firmwarePath(BurnKind::BlockStorage, "rel.bin"), s.workdir() / "rel.bin");
}

// Three members (2 sectors each) with the table at sector 8: every way the
// serial-flash burn can stop, in its own words and after the commands it got to.
TEST(SerialFlashBurnFailures, EachStopIsToldAfterTheCommandsItGotTo) {
    struct Case {
        const char* story;
        std::uint32_t areaSectors;
        VendorCode failing;
        std::uint32_t nth;  // 0: nothing fails
        std::int32_t configureUserArea;
        Lines told;
        Codes sent;
    };
    const Case cases[] = {
        {"selection", 64, VendorCode::SelectStorage, 1, 0, {"step: Select Storage fail ...", "buttons: on"}, {0x06}},
        {"space", 6, VendorCode::SelectStorage, 0, 0,
         {"box Error Message: Code size(3072) is larger than boot space (6) !", "buttons: on"}, {0x06}},
        {"table read", 64, VendorCode::ReadSectors, 1, 0,
         {"box Error Message: Index table read fail !", "buttons: on"}, {0x06, 0x07}},
        {"boot code", 64, VendorCode::WriteSectors, 1, 0,
         {"step: Write BootCode Sector Error...", "buttons: on"}, {0x06, 0x07, 0x08}},
        {"bootloader", 64, VendorCode::WriteSectors, 2, 0,
         {"step: Write Bootloader/FW Sector Error...", "buttons: on"}, {0x06, 0x07, 0x08, 0x08}},
        {"firmware", 64, VendorCode::WriteSectors, 3, 0,
         {"step: Write Bootloader/FW Sector Error...", "buttons: on"}, {0x06, 0x07, 0x08, 0x08, 0x08}},
        {"table write", 64, VendorCode::WriteSectors, 4, 0,
         {"step: Update MBR Fail...", "buttons: on"}, {0x06, 0x07, 0x08, 0x08, 0x08, 0x08}},
        {"user area", 64, VendorCode::SelectStorage, 2, 1,
         {"box Error Message: Error 0x0a: configure user area error !",
          test::statusLine(text::kRecorderReady, 0), "buttons: on", "buttons: on"},
         {0x06, 0x07, 0x08, 0x08, 0x08, 0x08, 0x06}},
    };
    for (const auto& k : cases) {
        sim::AreaSizes sizes = sim::defaultAreaSizes();
        sizes[3][0] = k.areaSectors;
        test::SimRig s({.areaSectors = sizes});
        std::string ini = "[DEFAULT_FW]\nnumber=3\n";
        for (unsigned i = 0; i < 3; ++i) {
            const std::string name = "m" + std::to_string(i) + ".bin";
            s.write(name, patternBytes(700 + 100 * i, i));
            ini += "file" + std::to_string(i) + "=" + name + "\n";
        }
        s.write("DiskInfo.ini", ini);
        CImageBurnerDlg& c = *s.controller;
        c.m_storageName = "SIF";
        ASSERT_TRUE(c.selectStorageType());
        c.m_mbrSector = 8;
        ASSERT_TRUE(c.usbCmd().Open());
        const auto before = s.vendorCodes().size();
        if (k.nth) s.sim->failNthCommand(k.failing, k.nth);

        EXPECT_EQ(c.burnSerialFlash(3, k.configureUserArea), 0u) << k.story;
        Lines told = s.seen();
        const std::string memberProgress = "status: " + s.workdir().string();
        std::erase_if(told, [&](const std::string& l) { return l.rfind(memberProgress, 0) == 0; });
        EXPECT_EQ(told, k.told) << k.story;
        EXPECT_EQ(codesAfter(s, before), k.sent) << k.story;
    }
}

}  // namespace
}  // namespace ib
