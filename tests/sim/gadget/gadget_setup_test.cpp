// What the gadget program is told and tells: its command line, the commands at
// which it misbehaves, and the FunctionFS descriptors of a Bulk-Only mass-storage
// interface.
#include <gtest/gtest.h>

#include "sim/gadget/functionfs_descriptors.h"
#include "sim/gadget/gadget_options.h"
#include "sim/gadget/misbehaviour_plan.h"
#include "sim/sim_test_support.h"

namespace ib::sim::gadget {
namespace {

using test::vendorCdb;

std::optional<GadgetOptions> parse(std::vector<std::string> arguments, std::string& error) {
    return parseGadgetOptions(arguments, error);
}

std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return littleEndian32(bytes, at);
}

TEST(GadgetOptions, StateFolderPlacesAndMisbehavioursAreRead) {
    std::string error;
    const auto options = parse({"/tmp/r", "--udc", "dummy_udc.1", "--name", "rec2", "--serial", "SIM0002",
                                "--stop-answering-at", "0x08", "3", "--unplug-at", "7", "12"},
                               error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->stateFolder, "/tmp/r");
    EXPECT_EQ(options->places.controller, "dummy_udc.1");
    EXPECT_EQ(options->places.name, "rec2");
    EXPECT_EQ(options->serialNumber, "SIM0002");
    ASSERT_EQ(options->misbehaviours.size(), 2u);
    EXPECT_EQ(options->misbehaviours[0].what, Misbehaviour::StopAnswering);
    EXPECT_EQ(options->misbehaviours[0].code, 0x08);
    EXPECT_EQ(options->misbehaviours[0].nth, 3u);
    EXPECT_EQ(options->misbehaviours[1].what, Misbehaviour::Unplug);
    EXPECT_EQ(options->misbehaviours[1].code, 7);
    EXPECT_EQ(options->misbehaviours[1].nth, 12u);
}

TEST(GadgetOptions, TheSerialNumberIsTheOldOneUnlessGiven) {
    std::string error;
    const auto options = parse({"/tmp/r"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->serialNumber, "SIM0001");
    EXPECT_EQ(options->places.controller, "dummy_udc.0");
    EXPECT_EQ(options->places.name, "recorder");
}

TEST(GadgetOptions, MistakesAreRefusedWithTheirReason) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> mistakes = {
        {{}, "no state folder given"},
        {{"/tmp/r", "/tmp/s"}, "more than one state folder given"},
        {{"/tmp/r", "--verbose"}, "unknown option --verbose"},
        {{"/tmp/r", "--udc"}, "--udc needs a value"},
        {{"/tmp/r", "--serial"}, "--serial needs a value"},
        {{"/tmp/r", "--serial", ""},
         "--serial: '' is no USB serial number (1 to 126 printable characters, no spaces)"},
        {{"/tmp/r", "--serial", "SIM 2"},
         "--serial: 'SIM 2' is no USB serial number (1 to 126 printable characters, no spaces)"},
        {{"/tmp/r", "--serial", std::string(127, 'A')},
         "--serial: '" + std::string(127, 'A') + "' is no USB serial number (1 to 126 printable characters, no spaces)"},
        {{"/tmp/r", "--unplug-at", "0x08"}, "--unplug-at needs a value"},
        {{"/tmp/r", "--unplug-at", "0x100", "1"}, "--unplug-at: '0x100' is no vendor command code"},
        {{"/tmp/r", "--unplug-at", "8x", "1"}, "--unplug-at: '8x' is no vendor command code"},
        {{"/tmp/r", "--stop-answering-at", "8", "0"},
         "--stop-answering-at: '0' is no command count (1 is the first)"},
    };
    for (const auto& [arguments, reason] : mistakes) {
        std::string error;
        EXPECT_FALSE(parse(arguments, error).has_value()) << reason;
        EXPECT_EQ(error, reason);
    }
}

TEST(MisbehaviourPlan, FiresOnceAtTheNthVendorCommandOfItsCode) {
    MisbehaviourPlan plan;
    plan.add({Misbehaviour::StopAnswering, 0x08, 2});
    plan.add({Misbehaviour::Unplug, 0x07, 1});
    const auto write = vendorCdb(VendorCode::WriteSectors, {0, 0, 0, 0, 0, 1});
    const auto read = vendorCdb(VendorCode::ReadSectors, {0, 0, 0, 0, 0, 1});
    const std::uint8_t standardWrite[10] = {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0};

    EXPECT_FALSE(plan.decide(write).has_value());
    EXPECT_FALSE(plan.decide(standardWrite).has_value()) << "only vendor blocks count";
    const auto second = plan.decide(write);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->what, Misbehaviour::StopAnswering);
    EXPECT_EQ(describe(*second), "stops answering at WriteSectors #2");
    EXPECT_FALSE(plan.decide(write).has_value()) << "a misbehaviour fires once";

    EXPECT_EQ(plan.decide(read)->what, Misbehaviour::Unplug);
    EXPECT_TRUE(plan.empty());
}

TEST(FunctionFsDescriptors, OneBulkOnlyMassStorageInterfaceAtFullAndHighSpeed) {
    const auto blob = functionFsDescriptors();
    ASSERT_EQ(blob.size(), 20u + 2 * (9 + 7 + 7));
    EXPECT_EQ(le32(blob, 0), 3u) << "descriptors magic, version 2";
    EXPECT_EQ(le32(blob, 4), blob.size());
    EXPECT_EQ(le32(blob, 8), 3u) << "full- and high-speed descriptors";
    EXPECT_EQ(le32(blob, 12), 3u);
    EXPECT_EQ(le32(blob, 16), 3u);
    for (const auto& [at, packet] : {std::pair<std::size_t, unsigned>{20, 64}, {43, 512}}) {
        const std::vector<std::uint8_t> interface(blob.begin() + at, blob.begin() + at + 9);
        EXPECT_EQ(interface, (std::vector<std::uint8_t>{9, 4, 0, 0, 2, 0x08, 0x06, 0x50, 1}));
        const std::vector<std::uint8_t> in(blob.begin() + at + 9, blob.begin() + at + 16);
        const std::vector<std::uint8_t> out(blob.begin() + at + 16, blob.begin() + at + 23);
        const auto lo = static_cast<std::uint8_t>(packet & 0xFF);
        const auto hi = static_cast<std::uint8_t>(packet >> 8);
        EXPECT_EQ(in, (std::vector<std::uint8_t>{7, 5, 0x81, 2, lo, hi, 0}));
        EXPECT_EQ(out, (std::vector<std::uint8_t>{7, 5, 0x02, 2, lo, hi, 0}));
    }

    const auto strings = functionFsStrings();
    EXPECT_EQ(le32(strings, 0), 2u) << "strings magic";
    EXPECT_EQ(le32(strings, 4), strings.size());
    EXPECT_EQ(le32(strings, 8), 1u);
    EXPECT_EQ(le32(strings, 12), 1u);
    const std::string tail(strings.begin() + 16, strings.end());
    EXPECT_EQ(tail, std::string("\x09\x04Mass Storage\0", 15));
}

}  // namespace
}  // namespace ib::sim::gadget
