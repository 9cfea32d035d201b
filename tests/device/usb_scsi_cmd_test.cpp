// The vendor command layer on the wire: exact command blocks, chunking, the
// request kinds' rules, and how Open picks the recorder's volume.
#include <gtest/gtest.h>

#include "support/scripted_volumes.h"
#include "device/usb_scsi_cmd.h"

namespace ib {
namespace {

using test::bootRomIdentify;
using test::recorderVolume;
using test::ScriptedVolume;
using test::ScriptedVolumes;
using test::updaterIdentify;
using Bytes = std::vector<std::uint8_t>;

class OpenedRecorder : public ::testing::Test {
protected:
    void SetUp() override {
        volumes.volumes['D'] = recorderVolume(0x01, updaterIdentify(), true, {0x00, 0x00, 0x01, 0x00});
        ASSERT_EQ(cmd.Open(), 1u);
        volumes.sent.clear();
    }
    const test::SentCommand& last() const { return volumes.sent.back(); }

    ScriptedVolumes volumes;
    UsbScsiCmd cmd{volumes};
};

TEST_F(OpenedRecorder, SendsTheDocumentedBlocksByteForByte) {
    std::vector<std::uint8_t> buffer(8 * 512);
    ASSERT_EQ(cmd.ReadSectors(300, 8, buffer), 1u);
    EXPECT_EQ(last().cdb, (Bytes{0xFA, 0x55, 0x66, 0x07, 0x00, 0x00, 0x01, 0x2C, 0x00, 0x08, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(last().direction, DataDirection::In);
    EXPECT_EQ(last().length, 4096u);
    EXPECT_EQ(last().timeout, 2u);
    EXPECT_EQ(last().kind, TransferKind::Buffered);

    ASSERT_EQ(cmd.WriteRegister(0x80008C00, 0x5A), 1u);
    EXPECT_EQ(last().cdb, (Bytes{0xFA, 0x55, 0x66, 0x05, 0x80, 0x00, 0x8C, 0x00, 0x5A, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(last().direction, DataDirection::None);
    EXPECT_EQ(last().length, 0u);
    EXPECT_EQ(last().timeout, 10u);
    EXPECT_EQ(last().kind, TransferKind::Direct);
}

TEST_F(OpenedRecorder, EveryOtherCommandHasItsCodeParametersAndRequestKind) {
    std::uint8_t value = 0;
    std::uint32_t size = 0;
    Bytes sector(512, 0xEE);
    ASSERT_EQ(cmd.ReadRegister(0x12345678, value), 1u);
    ASSERT_EQ(cmd.SelectStorage(0x102, 1, size), 1u);  // only the low byte of the type travels
    ASSERT_EQ(cmd.WriteSectors(0x01020304, 1, sector), 1u);
    ASSERT_EQ(cmd.SetBootSize(4u << 13), 1u);
    ASSERT_EQ(cmd.FormatUserArea(), 1u);
    ASSERT_EQ(cmd.LowLevelFormat(), 1u);
    ASSERT_EQ(cmd.StartDownloaded(), 1u);
    ASSERT_EQ(cmd.EndSession(), 1u);

    const auto& s = volumes.sent;
    ASSERT_EQ(s.size(), 8u);
    EXPECT_EQ(s[0].cdb, (Bytes{0xFA, 0x55, 0x66, 0x04, 0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s[0].length, 1u);
    EXPECT_EQ(s[1].cdb, (Bytes{0xFA, 0x55, 0x66, 0x06, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s[1].length, 4u);
    EXPECT_EQ(s[2].cdb, (Bytes{0xFA, 0x55, 0x66, 0x08, 0x01, 0x02, 0x03, 0x04, 0x00, 0x01, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s[2].dataOut, sector);
    EXPECT_EQ(s[2].timeout, 10u);
    EXPECT_EQ(s[3].cdb, (Bytes{0xFA, 0x55, 0x66, 0x09, 0x00, 0x00, 0x80, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s[3].timeout, 2u);  // SetBootSize goes as a buffered request
    EXPECT_EQ(s[4].cdb[3], 0x0A);
    EXPECT_EQ(s[5].cdb[3], 0x0D);
    EXPECT_EQ(s[6].cdb[3], 0x03);
    EXPECT_EQ(s[7].cdb[3], 0xDD);
    for (std::size_t i = 4; i < 8; ++i) {
        EXPECT_EQ(s[i].direction, DataDirection::None);
        EXPECT_EQ(s[i].timeout, 10u);
    }
}

TEST_F(OpenedRecorder, SelectStorageReadsTheSizeLittleEndian) {
    std::uint32_t size = 0;
    ASSERT_EQ(cmd.SelectStorage(2, 0, size), 1u);
    EXPECT_EQ(size, 65536u);  // reply 00 00 01 00
}

TEST_F(OpenedRecorder, DownloadGoesOutInChunksOf64Sectors) {
    Bytes image(130 * 512);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i / 512);
    ASSERT_EQ(cmd.Download(130, image), 1u);
    ASSERT_EQ(volumes.sent.size(), 3u);
    const std::uint16_t counts[] = {64, 64, 2};
    std::size_t offset = 0;
    for (int i = 0; i < 3; ++i) {
        const auto& c = volumes.sent[i];
        EXPECT_EQ(c.cdb, (Bytes{0xFA, 0x55, 0x66, 0x02, 0x00, static_cast<std::uint8_t>(counts[i]), 0, 0, 0, 0, 0, 0,
                                0, 0, 0, 0}));
        EXPECT_EQ(c.dataOut, Bytes(image.begin() + offset, image.begin() + offset + counts[i] * 512));
        offset += counts[i] * 512;
    }

    volumes.sent.clear();
    ASSERT_EQ(cmd.Download(64, image), 1u);
    EXPECT_EQ(volumes.sent.size(), 1u);

    volumes.sent.clear();
    EXPECT_EQ(cmd.Download(0, image), 0u);
    EXPECT_TRUE(volumes.sent.empty());
}

TEST_F(OpenedRecorder, ReadOfZeroSectorsSendsACommandWithNoData) {
    Bytes untouched(512, 0x77);
    ASSERT_EQ(cmd.ReadSectors(5, 0, untouched), 1u);
    EXPECT_EQ(last().cdb[9], 0u);
    EXPECT_EQ(last().length, 0u);
    EXPECT_EQ(untouched, Bytes(512, 0x77));
}

TEST_F(OpenedRecorder, ReadsAboveTheReplyAreaAreRefusedWithoutSending) {
    Bytes buffer(129 * 512);
    EXPECT_EQ(cmd.ReadSectors(0, 129, buffer), 0u);
    EXPECT_TRUE(volumes.sent.empty());
}

TEST_F(OpenedRecorder, AFailedCallFailsTheCommandAndHandsNoReplyBack) {
    volumes.volumes['D'].answer = [](const ScsiRequest& r) {
        std::fill(r.data.begin(), r.data.end(), std::uint8_t{0x99});
        return ScsiOutcome{};
    };
    std::uint8_t value = 7;
    EXPECT_EQ(cmd.ReadRegister(0, value), 0u);
    EXPECT_EQ(value, 7);
}

TEST_F(OpenedRecorder, AReplyShorterThanItsCommandsDataFailsTheCommand) {
    volumes.volumes['D'].answer = [](const ScsiRequest& r) {
        std::fill(r.data.begin(), r.data.end(), std::uint8_t{0x11});
        ScsiOutcome out;
        out.completed = true;
        out.transferred = r.data.size() - 1;  // the last byte never came
        return out;
    };
    std::uint8_t value = 7;
    std::uint32_t areaSectors = 5;
    Bytes sectors(512, 0);
    EXPECT_EQ(cmd.ReadRegister(0, value), 0u);
    EXPECT_EQ(cmd.SelectStorage(2, 0, areaSectors), 0u);
    EXPECT_EQ(cmd.ReadSectors(0, 1, sectors), 0u);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(areaSectors, 5u);
    EXPECT_EQ(sectors, Bytes(512, 0));
}

TEST(UsbScsiCmdOpen, TakesTheFirstAcceptableLetter) {
    ScriptedVolumes volumes;
    volumes.volumes['E'] = recorderVolume(0x01, updaterIdentify());
    volumes.volumes['G'] = recorderVolume(0x01, bootRomIdentify());
    UsbScsiCmd cmd(volumes);
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeUpdater);
    EXPECT_EQ(volumes.opened, (std::vector<char>{'E'}));
}

TEST(UsbScsiCmdOpen, SkipsAVolumeWhoseInquiryFormatIsNotOneWithoutIdentify) {
    ScriptedVolumes volumes;
    volumes.volumes['D'] = recorderVolume(0x02, bootRomIdentify());
    volumes.volumes['F'] = recorderVolume(0x01, bootRomIdentify());
    UsbScsiCmd cmd(volumes);
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeBootRom);
    ASSERT_EQ(volumes.sent.size(), 3u);  // INQUIRY on D, INQUIRY and Identify on F
    EXPECT_EQ(volumes.sent[0].cdb, (Bytes{0x12, 0, 0, 0, 0x24, 0}));
    EXPECT_EQ(volumes.sent[0].length, 36u);
    EXPECT_EQ(volumes.sent[1].letter, 'F');
    EXPECT_EQ(volumes.sent[2].cdb, (Bytes{0xFA, 0x55, 0x66, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(volumes.sent[2].length, 16u);
    EXPECT_EQ(volumes.liveHandles, 1);  // the skipped volume was closed
}

TEST(UsbScsiCmdOpen, ReadsTheIdentifyReplyAsTheRecorderMeansIt) {
    struct Case {
        const char* story;
        Bytes identify;
        bool callOk;
        std::int32_t mode;  // 0: rejected
    };
    Bytes both = bootRomIdentify();
    both[9] = 'Q', both[10] = 'U', both[11] = 'B';
    Bytes lowerTag = updaterIdentify();
    lowerTag[9] = 'q';
    const Case cases[] = {
        {"boot ROM", bootRomIdentify(), true, kModeBootRom},
        {"AA 55 from a failed call is rejected", bootRomIdentify(), false, 0},
        {"AA 55 wins over the tag", both, true, kModeBootRom},
        {"tag from a failed call is rejected", updaterIdentify(), false, 0},
        {"tag is case-sensitive", lowerTag, true, 0},
        {"a reply with no data keeps the preset and is rejected", {}, true, 0},
    };
    for (const auto& c : cases) {
        ScriptedVolumes volumes;
        volumes.volumes['D'] = recorderVolume(0x01, c.identify, c.callOk);
        UsbScsiCmd cmd(volumes);
        EXPECT_EQ(cmd.Open(), c.mode ? 1u : 0u) << c.story;
        EXPECT_EQ(cmd.GetMode(), c.mode) << c.story;
        EXPECT_EQ(cmd.hasHandle(), c.mode != 0) << c.story;
        EXPECT_EQ(volumes.liveHandles, c.mode ? 1 : 0) << c.story;
    }
}

TEST(UsbScsiCmdOpen, EveryIdentifyGoesOutWithAFreshReplyAreaStarting0x33) {
    ScriptedVolumes volumes;
    volumes.volumes['D'] = recorderVolume(0x01, Bytes(16, 0x77));  // rejected, leaves its bytes behind
    volumes.volumes['E'] = recorderVolume(0x01, updaterIdentify());
    std::vector<Bytes> areasHandedOver;
    for (char letter : {'D', 'E'}) {
        auto recorder = volumes.volumes[letter].answer;
        volumes.volumes[letter].answer = [&areasHandedOver, recorder](const ScsiRequest& r) {
            if (r.cdb.size() == 16 && r.cdb[3] == 0x01) areasHandedOver.emplace_back(r.data.begin(), r.data.end());
            return recorder(r);
        };
    }
    UsbScsiCmd cmd(volumes);
    ASSERT_EQ(cmd.Open(), 1u);
    Bytes preset(16, 0);
    preset[0] = 0x33;
    EXPECT_EQ(areasHandedOver, (std::vector<Bytes>{preset, preset}));
}

TEST(UsbScsiCmdOpen, NothingFoundLeavesModeZeroAndNoHandle) {
    ScriptedVolumes volumes;
    volumes.volumes['D'] = ScriptedVolume{false, {}};
    UsbScsiCmd cmd(volumes);
    EXPECT_EQ(cmd.GetMode(), kModeNone);
    EXPECT_EQ(cmd.Open(), 0u);
    EXPECT_EQ(cmd.GetMode(), kModeNone);
    EXPECT_FALSE(cmd.hasHandle());
    EXPECT_EQ(cmd.Close(), 1u);
    std::uint32_t size = 0;
    EXPECT_EQ(cmd.SelectStorage(2, 0, size), 0u);  // no handle, nothing sent
    EXPECT_TRUE(volumes.sent.empty());
}

TEST(UsbScsiCmdOpen, ASecondOpenReleasesTheFirstHandle) {
    ScriptedVolumes volumes;
    volumes.volumes['D'] = recorderVolume(0x01, updaterIdentify());
    UsbScsiCmd cmd(volumes);
    ASSERT_EQ(cmd.Open(), 1u);
    ASSERT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(volumes.liveHandles, 1);
    volumes.volumes['D'].opens = false;
    EXPECT_EQ(cmd.Open(), 0u);
    EXPECT_EQ(volumes.liveHandles, 0);
}

}  // namespace
}  // namespace ib
