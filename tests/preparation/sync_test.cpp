// "Sync. Device": the updater goes to a recorder in its boot ROM, which then
// restarts into the updater; what goes over the wire and what the user sees.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "support/fake_environment.h"
#include "support/fifo_sentinel.h"
#include "support/scripted_volumes.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using test::statusLine;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

// Volumes whose open attempts advance the recorder's restart.
class TickingVolumes final : public VolumeProvider {
public:
    TickingVolumes(VolumeProvider& inner, std::function<void()> tick) : m_inner(inner), m_tick(std::move(tick)) {}
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override {
        if (letter == 'D') m_tick();
        return m_inner.openVolume(letter, whyNot);
    }
    std::string volumeName(char letter) const override { return m_inner.volumeName(letter); }

private:
    VolumeProvider& m_inner;
    std::function<void()> m_tick;
};

class Sync : public ::testing::Test {
protected:
    void bootRomRecorder(int comesBackAfterOpens) {
        volumes.volumes['D'] = test::recorderVolume(0x01, test::bootRomIdentify());
        auto bootRom = volumes.volumes['D'].answer;
        volumes.volumes['D'].answer = [this, bootRom, comesBackAfterOpens](const ScsiRequest& r) {
            auto outcome = bootRom(r);
            if (r.cdb.size() == 16 && r.cdb[3] == 0x03) {
                // The recorder restarts: away for a while, then the updater answers.
                volumes.volumes['D'].opens = false;
                awayLeft = comesBackAfterOpens;
            }
            return outcome;
        };
    }
    // Called through the provider: emulates the recorder returning.
    void tickAway() {
        if (awayLeft > 0 && --awayLeft == 0) volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    }
    Bytes downloaded() const {
        Bytes image;
        for (const auto& s : volumes.sent)
            if (s.cdb.size() == 16 && s.cdb[3] == 0x02) image.insert(image.end(), s.dataOut.begin(), s.dataOut.end());
        return image;
    }
    std::vector<int> downloadChunks() const {
        std::vector<int> chunks;
        for (const auto& s : volumes.sent)
            if (s.cdb.size() == 16 && s.cdb[3] == 0x02) chunks.push_back(s.cdb[4] << 8 | s.cdb[5]);
        return chunks;
    }
    std::uint32_t sync() { return c.run(Operation::Sync, view); }

    int awayLeft = 0;
    test::ScriptedVolumes volumes;
    TickingVolumes ticking{volumes, [this] { tickAway(); }};
    test::ControllerRig rig{ticking};
    CImageBurnerDlg& c = *rig.controller;
    DialogValues view;
};

TEST_F(Sync, ARecorderRunningTheUpdaterIsSyncedWithoutTransfer) {
    volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    EXPECT_EQ(sync(), 1u);
    EXPECT_EQ(rig.port.take(), (Lines{"buttons: off", statusLine(text::kConnecting, 0),
                                      "step: Device Sync. success !!", "buttons: on"}));
    EXPECT_TRUE(downloaded().empty());
}

TEST_F(Sync, AnUnknownStorageNameSendsNothing) {
    view.storageName = "emmc";
    EXPECT_EQ(sync(), 0u);
    EXPECT_EQ(rig.port.take(),
              (Lines{"buttons: off", "box Error Message: Error 0x01: UI parameter error !", "buttons: on"}));
    EXPECT_TRUE(volumes.sent.empty());
}

TEST_F(Sync, NoRecorderIsReported) {
    EXPECT_EQ(sync(), 0u);
    EXPECT_EQ(rig.port.take(), (Lines{"buttons: off", statusLine(text::kConnecting, 0),
                                      "box Error Message: Error 0x02: No QUB device !",
                                      statusLine(text::kRecorderNotFound, 0), "buttons: off"}));
}

TEST_F(Sync, TheUpdaterGoesOutWholeSectorsAndTheRecorderIsWaitedFor) {
    bootRomRecorder(3);
    std::string updater(1000, '\0');
    for (std::size_t i = 0; i < updater.size(); ++i) updater[i] = static_cast<char>(i * 3 + 1);
    rig.workdir.write("updater.bin", updater);

    EXPECT_EQ(sync(), 1u);
    EXPECT_EQ(downloadChunks(), (std::vector<int>{2}));
    Bytes expected(updater.begin(), updater.end());
    expected.resize(1024, 0);
    EXPECT_EQ(downloaded(), expected);
    EXPECT_EQ(rig.port.take(),
              (Lines{"buttons: off", statusLine(text::kConnecting, 0), "step: download the updater.bin .....",
                     statusLine(text::kWaitForRecorder, 100), "step: Device Sync. success !!", "buttons: on"}));
    EXPECT_EQ(c.statusState().restColour, kBlack);
    EXPECT_EQ(rig.clock.totalSleptMs(), 2 * 500);  // two failed reopen attempts
    EXPECT_EQ(c.usbCmd().GetMode(), kModeUpdater);
}

TEST_F(Sync, TheImageHeaderIsNotSent) {
    bootRomRecorder(1);
    std::string updater(18 + 65536, 'u');
    updater[8] = 0x01;
    updater[9] = 0x00;
    rig.workdir.write("updater.bin", updater);
    EXPECT_EQ(sync(), 1u);
    EXPECT_EQ(downloadChunks(), (std::vector<int>{64, 64}));
    EXPECT_EQ(downloaded(), Bytes(65536, 'u'));
}

TEST_F(Sync, AnUpdaterWithNothingAfterItsHeaderFails) {
    for (std::string file : {std::string(18, '\0'), std::string(12, '\0')}) {
        bootRomRecorder(1);
        file[8] = 0x01;
        rig.workdir.write("updater.bin", file);
        EXPECT_EQ(sync(), 0u);
        const Lines lines = rig.port.take();
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[3], "box Error Message: Error 0x03: Download updater.bin error !");
        EXPECT_TRUE(downloaded().empty());
    }
}

TEST_F(Sync, AMissingUpdaterIsAskedForAndCancelFails) {
    bootRomRecorder(1);
    EXPECT_EQ(sync(), 0u);
    ASSERT_EQ(rig.port.choosers.size(), 1u);
    const auto& chooser = rig.port.choosers[0];
    EXPECT_FALSE(chooser.save);
    EXPECT_EQ(chooser.filter, "binary File (*.bin)|*.bin|All File(*.*)|*.*||");
    EXPECT_EQ(chooser.defaultExtension, "bin");
    EXPECT_TRUE(chooser.allowMultiSelect && chooser.pathMustExist);
    EXPECT_EQ(rig.port.take(), (Lines{"buttons: off", statusLine(text::kConnecting, 0),
                                      "step: download the updater.bin .....", "choose open: ",
                                      "box Error Message: Error 0x03: Download updater.bin error !",
                                      statusLine(text::kRecorderNotFound, 0), "buttons: off"}));
}

TEST_F(Sync, AChosenUpdaterIsUsed) {
    bootRomRecorder(1);
    rig.tmpdir.write("elsewhere.bin", std::string(512, 'x'));
    rig.port.answers.push_back((rig.tmpdir / "elsewhere.bin").string());
    EXPECT_EQ(sync(), 1u);
    EXPECT_EQ(downloaded(), Bytes(512, 'x'));
}

TEST_F(Sync, AnUpdaterThatIsNotARegularFileIsAskedFor) {
    rig.tmpdir.write("chosen.bin", std::string(512, 'c'));
    const auto updater = rig.workdir / "updater.bin";
    for (const bool pipe : {false, true}) {
        bootRomRecorder(1);
        volumes.sent.clear();
        std::filesystem::remove_all(updater);
        std::optional<test::FifoSentinel> sentinel;
        if (pipe)
            sentinel.emplace(updater);
        else
            std::filesystem::create_directory(updater);
        rig.port.answers = {(rig.tmpdir / "chosen.bin").string()};
        EXPECT_EQ(sync(), 1u) << (pipe ? "named pipe" : "folder");
        EXPECT_TRUE(rig.port.answers.empty()) << "the chooser was asked";
        EXPECT_EQ(downloaded(), Bytes(512, 'c'));
        EXPECT_FALSE(sentinel && sentinel->wasOpened());
    }
}

TEST_F(Sync, TheUpdaterIsReadOnePieceAtATimeAsItGoesOut) {
    bootRomRecorder(1);
    const auto updater = rig.workdir.write("updater.bin", std::string(2 * 32768, 'a'));
    // The file's second piece changes once the first has gone out: only a
    // download that reads each piece as it sends it carries the new bytes.
    auto bootRom = volumes.volumes['D'].answer;
    volumes.volumes['D'].answer = [updater, bootRom](const ScsiRequest& r) {
        if (r.cdb.size() == 16 && r.cdb[3] == 0x02) {
            std::fstream file(updater, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(32768);
            file << std::string(32768, 'b');
        }
        return bootRom(r);
    };
    EXPECT_EQ(sync(), 1u);
    EXPECT_EQ(downloadChunks(), (std::vector<int>{64, 64}));
    Bytes expected(32768, 'a');
    expected.resize(65536, 'b');
    EXPECT_EQ(downloaded(), expected);
}

TEST_F(Sync, ARecorderThatNeverComesBackIsAFailure) {
    bootRomRecorder(1000);
    rig.workdir.write("updater.bin", std::string(512, 'x'));
    EXPECT_EQ(sync(), 0u);
    EXPECT_EQ(rig.clock.totalSleptMs(), 100 * 500);
    const Lines lines = rig.port.take();
    EXPECT_EQ(lines[4], "box Error Message: Error 0x03: Download updater.bin error !");
    EXPECT_EQ(c.usbCmd().GetMode(), kModeNone);
}

}  // namespace
}  // namespace ib

namespace ib {
namespace {

// A boot ROM whose start command's call fails as the recorder drops off the
// bus, or which refuses the start and stays: told apart by looking again.
class StartRaces : public ::testing::Test {
protected:
    // `leaves`: the recorder goes away on the start command (and is back as
    // updater after two looks); otherwise it refuses and stays in boot ROM.
    void recorder(bool leaves, bool startCallFails, int bootRomStillAnswers = 0) {
        volumes.volumes['D'] = test::recorderVolume(0x01, test::bootRomIdentify());
        auto bootRom = volumes.volumes['D'].answer;
        volumes.volumes['D'].answer = [=, this](const ScsiRequest& r) {
            auto outcome = bootRom(r);
            if (r.cdb.size() == 16 && r.cdb[3] == 0x03) {
                outcome.completed = !startCallFails;
                if (leaves) lookedAt = -bootRomStillAnswers;
            }
            return outcome;
        };
        rig.workdir.write("updater.bin", std::string(512, 'u'));
    }
    // Called on every open of D: after the start, the recorder answers from its
    // boot ROM for a while, then is away for two looks, then runs the updater.
    void look() {
        if (lookedAt == kNotStarted) return;
        if (++lookedAt == 1) volumes.volumes['D'].opens = false;
        if (lookedAt == 3) volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    }

    static constexpr int kNotStarted = -1000;
    int lookedAt = kNotStarted;
    test::ScriptedVolumes volumes;
    class Looking final : public VolumeProvider {
    public:
        explicit Looking(StartRaces& t) : m_t(t) {}
        std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override {
            if (letter == 'D') m_t.look();
            return m_t.volumes.openVolume(letter, whyNot);
        }
        std::string volumeName(char letter) const override { return m_t.volumes.volumeName(letter); }

    private:
        StartRaces& m_t;
    } looking{*this};
    test::ControllerRig rig{looking};
    DialogValues view;
};

TEST_F(StartRaces, AStartCallThatFailsAsTheRecorderLeavesStillSyncs) {
    recorder(true, true);
    EXPECT_EQ(rig.controller->run(Operation::Sync, view), 1u);
    EXPECT_EQ(rig.controller->usbCmd().GetMode(), kModeUpdater);
}

TEST_F(StartRaces, ARefusedStartWithTheBootRomStillThereFailsAtOnce) {
    recorder(false, true);
    EXPECT_EQ(rig.controller->run(Operation::Sync, view), 0u);
    EXPECT_EQ(rig.clock.totalSleptMs(), 0);
}

TEST_F(StartRaces, ABootRomThatHasNotLeftYetIsWaitedFor) {
    recorder(true, false, 2);  // two looks still find the boot ROM
    EXPECT_EQ(rig.controller->run(Operation::Sync, view), 1u);
    EXPECT_EQ(rig.controller->usbCmd().GetMode(), kModeUpdater);
    EXPECT_EQ(rig.clock.totalSleptMs(), 4 * 500);
}

}  // namespace
}  // namespace ib
