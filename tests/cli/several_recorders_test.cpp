// A bench with several recorders: each named by its USB port and serial, a
// command talks only to the one chosen, and without a choice nothing is sent.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "cli/recorder_bench.h"
#include "sim/state_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

using test::kBench;
using test::Result;
using test::sessionsEnded;
using test::tableRows;
using test::waitFor;
using test::writesStarted;
using SeveralRecorders = test::RecorderBench;

TEST_F(SeveralRecorders, ListNamesEachRecorderByPortSerialModeAndLetter) {
    const Result plain = cli({"--sim", bus.path().string(), "list"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out,
              "1-1  serial SIM0001  boot ROM  D:  free\n"
              "1-2  serial SIM0002  boot ROM  E:  free\n"
              "1-3.1  serial XYZ7  boot ROM  F:  free\n"
              "3 recorders found.\n");
    const Result json = cli({"--sim", folder("b"), "list", "--json"});
    EXPECT_EQ(json.out,
              "{\"recorders\": [{\"port\": \"1-2\", \"serial\": \"SIM0002\", \"mode\": \"boot ROM\", "
              "\"letter\": \"D\", \"held\": false}], \"count\": 1}\n");
    for (const auto& r : kBench) EXPECT_FALSE(reached(r.name)) << r.name;
}

TEST_F(SeveralRecorders, ARecorderAnotherProgramHoldsIsListedAsHeldAndSentNothing) {
    std::string error;
    const auto held = sim::StateFolder::open(at("b"), error);  // another program has recorder b
    ASSERT_TRUE(held.folder) << error;
    const std::string inUse = "The recorder is in use by another program (pid ";
    const Result plain = cli({"--sim", bus.path().string(), "list"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    const auto heldLine = plain.out.find("1-2  serial SIM0002  boot ROM  E:  " + inUse);
    EXPECT_NE(heldLine, std::string::npos) << plain.out;
    EXPECT_TRUE(plain.out.starts_with("1-1  serial SIM0001  boot ROM  D:  free\n")) << plain.out;
    EXPECT_TRUE(plain.out.ends_with(").\n1-3.1  serial XYZ7  boot ROM  F:  free\n3 recorders found.\n")) << plain.out;
    const Result json = cli({"--sim", folder("b"), "list", "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out,
              "{\"recorders\": [{\"port\": \"1-2\", \"serial\": \"SIM0002\", \"mode\": \"boot ROM\", "
              "\"letter\": \"D\", \"held\": true}], \"count\": 1}\n");
    // Chosen, it is refused with who holds it; the others still answer.
    const Result refused = cli({"--sim", bus.path().string(), "--recorder", "SIM0002", "probe"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find(inUse), std::string::npos) << refused.out;
    EXPECT_EQ(cli({"--sim", bus.path().string(), "--recorder", "XYZ7", "probe"}).status, 0);
    EXPECT_FALSE(reached("b"));
}

TEST_F(SeveralRecorders, ACommandReachesOnlyTheChosenRecorderAndWithoutAChoiceNone) {
    const struct {
        std::vector<std::string> choice;
        int status;
        const char* reached;  // the one recorder that received commands; "" none
        const char* refusal;  // the first line on standard error; "" none
    } rows[] = {
        {{}, 2, "", "Several recorders are present: choose one with --recorder PORT|SERIAL."},
        {{"--recorder", "1-2"}, 0, "b", ""},
        {{"--recorder", "XYZ"}, 0, "c", ""},
        {{"--recorder", "SIM0001"}, 0, "a", ""},
        {{"--recorder", "SIM000"}, 2, "", "--recorder SIM000 names several recorders: give more of the serial or the port."},
        {{"--recorder", "1-3"}, 2, "", "No recorder matches --recorder 1-3."},
    };
    for (const auto& row : rows) {
        for (const auto& r : kBench) fs::resize_file(at(r.name) / "commands.log", 0);
        std::vector<std::string> args{"--sim", bus.path().string()};
        args.insert(args.end(), row.choice.begin(), row.choice.end());
        args.push_back("probe");
        const Result result = cli(args);
        const std::string context = row.choice.empty() ? "no choice" : row.choice.back();
        EXPECT_EQ(result.status, row.status) << context << ": " << result.err;
        for (const auto& r : kBench) EXPECT_EQ(reached(r.name), r.name == std::string(row.reached)) << context;
        if (*row.refusal) {
            EXPECT_TRUE(result.err.starts_with(std::string(row.refusal) + "\n1-1  serial SIM0001  boot ROM  D:\n"))
                << result.err;
            EXPECT_TRUE(result.err.ends_with("3 recorders found.\n")) << result.err;
        }
    }
}

TEST_F(SeveralRecorders, SyncFollowsTheChosenRecorderThroughItsRestartWhileAnotherRestartsToo) {
    // Recorder a, at the first letter, comes back running its updater while b restarts.
    setIni(bus / "a", "mode", "updater");
    setIni(bus / "a", "away_until_ms", std::to_string(SystemClock().nowMs() + 200));
    setIni(bus / "b", "restart_delay_ms", "300");
    const Result r = cli({"--sim", bus.path().string(), "--workdir", work.path().string(), "--recorder", "SIM0002",
                          "sync"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(reached("a"));
    EXPECT_FALSE(reached("c"));
    const Result b = cli({"sim", "show", folder("b")});
    EXPECT_NE(b.out.find("Mode: updater, on the bus"), std::string::npos) << b.out;
    // The reopened recorder answered: after the restart the identification went to b again.
    std::ifstream log(bus / "b" / "commands.log");
    std::string line, last;
    while (std::getline(log, line)) last = line;
    EXPECT_EQ(last, "fa556601000000000000000000000000 in 16 ok");
}

// Everything a recorder stores, area by area: the sectors that hold data and their bytes.
std::vector<std::vector<std::uint8_t>> storedData(const fs::path& folder) {
    ManualClock clock;
    std::string error;
    auto recorder = sim::Simulator::openFolder(folder, clock, error);
    EXPECT_TRUE(recorder) << error;
    std::vector<std::vector<std::uint8_t>> stored;
    for (std::uint8_t type = 0; recorder && type < sim::kStorageTypeCount; ++type)
        for (std::uint8_t area = 0; area < sim::kAreasPerType; ++area)
            for (const sim::SectorRange& range : recorder->sectorsWithData({type, area}))
                stored.push_back(recorder->readArea({type, area}, range.first, range.count));
    return stored;
}

TEST_F(SeveralRecorders, UpdateAllRunsEachRecorderOnItsOwnAndOneFailureDisturbsNoOther) {
    // A recorder updated alone, for what a full update stores.
    const test::TempFolder alone;
    ASSERT_EQ(cli({"sim", "init", alone.path().string()}).status, 0);
    setIni(alone.path(), "restart_delay_ms", "100");
    ASSERT_EQ(cli({"--sim", alone.path().string(), "--workdir", work.path().string(), "update"}).status, 0);
    ASSERT_TRUE(fs::remove(work / "userdata.img"));  // a single run packs in the working folder, as always
    {
        ManualClock clock;
        std::string error;
        auto a = sim::Simulator::openFolder(bus / "a", clock, error);
        ASSERT_TRUE(a) << error;
        a->failNthCommand(VendorCode::WriteSectors, 5);
    }
    // Recorder b's cable is pulled once its sector writes have begun.
    std::thread unplugger([this] {
        EXPECT_TRUE(waitFor([this] { return writesStarted(bus / "b"); }));
        EXPECT_EQ(cli({"sim", "unplug", folder("b")}).status, 0);
    });
    const test::TempFolder logFolders;
    const fs::path logs = logFolders / "not" / "made" / "yet";  // --log-dir makes its folder
    const Result r = cli({"--sim", bus.path().string(), "--workdir", work.path().string(), "update", "--all",
                          "--log-dir", logs.string()});
    unplugger.join();
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    // Plain prefixed lines, as the output is no terminal, then the table.
    EXPECT_NE(r.out.find("[1-3.1] Ustawienia USER 1 (40 %)\n"), std::string::npos) << r.out;
    const auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    // A failed run says why: the error it reported, not the status line's start-up text.
    EXPECT_TRUE(rows[0].starts_with("1-1          failed     Error 0x07: Burn-in Firmware error !")) << rows[0];
    // Which step b's pulled cable fails first depends on the machine's pace.
    EXPECT_TRUE(rows[1].starts_with("1-2          failed     Error 0x")) << rows[1];
    EXPECT_TRUE(rows[2].starts_with("1-3.1        done       Burn-in Boot process done .....")) << rows[2];
    EXPECT_TRUE(rows[2].ends_with(" 8775168")) << rows[2];
    EXPECT_EQ(storedData(bus / "c"), storedData(alone.path()));
    // Each run packs its folder image in a folder of its own: in the shared working
    // folder one run would rewrite the image another is copying.
    EXPECT_FALSE(fs::exists(work / "userdata.img"));
    for (const char* log : {"recorder-1-1.log", "recorder-1-2.log", "recorder-1-3.1.log"})
        EXPECT_TRUE(fs::exists(logs / log)) << log;
    EXPECT_TRUE(test::TempFolder::read(logs / "recorder-1-3.1.log").ends_with("Burn-in Boot process done .....\n"));
}

TEST_F(SeveralRecorders, StationUpdatesEachRecorderOnceAsItIsPluggedIn) {
    ASSERT_EQ(cli({"sim", "unplug", folder("b")}).status, 0);
    ASSERT_EQ(cli({"sim", "unplug", folder("c")}).status, 0);
    // b is plugged in while a is being updated (and restarts), c after a is done.
    std::thread bench([this] {
        EXPECT_TRUE(waitFor([this] { return writesStarted(bus / "a"); }));
        EXPECT_EQ(cli({"sim", "plug", folder("b")}).status, 0);
        EXPECT_TRUE(waitFor([this] { return sessionsEnded(bus / "a") == 1; }));
        EXPECT_EQ(cli({"sim", "plug", folder("c")}).status, 0);
    });
    const Result r = cli({"--sim", bus.path().string(), "--workdir", work.path().string(), "station", "--count", "3"});
    bench.join();
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    for (const auto& recorder : kBench) EXPECT_EQ(sessionsEnded(at(recorder.name)), 1u) << recorder.name;
    const auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    for (const auto& row : rows) EXPECT_NE(row.find(" done "), std::string::npos) << row;
}

TEST_F(SeveralRecorders, StationStopRequestsFirstLetRunningUpdatesFinishThenStopThem) {
    const struct {
        bool secondRequest;
        int status;
        const char* result;
    } rows[] = {{false, 0, " done "}, {true, 130, " stopped "}};
    for (const auto& row : rows) {
        ASSERT_EQ(cli({"sim", "init", folder("a"), "--force"}).status, 0);
        setIni(bus / "a", "restart_delay_ms", "100");
        ASSERT_EQ(cli({"sim", "unplug", folder("b")}).status, 0);
        std::atomic<bool> first{false}, second{false};
        std::thread operatorAtTheBench([&] {
            EXPECT_TRUE(waitFor([this] { return writesStarted(bus / "a"); }));
            first = true;
            second = row.secondRequest;
            // Plugged in after the stop request: no longer an arrival the station takes.
            EXPECT_EQ(cli({"sim", "plug", folder("b")}).status, 0);
        });
        const Result r = test::runCli({"--sim", bus.path().string(), "--workdir", work.path().string(), "station",
                                       "--recorder", "1-1", "--recorder", "1-2"},
                                      cli::StopRequests{StopRequest(first), StopRequest(second), {}});
        operatorAtTheBench.join();
        EXPECT_EQ(r.status, row.status) << r.out << r.err;
        const auto table = tableRows(r.out);
        ASSERT_EQ(table.size(), 1u) << r.out;
        EXPECT_TRUE(table[0].starts_with("1-1 ")) << table[0];
        EXPECT_NE(table[0].find(row.result), std::string::npos) << table[0];
        // Either way the recorder's session was ended; b was never written.
        EXPECT_EQ(sessionsEnded(bus / "a"), 1u);
        EXPECT_FALSE(writesStarted(bus / "b"));
    }
}

}  // namespace
}  // namespace ib
