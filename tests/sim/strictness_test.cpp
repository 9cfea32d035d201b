// The recorder model refuses every malformed or misplaced command block with
// CHECK CONDITION, while the standard commands a kernel sends
// behave like an ordinary small USB disk.
#include <gtest/gtest.h>

#include "sim/vendor_command_rules.h"
#include "sim_test_support.h"

namespace ib::sim::test {
namespace {

struct WellFormed {
    Cdb16 cdb;
    DataDirection direction;
    std::size_t length;
    std::size_t firstUnusedByte;  // this byte and all after it must be 0
};

// A block of each code that the recorder accepts in a prepared harness.
WellFormed wellFormed(VendorCode code) {
    switch (code) {
    case VendorCode::Identify:
        return {vendorCdb(code), DataDirection::In, 16, 4};
    case VendorCode::Download:
        return {vendorCdb(code, {0, 1}), DataDirection::Out, 512, 6};
    case VendorCode::ReadRegister:
        return {vendorCdb(code, {0x80, 0, 0x8C, 0}), DataDirection::In, 1, 8};
    case VendorCode::WriteRegister:
        return {vendorCdb(code, {0x80, 0, 0x8C, 0, 0x5A}), DataDirection::None, 0, 9};
    case VendorCode::SelectStorage:
        return {vendorCdb(code, {2, 1}), DataDirection::In, 4, 6};
    case VendorCode::ReadSectors:
        return {vendorCdb(code, {0, 0, 0, 0, 0, 1}), DataDirection::In, 512, 10};
    case VendorCode::WriteSectors:
        return {vendorCdb(code, {0, 0, 0, 0, 0, 1}), DataDirection::Out, 512, 10};
    case VendorCode::SetBootSize:
        return {vendorCdb(code, {0, 0, 0x20, 0}), DataDirection::None, 0, 8};
    default:
        return {vendorCdb(code), DataDirection::None, 0, 4};
    }
}

const VendorCode kAllCodes[] = {
    VendorCode::Identify,       VendorCode::Download,       VendorCode::StartDownloaded,
    VendorCode::ReadRegister,   VendorCode::WriteRegister,  VendorCode::SelectStorage,
    VendorCode::ReadSectors,    VendorCode::WriteSectors,   VendorCode::SetBootSize,
    VendorCode::FormatUserArea, VendorCode::LowLevelFormat, VendorCode::EndSession};

// A harness in a mode where `code` works, with RAM loaded and a storage area selected.
std::unique_ptr<ModelHarness> preparedFor(VendorCode code) {
    const VendorCommandRule* rule = findVendorRule(static_cast<std::uint8_t>(code));
    RecorderState state;
    state.mode = rule->inUpdater ? RecorderMode::Updater : RecorderMode::BootRom;
    auto h = std::make_unique<ModelHarness>(state);
    if (state.mode == RecorderMode::BootRom)
        EXPECT_TRUE(h->runOut(vendorCdb(VendorCode::Download, {0, 1}), pattern(1, 1)).good());
    else
        EXPECT_TRUE(h->run(vendorCdb(VendorCode::SelectStorage, {0, 0}), DataDirection::In, 4).good());
    return h;
}

// Refused as a device refuses: CHECK CONDITION with sense, through a host call
// that completes, unless the transport breaks (a data phase the command cannot have).
enum class HostCall { Completes, Fails };

void expectRefusal(const ScsiResponse& r, std::pair<int, int> sense, const std::string& what,
                   HostCall call = HostCall::Completes) {
    EXPECT_FALSE(r.good()) << what;
    EXPECT_EQ(r.failHostCall, call == HostCall::Fails) << what;
    EXPECT_EQ(r.status, kStatusCheckCondition) << what;
    EXPECT_EQ(senseOf(r), sense) << what;
}

TEST(VendorStrictness, EveryCodeIsAcceptedWellFormedAndRefusedWithAnyUnusedByteSet) {
    for (VendorCode code : kAllCodes) {
        const WellFormed ok = wellFormed(code);
        const std::string name = "code 0x" + std::to_string(static_cast<int>(code));
        EXPECT_TRUE(preparedFor(code)->run(ok.cdb, ok.direction, ok.length).good()) << name;
        for (std::size_t byte = ok.firstUnusedByte; byte < 16; ++byte) {
            Cdb16 cdb = ok.cdb;
            cdb[byte] = 0x01;
            auto h = preparedFor(code);
            expectRefusal(h->run(cdb, ok.direction, ok.length), {0x05, 0x24},
                                  name + " byte " + std::to_string(byte));
            EXPECT_EQ(h->model.commandLog().back().substr(h->model.commandLog().back().size() - 4), "fail");
        }
    }
}

TEST(VendorStrictness, WrongSignatureUnknownCodesAndShortBlocksAreRefused) {
    ModelHarness h;
    Cdb16 cdb = vendorCdb(VendorCode::Identify);
    cdb[2] = 0x67;
    expectRefusal(h.run(cdb, DataDirection::In, 16), {0x05, 0x20}, "signature");
    for (std::uint8_t code : {0x00, 0x0B, 0x0C, 0x0E, 0xDC, 0xFF}) {
        Cdb16 unknown = vendorCdb(VendorCode::Identify);
        unknown[3] = code;
        expectRefusal(h.run(unknown, DataDirection::None, 0), {0x05, 0x20},
                              "code " + std::to_string(code));
    }
    const std::uint8_t shortBlock[10] = {0xFA, 0x55, 0x66, 0x01};
    expectRefusal(h.run(shortBlock, DataDirection::In, 16), {0x05, 0x20}, "10-byte block");
}

TEST(VendorStrictness, TheDataPhaseMustMatchTheCommand) {
    struct Case {
        VendorCode code;
        DataDirection direction;
        std::size_t length;
    };
    const Case cases[] = {
        {VendorCode::Identify, DataDirection::In, 15},
        {VendorCode::Identify, DataDirection::In, 17},
        {VendorCode::Identify, DataDirection::Out, 16},
        {VendorCode::Identify, DataDirection::None, 0},
        {VendorCode::ReadRegister, DataDirection::In, 2},
        {VendorCode::SelectStorage, DataDirection::None, 0},
        {VendorCode::ReadSectors, DataDirection::Out, 512},
        {VendorCode::ReadSectors, DataDirection::In, 1024},
        {VendorCode::WriteSectors, DataDirection::In, 512},
        {VendorCode::Download, DataDirection::Out, 1024},
        {VendorCode::WriteRegister, DataDirection::In, 1},
        {VendorCode::EndSession, DataDirection::Out, 512},
        {VendorCode::SetBootSize, DataDirection::In, 4},
    };
    for (const Case& c : cases) {
        auto h = preparedFor(c.code);
        expectRefusal(h->run(wellFormed(c.code).cdb, c.direction, c.length), {0x0B, 0x4B},
                      "code " + std::to_string(static_cast<int>(c.code)) + " length " + std::to_string(c.length),
                      HostCall::Fails);
    }
}

TEST(VendorStrictness, NoTransferExceedsOneHundredTwentyEightSectors) {
    auto h = preparedFor(VendorCode::ReadSectors);
    expectRefusal(h->run(vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0, 129}), DataDirection::In,
                                 129 * kSectorSize),
                          {0x05, 0x24}, "read 129");
    EXPECT_TRUE(
        h->run(vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0, 128}), DataDirection::In, 128 * kSectorSize)
            .good());
    expectRefusal(
        h->runOut(vendorCdb(VendorCode::WriteSectors, {0, 0, 0, 0, 0, 129}), pattern(129, 0)), {0x05, 0x24},
        "write 129");
}

TEST(StandardCommands, AnswerLikeASmallDiskAndReportTheLastSense) {
    ModelHarness h;
    const std::uint8_t testUnitReady[6] = {0x00};
    EXPECT_TRUE(h.run(testUnitReady, DataDirection::None, 0).good());

    const std::uint8_t readCapacity[10] = {0x25};
    ASSERT_TRUE(h.run(readCapacity, DataDirection::In, 8).good());
    EXPECT_EQ(h.buffer, (std::vector<std::uint8_t>{0, 0, 0x07, 0xFF, 0, 0, 0x02, 0x00}));

    const std::uint8_t read10[10] = {0x28, 0, 0, 0, 0x07, 0xFF, 0, 0, 1, 0};
    const ScsiResponse read = h.run(read10, DataDirection::In, 512);
    EXPECT_TRUE(read.good());
    EXPECT_EQ(read.delivered, 512u);
    const std::uint8_t readPastEnd[10] = {0x28, 0, 0, 0, 0x07, 0xFF, 0, 0, 2, 0};
    EXPECT_EQ(senseOf(h.run(readPastEnd, DataDirection::In, 1024)), (std::pair{0x05, 0x21}));

    const std::uint8_t modeSense[6] = {0x1A, 0, 0x3F, 0, 192, 0};
    const ScsiResponse mode = h.run(modeSense, DataDirection::In, 192);
    EXPECT_TRUE(mode.good());
    EXPECT_EQ(mode.delivered, 4u);
    const std::uint8_t preventAllow[6] = {0x1E, 0, 0, 0, 1, 0};
    EXPECT_TRUE(h.run(preventAllow, DataDirection::None, 0).good());

    // Anything else: ILLEGAL REQUEST, invalid opcode, but the host call completes.
    const std::uint8_t write10[10] = {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    const ScsiResponse refused = h.run(write10, DataDirection::Out, 512);
    EXPECT_EQ(refused.status, kStatusCheckCondition);
    EXPECT_FALSE(refused.failHostCall);
    EXPECT_EQ(senseOf(refused), (std::pair{0x05, 0x20}));

    const std::uint8_t requestSense[6] = {0x03, 0, 0, 0, 18, 0};
    ASSERT_TRUE(h.run(requestSense, DataDirection::In, 18).good());
    EXPECT_EQ(h.buffer[0], 0x70);
    EXPECT_EQ(h.buffer[2], 0x05);
    EXPECT_EQ(h.buffer[7], 10);
    EXPECT_EQ(h.buffer[12], 0x20);
    ASSERT_TRUE(h.run(requestSense, DataDirection::In, 18).good());
    EXPECT_EQ(h.buffer[2], 0x00);  // reported once, then NO SENSE

    // The sense of a refused vendor command is kept too.
    h.run(vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0, 1}), DataDirection::In, 512);
    ASSERT_TRUE(h.run(requestSense, DataDirection::In, 18).good());
    EXPECT_EQ(h.buffer[12], 0x20);  // the boot ROM does not know ReadSectors
}

}  // namespace
}  // namespace ib::sim::test
