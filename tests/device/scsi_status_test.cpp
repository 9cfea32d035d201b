// A command the recorder refused is not reported as done: how status and sense
// are judged, what the command layer does with the verdict, and the check for
// a file system on the storage before it is written.
#include <gtest/gtest.h>

#include "device/scsi_status_rule.h"
#include "device/usb_scsi_cmd.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kCheckCondition = 0x02;

Bytes fixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    Bytes sense(18, 0);
    sense[0] = 0x70, sense[2] = key, sense[7] = 10, sense[12] = asc, sense[13] = ascq;
    return sense;
}

ScsiOutcome answered(std::uint8_t status, Bytes sense = {}) { return {true, status, std::move(sense), 0, {}}; }

TEST(ScsiStatusRule, CheckConditionFailsExceptUnitAttentionAndRecoveredError) {
    struct Case {
        const char* story;
        ScsiOutcome outcome;
        ScsiStatusRule rule;
        CommandVerdict verdict;
        const char* answer;
    };
    const Case cases[] = {
        {"failed call", {}, ScsiStatusRule::Checked, CommandVerdict::Failed, ""},
        {"GOOD", answered(0), ScsiStatusRule::Checked, CommandVerdict::Succeeded, ""},
        {"refused", answered(kCheckCondition, fixedSense(0x05, 0x24, 0x00)), ScsiStatusRule::Checked,
         CommandVerdict::Failed, "CHECK CONDITION, ILLEGAL REQUEST, invalid field in CDB (sense key 5h, ASC 24h, ASCQ 00h)"},
        {"reset, descriptor-format sense", answered(kCheckCondition, {0x72, 0x06, 0x29, 0x00, 0, 0, 0, 0}),
         ScsiStatusRule::Checked, CommandVerdict::SendOnceMore,
         "CHECK CONDITION, UNIT ATTENTION, power on, reset, or bus device reset occurred (sense key 6h, ASC 29h, ASCQ 00h)"},
        {"recovered", answered(kCheckCondition, fixedSense(0x01, 0x5D, 0x00)), ScsiStatusRule::Checked,
         CommandVerdict::Succeeded, "CHECK CONDITION, RECOVERED ERROR (sense key 1h, ASC 5Dh, ASCQ 00h)"},
        {"no sense data", answered(kCheckCondition, {0x00, 0x00}), ScsiStatusRule::Checked, CommandVerdict::Failed,
         "CHECK CONDITION without sense data"},
        {"busy", answered(0x08), ScsiStatusRule::Checked, CommandVerdict::Failed, "status BUSY (08h)"},
        {"ignored status", answered(kCheckCondition, fixedSense(0x05, 0x20, 0x00)), ScsiStatusRule::CallOnly,
         CommandVerdict::Succeeded, ""},
        {"ignored, failed call", {}, ScsiStatusRule::CallOnly, CommandVerdict::Failed, ""},
    };
    for (const Case& c : cases) {
        const StatusJudgement judgement = judgeOutcome(c.outcome, c.rule);
        EXPECT_EQ(judgement.verdict, c.verdict) << c.story;
        EXPECT_EQ(judgement.answer, c.answer) << c.story;
    }
}

// An opened recorder whose commands after Open are answered by `reply`.
class JudgedRecorder : public ::testing::Test {
protected:
    void SetUp() override {
        volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
        const auto recorder = volumes.volumes['D'].answer;
        volumes.volumes['D'].answer = [this, recorder](const ScsiRequest& r) {
            const bool vendorCommand = r.cdb.size() == 16 && r.cdb[3] != 0x01;
            if (!vendorCommand || replies.empty()) return recorder(r);
            ScsiOutcome next = replies.front();
            replies.erase(replies.begin());
            return next;
        };
        cmd.setRefusalObserver([this](RefusalKind kind, const std::string& text) { refusals.push_back({kind, text}); });
        ASSERT_EQ(cmd.Open(), 1u);
        volumes.sent.clear();
    }

    test::ScriptedVolumes volumes;
    UsbScsiCmd cmd{volumes};
    std::vector<ScsiOutcome> replies;  // for the next commands, in order; then GOOD
    std::vector<std::pair<RefusalKind, std::string>> refusals;
    const Bytes sector = Bytes(512, 0x5A);
};

TEST_F(JudgedRecorder, ARefusedWriteFailsAndSaysWhyUnlessTheStatusIsIgnored) {
    replies = {answered(kCheckCondition, fixedSense(0x05, 0x21, 0x00))};
    EXPECT_EQ(cmd.WriteSectors(7, 1, sector), 0u);
    EXPECT_EQ(refusals, (std::vector<std::pair<RefusalKind, std::string>>{
                            {RefusalKind::RecorderAnswer,
                             "WriteSectors refused: CHECK CONDITION, ILLEGAL REQUEST, logical block address out of "
                             "range (sense key 5h, ASC 21h, ASCQ 00h)"}}));

    cmd.setStatusRule(ScsiStatusRule::CallOnly);
    replies = {answered(kCheckCondition, fixedSense(0x05, 0x21, 0x00))};
    EXPECT_EQ(cmd.WriteSectors(7, 1, sector), 1u);
    EXPECT_EQ(refusals.size(), 1u);
    EXPECT_EQ(volumes.sent.size(), 2u);  // no command was sent twice
}

TEST_F(JudgedRecorder, AFailedCallIsLoggedInTheSystemsWordsWhereItGaveAny) {
    ScsiOutcome lost;
    lost.callFailure = "No such device";
    replies = {lost, ScsiOutcome{}};
    EXPECT_EQ(cmd.WriteSectors(7, 1, sector), 0u);
    EXPECT_EQ(cmd.WriteSectors(7, 1, sector), 0u);  // a carrier that gives no words adds no line
    EXPECT_EQ(refusals, (std::vector<std::pair<RefusalKind, std::string>>{
                            {RefusalKind::CallFailed, "WriteSectors failed: No such device"}}));
}

TEST_F(JudgedRecorder, AUnitAttentionSendsTheCommandOnceMore) {
    const ScsiOutcome reset = answered(kCheckCondition, fixedSense(0x06, 0x29, 0x00));
    replies = {reset};
    EXPECT_EQ(cmd.WriteSectors(7, 1, sector), 1u);
    EXPECT_EQ(volumes.sent.size(), 2u);

    replies = {reset, reset};  // a device that keeps resetting fails the command
    std::uint8_t value = 7;
    EXPECT_EQ(cmd.ReadRegister(0x10, value), 0u);
    EXPECT_EQ(volumes.sent.size(), 4u);
    EXPECT_EQ(value, 7);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_TRUE(refusals[0].second.starts_with("ReadRegister refused: CHECK CONDITION, UNIT ATTENTION"));
}

TEST_F(JudgedRecorder, OpensScanLetsTheIdentifyReplyDecide) {
    // A boot ROM that answers Identify with its reply and CHECK CONDITION is still taken.
    const auto recorder = test::recorderVolume(0x01, test::bootRomIdentify()).answer;
    volumes.volumes['D'].answer = [recorder](const ScsiRequest& r) {
        ScsiOutcome out = recorder(r);
        if (r.cdb.size() == 16) out.status = kCheckCondition, out.sense = fixedSense(0x05, 0x20, 0x00);
        return out;
    };
    EXPECT_EQ(cmd.Open(), 1u);
    EXPECT_EQ(cmd.GetMode(), kModeBootRom);
    EXPECT_TRUE(refusals.empty());
}

TEST_F(JudgedRecorder, StorageUnderAMountedFileSystemIsNotWritten) {
    volumes.volumes['D'].storageInUse = "mounted at /media/rec";
    Bytes read(512);
    EXPECT_EQ(cmd.WriteSectors(0, 1, sector) + cmd.FormatUserArea() + cmd.LowLevelFormat() + cmd.SetBootSize(8192), 0u);
    EXPECT_TRUE(volumes.sent.empty());
    EXPECT_EQ(refusals.at(0), (std::pair<RefusalKind, std::string>{RefusalKind::StorageInUse, "mounted at /media/rec"}));
    EXPECT_EQ(cmd.ReadSectors(0, 1, read), 1u);  // reading goes on

    // Unmounted: the handle is asked once, and again for the next handle only.
    volumes.volumes['D'].storageInUse.clear();
    ASSERT_EQ(cmd.Open(), 1u);
    const int asked = volumes.storageWritePreparations;
    EXPECT_EQ(cmd.WriteSectors(0, 1, sector), 1u);
    EXPECT_EQ(cmd.FormatUserArea(), 1u);
    EXPECT_EQ(volumes.storageWritePreparations, asked + 1);
}

// A mounted storage is unmounted only when the user says so, and only a mount
// is offered: another hold on the storage is refused without a question.
TEST_F(JudgedRecorder, AMountedStorageIsUnmountedOnlyWhenTheUserSaysSo) {
    struct Case {
        const char* name;
        bool mounted;
        bool answer;
        const char* unmountFails;
        int questions, unmounts;
        bool written;
        const char* refusal;
    };
    const Case cases[] = {
        {"declined", true, false, "", 1, 0, false, "mounted at /media/rec"},
        {"agreed", true, true, "", 1, 1, true, ""},
        {"agreed, udisks said no", true, true, "udisksctl unmount -b /dev/sdb1 ended with exit status 1", 1, 1,
         false,
         "The recorder's storage could not be unmounted (udisksctl unmount -b /dev/sdb1 ended with exit status "
         "1). mounted at /media/rec"},
        {"held otherwise", false, true, "", 0, 0, false, "mounted at /media/rec"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(cmd.Open(), 1u);
        volumes.volumes['D'].storageInUse = "mounted at /media/rec";
        volumes.volumes['D'].storageMounted = c.mounted;
        volumes.volumes['D'].unmountFails = c.unmountFails;
        volumes.unmounts = 0;
        refusals.clear();
        std::vector<std::string> asked;
        cmd.setUnmountDecision([&](const std::string& refusal) {
            asked.push_back(refusal);
            return c.answer;
        });
        EXPECT_EQ(cmd.WriteSectors(0, 1, sector), c.written ? 1u : 0u);
        EXPECT_EQ(asked, std::vector<std::string>(c.questions, "mounted at /media/rec"));
        EXPECT_EQ(volumes.unmounts, c.unmounts);
        if (c.written)
            EXPECT_TRUE(refusals.empty());
        else
            EXPECT_EQ(refusals.at(0), (std::pair<RefusalKind, std::string>{RefusalKind::StorageInUse, c.refusal}));
    }
}

}  // namespace
}  // namespace ib
