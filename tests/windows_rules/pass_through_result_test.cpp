// The Windows pass-through's request fields and how its replies read.
#include <gtest/gtest.h>

#include <vector>

#include "device/scsi_status_rule.h"
#include "platform/windows/pass_through_result.h"

namespace ib::platform {
namespace {

const std::uint8_t kVendorBlock[16] = {0xFA, 0x55, 0x66, 0x01};
const std::uint8_t kInquiry[6] = {0x12, 0, 0, 0, 0x24, 0};

TEST(PassThroughFieldsTable, EachKindFillsItsHeader) {
    std::vector<std::uint8_t> data(kBufferedDataBytes + 1);
    const auto span = [&](std::size_t n) { return std::span<std::uint8_t>(data.data(), n); };
    struct Case {
        ScsiRequest request;
        std::optional<PassThroughFields> expected;
    };
    const Case cases[] = {
        {{kInquiry, DataDirection::In, span(36), 2, TransferKind::Buffered}, PassThroughFields{false, 1, 6, 1, 36, 2}},
        {{kVendorBlock, DataDirection::None, {}, 2, TransferKind::Buffered}, PassThroughFields{false, 1, 16, 1, 0, 2}},
        {{kVendorBlock, DataDirection::Out, span(512), 10, TransferKind::Direct},
         PassThroughFields{true, 1, 16, 0, 512, 10}},
        {{kVendorBlock, DataDirection::None, {}, 10, TransferKind::Direct}, PassThroughFields{true, 1, 16, 0, 0, 10}},
        {{kVendorBlock, DataDirection::In, span(kBufferedDataBytes), 2, TransferKind::Buffered},
         PassThroughFields{false, 1, 16, 1, 65536, 2}},
        {{kVendorBlock, DataDirection::In, span(kBufferedDataBytes + 1), 2, TransferKind::Buffered}, std::nullopt},
        {{kVendorBlock, DataDirection::In, span(16), 10, TransferKind::Direct}, std::nullopt},
        {{kVendorBlock, DataDirection::Out, span(16), 2, TransferKind::Buffered}, std::nullopt},
        {{std::span(kVendorBlock, 10), DataDirection::None, {}, 2, TransferKind::Buffered}, std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto fields = passThroughFields(cases[i].request);
        ASSERT_EQ(fields.has_value(), cases[i].expected.has_value()) << "case " << i;
        if (!fields) continue;
        const auto& e = *cases[i].expected;
        EXPECT_EQ(fields->direct, e.direct) << "case " << i;
        EXPECT_EQ(fields->targetId, e.targetId) << "case " << i;
        EXPECT_EQ(fields->cdbLength, e.cdbLength) << "case " << i;
        EXPECT_EQ(fields->dataIn, e.dataIn) << "case " << i;
        EXPECT_EQ(fields->dataTransferLength, e.dataTransferLength) << "case " << i;
        EXPECT_EQ(fields->timeOutValue, e.timeOutValue) << "case " << i;
    }
}

TEST(PassThroughReplies, ASucceededCallCarriesTheDevicesAnswerForTheCommandLayerToJudge) {
    const std::vector<std::uint8_t> sense{0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x24};
    const ScsiOutcome checkCondition = outcomeOf({true, 0x02, 3, sense, 16, 16, {}});
    EXPECT_TRUE(checkCondition.completed);
    EXPECT_EQ(checkCondition.status, 0x02);
    EXPECT_EQ(checkCondition.sense, (std::vector<std::uint8_t>{0x70, 0, 0x05}));
    EXPECT_EQ(checkCondition.transferred, 16u);
    // DeviceIoControl succeeds for a refused command; the command still fails.
    const StatusJudgement refused = judgeOutcome(outcomeOf({true, 0x02, 18, sense, 0, 512, {}}), ScsiStatusRule::Checked);
    EXPECT_EQ(refused.verdict, CommandVerdict::Failed);
    EXPECT_EQ(refused.answer, "CHECK CONDITION, ILLEGAL REQUEST, invalid field in CDB (sense key 5h, ASC 24h, ASCQ 00h)");

    const ScsiOutcome longerThanAsked = outcomeOf({true, 0, 40, sense, 99, 36, {}});
    EXPECT_EQ(longerThanAsked.sense.size(), sense.size());
    EXPECT_EQ(longerThanAsked.transferred, 36u);

    const ScsiOutcome failed = outcomeOf({false, 0x02, 3, sense, 16, 16, "The device is not ready."});
    EXPECT_FALSE(failed.completed);
    EXPECT_TRUE(failed.sense.empty());
    EXPECT_EQ(failed.transferred, 0u);
    EXPECT_EQ(failed.callFailure, "The device is not ready.");
}

}  // namespace
}  // namespace ib::platform
