// The simulated recorder behind USB Bulk-Only Transport: wrappers byte for
// byte, data phases fitted to the length the host asked for with the residue
// reported, and the status a host needs to fail its call when the recorder
// refuses a command.
#include <gtest/gtest.h>

#include <deque>

#include "sim/gadget/bot_wrappers.h"
#include "sim/gadget/bulk_only_transport.h"
#include "sim/sim_test_support.h"

namespace ib::sim::gadget {
namespace {

using test::ModelHarness;
using test::pattern;
using test::vendorCdb;
using Bytes = std::vector<std::uint8_t>;

Bytes cbwBytes(std::uint32_t tag, std::uint32_t length, bool dataIn, std::span<const std::uint8_t> cdb) {
    Bytes bytes(kCbwLength, 0);
    const std::uint32_t words[] = {kCbwSignature, tag, length};
    for (std::size_t w = 0; w < 3; ++w)
        for (std::size_t i = 0; i < 4; ++i) bytes[4 * w + i] = static_cast<std::uint8_t>(words[w] >> (8 * i));
    bytes[12] = dataIn ? 0x80 : 0x00;
    bytes[14] = static_cast<std::uint8_t>(cdb.size());
    std::copy(cdb.begin(), cdb.end(), bytes.begin() + 15);
    return bytes;
}

Bytes cswBytes(std::uint32_t tag, std::uint32_t residue, CswStatus status) {
    const auto csw = commandStatusWrapper(tag, residue, status);
    return Bytes(csw.begin(), csw.end());
}

// Transfers from the host in order (an empty slot: the link goes down), and what went back.
class ScriptedPipe final : public BulkPipe {
public:
    std::deque<std::optional<Bytes>> fromHost;
    std::vector<Bytes> toHost;
    int halts = 0;

    std::optional<std::size_t> receive(std::span<std::uint8_t> buffer) override {
        if (fromHost.empty()) return std::nullopt;
        const auto transfer = fromHost.front();
        fromHost.pop_front();
        if (!transfer) return std::nullopt;
        const std::size_t n = std::min(transfer->size(), buffer.size());
        std::copy_n(transfer->begin(), n, buffer.begin());
        return n;
    }
    bool send(std::span<const std::uint8_t> bytes) override {
        toHost.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    void halt() override { ++halts; }
};

// A target with a fixed answer that remembers what it was given.
class ScriptedTarget final : public ScsiTarget {
public:
    Bytes reply;
    ScsiResponse response;
    std::function<void()> whileRunning;
    std::vector<Bytes> dataSeen;

    ScsiResponse execute(const ScsiCommand& command) override {
        dataSeen.emplace_back(command.data.begin(), command.data.begin() + command.dataLength);
        std::copy_n(reply.begin(), std::min(reply.size(), command.data.size()), command.data.begin());
        if (whileRunning) whileRunning();
        return response;
    }
};

// The recorder model on the far side of a scripted pipe.
struct TransportRig {
    explicit TransportRig(RecorderMode mode) : model(stateIn(mode)), transport(pipe, model.model, link) {}

    static RecorderState stateIn(RecorderMode mode) {
        RecorderState state;
        state.mode = mode;
        return state;
    }
    // Sends one command with its data-out and serves it; the bytes that went back.
    std::vector<Bytes> serve(std::uint32_t tag, std::uint32_t length, bool dataIn,
                             std::span<const std::uint8_t> cdb, std::optional<Bytes> dataOut = std::nullopt) {
        pipe.toHost.clear();
        pipe.fromHost.push_back(cbwBytes(tag, length, dataIn, cdb));
        if (dataOut) pipe.fromHost.push_back(*dataOut);
        const auto cbw = transport.receiveCommand();
        EXPECT_TRUE(cbw.has_value());
        if (cbw) transport.answer(*cbw);
        return pipe.toHost;
    }

    ModelHarness model;
    ScriptedPipe pipe;
    LinkState link;
    BulkOnlyTransport transport;
};

TEST(BotWrappers, CommandWrapperIsReadFieldByField) {
    const std::uint8_t cdb[10] = {0x28, 0, 0, 0, 0, 8, 0, 0, 8, 0};
    const auto in = parseCommandBlockWrapper(cbwBytes(0x11223344, 4096, true, cdb));
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->tag, 0x11223344u);
    EXPECT_EQ(in->dataTransferLength, 4096u);
    EXPECT_EQ(in->direction, DataDirection::In);
    EXPECT_EQ(Bytes(in->cdb().begin(), in->cdb().end()), Bytes(std::begin(cdb), std::end(cdb)));

    EXPECT_EQ(parseCommandBlockWrapper(cbwBytes(1, 512, false, cdb))->direction, DataDirection::Out);
    // Without data the direction bit means nothing.
    EXPECT_EQ(parseCommandBlockWrapper(cbwBytes(1, 0, true, cdb))->direction, DataDirection::None);
}

TEST(BotWrappers, WrappersThatAreNotValidOrNotMeaningfulAreRejected) {
    const Cdb16 cdb = vendorCdb(VendorCode::Identify);
    const Bytes good = cbwBytes(7, 16, true, cdb);
    ASSERT_TRUE(parseCommandBlockWrapper(good).has_value());

    auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return parseCommandBlockWrapper(bytes).has_value();
    };
    EXPECT_FALSE(changed(0, 'X')) << "signature";
    EXPECT_FALSE(changed(12, 0x81)) << "reserved flag bit";
    EXPECT_FALSE(changed(13, 1)) << "LUN 1 of a device with one LUN";
    EXPECT_FALSE(changed(13, 0x10)) << "reserved bits of the LUN byte";
    EXPECT_FALSE(changed(14, 0)) << "empty command block";
    EXPECT_FALSE(changed(14, 17)) << "command block over 16 bytes";
    EXPECT_FALSE(parseCommandBlockWrapper(std::span(good).first(30)).has_value());
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(parseCommandBlockWrapper(longer).has_value());
}

TEST(BotWrappers, StatusWrapperAndItsStatusForEachKindOfAnswer) {
    EXPECT_EQ(cswBytes(0xA1B2C3D4, 0x200, CswStatus::Failed),
              (Bytes{'U', 'S', 'B', 'S', 0xD4, 0xC3, 0xB2, 0xA1, 0x00, 0x02, 0x00, 0x00, 0x01}));

    EXPECT_EQ(cswStatusFor(goodResponse(4)), CswStatus::Passed);
    // The host completes its call and fetches the sense itself.
    EXPECT_EQ(cswStatusFor(checkCondition(refusal::kInvalidOpcode)), CswStatus::Failed);
    // Only a phase error makes the host reset the device and fail its call.
    EXPECT_EQ(cswStatusFor(hostCallFailure(refusal::kInvalidFieldInCdb)), CswStatus::PhaseError);
}

TEST(BotWrappers, DataInIsPaddedOrCutToWhatTheHostAskedFor) {
    Bytes buffer(8, 0xEE);
    EXPECT_EQ(padDataIn(buffer, 3), 5u);
    EXPECT_EQ(buffer, (Bytes{0xEE, 0xEE, 0xEE, 0, 0, 0, 0, 0}));

    Bytes full(8, 0xEE);
    EXPECT_EQ(padDataIn(full, 8), 0u);
    EXPECT_EQ(padDataIn(full, 100), 0u) << "a longer delivery is cut to the host's length";
    EXPECT_EQ(full, Bytes(8, 0xEE));
}

TEST(BulkOnlyTransport, SectorsWrittenAndReadBackThroughWrappersWithTagsEchoed) {
    TransportRig rig(RecorderMode::Updater);
    const auto select = rig.serve(1, 4, true, vendorCdb(VendorCode::SelectStorage, {2, 0}));
    ASSERT_EQ(select.size(), 2u);
    EXPECT_EQ(littleEndian32(select[0], 0), kDefaultUserSectors);
    EXPECT_EQ(select[1], cswBytes(1, 0, CswStatus::Passed));

    const Bytes sectors = pattern(2, 9);
    const auto write =
        rig.serve(2, 1024, false, vendorCdb(VendorCode::WriteSectors, {0, 0, 0, 5, 0, 2}), sectors);
    EXPECT_EQ(write, std::vector<Bytes>{cswBytes(2, 0, CswStatus::Passed)});

    const auto read = rig.serve(3, 1024, true, vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 5, 0, 2}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], sectors);
    EXPECT_EQ(read[1], cswBytes(3, 0, CswStatus::Passed));
}

TEST(BulkOnlyTransport, ARefusedVendorCommandFailsWithSenseAfterTheWholeDataPhase) {
    TransportRig rig(RecorderMode::BootRom);  // the boot ROM has no storage commands
    const auto read = rig.serve(5, 512, true, vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0, 1}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], Bytes(512, 0)) << "the host still gets the length it asked for";
    EXPECT_EQ(read[1], cswBytes(5, 512, CswStatus::Failed));

    const auto write =
        rig.serve(6, 512, false, vendorCdb(VendorCode::WriteSectors, {0, 0, 0, 0, 0, 1}), pattern(1, 1));
    EXPECT_EQ(write, std::vector<Bytes>{cswBytes(6, 512, CswStatus::Failed)});

    const std::uint8_t requestSense[6] = {0x03, 0, 0, 0, 18, 0};
    const auto sense = rig.serve(7, 18, true, requestSense);
    ASSERT_EQ(sense.size(), 2u);
    EXPECT_EQ(sense[0][2], refusal::kInvalidOpcode.senseKey);
    EXPECT_EQ(sense[0][12], refusal::kInvalidOpcode.asc);
}

TEST(BulkOnlyTransport, AnUnknownStandardCommandFailsWithSenseTheHostCanFetch) {
    TransportRig rig(RecorderMode::Updater);
    const std::uint8_t unknown[6] = {0x01, 0, 0, 0, 0, 0};  // REZERO UNIT, not offered
    EXPECT_EQ(rig.serve(1, 0, false, unknown), std::vector<Bytes>{cswBytes(1, 0, CswStatus::Failed)});

    const std::uint8_t requestSense[6] = {0x03, 0, 0, 0, 18, 0};
    const auto sense = rig.serve(2, 18, true, requestSense);
    ASSERT_EQ(sense.size(), 2u);
    EXPECT_EQ(sense[0][2], refusal::kInvalidOpcode.senseKey);
    EXPECT_EQ(sense[0][12], refusal::kInvalidOpcode.asc);
    EXPECT_EQ(sense[1], cswBytes(2, 0, CswStatus::Passed));
}

TEST(BulkOnlyTransport, AShortReplyIsPaddedAndItsShortfallReportedAsResidue) {
    ScriptedPipe pipe;
    LinkState link;
    ScriptedTarget target;
    target.reply = {1, 2, 3};
    target.response = goodResponse(3);
    BulkOnlyTransport transport(pipe, target, link);
    const std::uint8_t cdb[6] = {0x12, 0, 0, 0, 16, 0};
    pipe.fromHost.push_back(cbwBytes(9, 16, true, cdb));
    transport.answer(*transport.receiveCommand());
    ASSERT_EQ(pipe.toHost.size(), 2u);
    EXPECT_EQ(pipe.toHost[0], (Bytes{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(pipe.toHost[1], cswBytes(9, 13, CswStatus::Passed));
}

TEST(BulkOnlyTransport, NothingRunsOrGoesBackOnceTheLinkIsLost) {
    ScriptedPipe pipe;
    LinkState link;
    ScriptedTarget target;
    BulkOnlyTransport transport(pipe, target, link);
    const auto write = vendorCdb(VendorCode::WriteSectors, {0, 0, 0, 0, 0, 1});

    // The link goes down in the middle of the data-out phase.
    pipe.fromHost = {cbwBytes(1, 512, false, write), std::nullopt};
    EXPECT_FALSE(transport.answer(*transport.receiveCommand()).has_value());
    EXPECT_TRUE(target.dataSeen.empty());

    // The host resets the device while the command runs: its data and status are not sent.
    target.response = goodResponse(512);
    target.whileRunning = [&] { link.reset(); };
    const auto read = vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0, 1});
    pipe.fromHost = {cbwBytes(2, 512, true, read)};
    EXPECT_TRUE(transport.answer(*transport.receiveCommand()).has_value());
    EXPECT_TRUE(pipe.toHost.empty());

    EXPECT_FALSE(transport.receiveCommand().has_value()) << "no transfer: the link is down";
    EXPECT_EQ(pipe.halts, 0);
}

TEST(BulkOnlyTransport, AnInvalidWrapperHaltsBothEndpointsAndRunsNothing) {
    ScriptedPipe pipe;
    LinkState link;
    ScriptedTarget target;
    BulkOnlyTransport transport(pipe, target, link);
    Bytes wrapper = cbwBytes(1, 0, false, vendorCdb(VendorCode::EndSession));
    wrapper.resize(30);
    pipe.fromHost.push_back(wrapper);
    EXPECT_FALSE(transport.receiveCommand().has_value());
    EXPECT_EQ(pipe.halts, 1);
    EXPECT_TRUE(target.dataSeen.empty());
}

TEST(BulkOnlyTransport, AnOversizedDataPhaseIsDrainedOrFilledAndFailedWithoutTheTarget) {
    ScriptedPipe pipe;
    LinkState link;
    ScriptedTarget target;
    BulkOnlyTransport transport(pipe, target, link);
    const auto length = static_cast<std::uint32_t>(kMaxBufferedDataPhase + 1024);
    const auto write = vendorCdb(VendorCode::WriteSectors, {0, 0, 0, 0, 0x02, 0x02});

    pipe.fromHost.push_back(cbwBytes(1, length, false, write));
    for (std::size_t left = length; left > 0; left -= std::min<std::size_t>(left, 64 * 1024))
        pipe.fromHost.push_back(Bytes(std::min<std::size_t>(left, 64 * 1024), 0xAB));
    EXPECT_FALSE(transport.answer(*transport.receiveCommand()).has_value());
    EXPECT_TRUE(pipe.fromHost.empty()) << "every byte the host sent was taken";
    EXPECT_EQ(pipe.toHost, std::vector<Bytes>{cswBytes(1, length, CswStatus::PhaseError)});

    pipe.toHost.clear();
    pipe.fromHost.push_back(
        cbwBytes(2, length, true, vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0x02, 0x02})));
    transport.answer(*transport.receiveCommand());
    std::size_t zeros = 0;
    for (std::size_t i = 0; i + 1 < pipe.toHost.size(); ++i) zeros += pipe.toHost[i].size();
    EXPECT_EQ(zeros, length);
    EXPECT_EQ(pipe.toHost.back(), cswBytes(2, length, CswStatus::PhaseError));
    EXPECT_TRUE(target.dataSeen.empty());
}

}  // namespace
}  // namespace ib::sim::gadget
