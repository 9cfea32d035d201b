// Whether the device answered at all: the device's status and sense are
// carried along for the command layer to judge.
#include <gtest/gtest.h>
#include <scsi/sg_pt.h>

#include <array>
#include <cerrno>

#include "platform/linux/sg_outcome.h"

namespace ib::platform {
namespace {

constexpr std::array<std::uint8_t, 32> kSenseArea = {0x70, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x0A,
                                                     0x00, 0x00, 0x00, 0x00, 0x20, 0x00};

PassThroughReport reportOf(int category, int status = 0, int senseLength = 0) {
    PassThroughReport report;
    report.resultCategory = category;
    report.status = status;
    report.senseArea = kSenseArea;
    report.senseLength = senseLength;
    report.requestedLength = 512;
    return report;
}

TEST(SgOutcome, ADeviceThatAnsweredCompletesWhateverItsStatus) {
    EXPECT_TRUE(outcomeOf(reportOf(SCSI_PT_RESULT_GOOD)).completed);
    EXPECT_TRUE(outcomeOf(reportOf(SCSI_PT_RESULT_STATUS, 0x08)).completed);  // BUSY

    const ScsiOutcome checkCondition = outcomeOf(reportOf(SCSI_PT_RESULT_SENSE, 0x02, 18));
    EXPECT_TRUE(checkCondition.completed);
    EXPECT_EQ(checkCondition.status, 0x02);
    ASSERT_EQ(checkCondition.sense.size(), 18u);
    EXPECT_EQ(checkCondition.sense[2], 0x05);  // ILLEGAL REQUEST, kept for diagnostics
    EXPECT_EQ(checkCondition.sense[12], 0x20);
}

TEST(SgOutcome, TransportAndSystemErrorsAreNotCompleted) {
    EXPECT_FALSE(outcomeOf(reportOf(SCSI_PT_RESULT_TRANSPORT_ERR)).completed);  // timeout, reset
    EXPECT_FALSE(outcomeOf(reportOf(SCSI_PT_RESULT_OS_ERR)).completed);         // the device left

    // A command that never reached the device reports nothing from it.
    PassThroughReport refused = reportOf(SCSI_PT_RESULT_GOOD, 0x02, 18);
    refused.submitResult = -ENODEV;
    const ScsiOutcome outcome = outcomeOf(refused);
    EXPECT_FALSE(outcome.completed);
    EXPECT_TRUE(outcome.sense.empty());
    EXPECT_EQ(outcome.transferred, 0u);
    EXPECT_EQ(outcome.callFailure, "No such device");
    refused.submitResult = SCSI_PT_DO_TIMEOUT;
    EXPECT_FALSE(outcomeOf(refused).completed);
    EXPECT_EQ(outcomeOf(refused).callFailure, "the command timed out");
    PassThroughReport lost = reportOf(SCSI_PT_RESULT_OS_ERR);
    lost.osError = EIO;
    EXPECT_EQ(outcomeOf(lost).callFailure, "Input/output error");
    EXPECT_EQ(outcomeOf(reportOf(SCSI_PT_RESULT_GOOD)).callFailure, "");
}

TEST(SgOutcome, TransferredIsTheRequestLessTheResidue) {
    PassThroughReport report = reportOf(SCSI_PT_RESULT_GOOD);
    EXPECT_EQ(outcomeOf(report).transferred, 512u);
    report.residue = 476;
    EXPECT_EQ(outcomeOf(report).transferred, 36u);
    // Values out of range never produce more than was asked or a wrapped count.
    report.residue = 4096;
    EXPECT_EQ(outcomeOf(report).transferred, 0u);
    report.residue = -5;
    EXPECT_EQ(outcomeOf(report).transferred, 512u);
}

TEST(SgOutcome, SenseAndStatusStayWithinTheirRanges) {
    EXPECT_EQ(outcomeOf(reportOf(SCSI_PT_RESULT_SENSE, 0x02, 200)).sense.size(), kSenseArea.size());
    EXPECT_TRUE(outcomeOf(reportOf(SCSI_PT_RESULT_SENSE, 0x02, -1)).sense.empty());
    EXPECT_EQ(outcomeOf(reportOf(SCSI_PT_RESULT_GOOD, -1)).status, 0);
}

}  // namespace
}  // namespace ib::platform
