// A bus of simulated recorders as several programs see it: a program holds
// only the recorder it opened, recorders that would be taken for one another
// are refused, and serials are listed as the recorders report them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

#include "cli/cli_runner.h"
#include "seams/clock.h"
#include "sim/simulator_rack.h"
#include "support/temp_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

using Result = test::CliResult;

class SimulatedBus : public ::testing::Test {
protected:
    static Result cli(std::vector<std::string> args) { return test::runCli(std::move(args)); }
    // A recorder in `bus/name`.
    void init(const std::string& name, const std::string& port, const std::string& serial) {
        ASSERT_EQ(cli({"sim", "init", (bus / name).string(), "--port", port, "--serial", serial}).status, 0);
    }
    bool reached(const std::string& name) const { return fs::file_size(bus / name / "commands.log") > 0; }

    test::TempFolder bus;
};

TEST_F(SimulatedBus, AProgramHoldsOnlyTheRecorderItOpened) {
    init("a", "1-1", "S1");
    init("b", "1-2", "S2");
    ManualClock clock;
    std::string error;
    const auto other = sim::SimulatorRack::open({bus.path()}, clock, error);  // another program on the bus
    ASSERT_TRUE(other) << error;
    EXPECT_EQ(cli({"--sim", bus.path().string(), "list"}).out,
              "1-1  serial S1  boot ROM  D:  free\n1-2  serial S2  boot ROM  E:  free\n2 recorders found.\n");

    ASSERT_TRUE(other->openVolume('E'));  // it takes 1-2
    const std::string inUse = "The recorder is in use by another program (pid " + std::to_string(::getpid()) + ").";
    EXPECT_EQ(cli({"--sim", bus.path().string(), "list"}).out,
              "1-1  serial S1  boot ROM  D:  free\n1-2  serial S2  boot ROM  E:  " + inUse + "\n2 recorders found.\n");
    EXPECT_EQ(cli({"--sim", bus.path().string(), "--recorder", "1-1", "probe"}).status, 0);
    const Result held = cli({"--sim", bus.path().string(), "--recorder", "1-2", "probe"});
    EXPECT_EQ(held.status, 1);
    EXPECT_TRUE(held.out.ends_with("\n" + inUse + "\n")) << held.out;  // and nothing about finding no recorder
    EXPECT_FALSE(reached("b"));
}

TEST_F(SimulatedBus, RecordersThatWouldBeTakenForOneAnotherAreRefused) {
    const struct {
        const char* portB;
        const char* serialB;
        std::string shared;
    } rows[] = {
        {"1-1", "S2", " are both on USB port 1-1: give each its own port (sim init --port"},
        {"1-2", "S1", " both report serial S1: give each its own serial (sim init --serial"},
        {"1-1", "S1", " are both on USB port 1-1 and both report serial S1: give each its own port and serial"},
    };
    init("a", "1-1", "S1");
    for (const auto& row : rows) {
        ASSERT_EQ(cli({"sim", "init", (bus / "b").string(), "--port", row.portB, "--serial", row.serialB, "--force"})
                      .status,
                  0);
        for (const auto& given : {std::vector<std::string>{bus.path().string()},
                                  std::vector<std::string>{(bus / "a").string(), "--sim", (bus / "b").string()}}) {
            std::vector<std::string> args{"--sim"};
            args.insert(args.end(), given.begin(), given.end());
            args.insert(args.end(), {"--recorder", "S", "probe"});
            const Result r = cli(args);
            EXPECT_EQ(r.status, 2) << row.shared;
            EXPECT_TRUE(r.err.starts_with("The simulated recorders in " + (bus / "a").string() + " and " +
                                          (bus / "b").string() + row.shared))
                << r.err;
        }
        EXPECT_FALSE(reached("a") || reached("b"));
    }
    // One folder named twice is one recorder.
    const Result twice = cli({"--sim", (bus / "a").string(), "--sim", (bus / "a").string(), "list"});
    EXPECT_EQ(twice.out, "1-1  serial S1  boot ROM  D:  free\n1 recorder found.\n") << twice.err;
}

TEST_F(SimulatedBus, SerialsAreListedWholeWithQuotesBackslashesAndControlsEscapedInJson) {
    init("a", "1-1", "Q\"x\\y\\");
    const fs::path ini = bus / "a" / "recorder.ini";
    std::stringstream text;
    text << std::ifstream(ini).rdbuf();
    std::string edited = text.str();
    edited.replace(edited.find("serial = "), 9, "serial = \x01");
    std::ofstream(ini) << edited;

    EXPECT_EQ(cli({"--sim", bus.path().string(), "list"}).out,
              "1-1  serial \x01Q\"x\\y\\  boot ROM  D:  free\n1 recorder found.\n");
    EXPECT_EQ(cli({"--sim", bus.path().string(), "list", "--json"}).out,
              "{\"recorders\": [{\"port\": \"1-1\", \"serial\": \"\\u0001Q\\\"x\\\\y\\\\\", \"mode\": \"boot ROM\", "
              "\"letter\": \"D\", \"held\": false}], \"count\": 1}\n");
}

}  // namespace
}  // namespace ib
