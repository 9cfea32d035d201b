// Runs on several recorders at once (`update --all`, `station`): which
// recorders a run takes, what it refuses before taking any, the recording
// and the log each recorder gets, and how the table tells each one's end.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "cli/recorder_bench.h"
#include "seams/process_id.h"
#include "sim/state_folder.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

using test::Result;
using test::sessionsEnded;
using test::tableRows;
using test::waitFor;
using test::writesStarted;
using RunsOnSeveralRecorders = test::RecorderBench;
using std::chrono_literals::operator""ms;

TEST_F(RunsOnSeveralRecorders, WhatCannotBeDoneIsRefusedBeforeAnyRecorderIsReached) {
    const std::string file = work.write("a-file", "not a folder").string();
    const std::string replayOne = "--replay answers for one recorder: replay one recorder at a time, with its "
                                  "--recorder and without --all or station.";
    const struct {
        std::vector<std::string> args;
        int status;
        const char* reached;  // the one recorder sent commands; "" none
        std::string error;    // the start of standard error
    } rows[] = {
        {{"--replay", "none.jsonl", "update", "--all"}, 2, "", replayOne},
        {{"--replay", "none.jsonl", "station", "--count", "1"}, 2, "", replayOne},
        {{"update", "--all", "--log-dir", file + "/logs"}, 1, "", "The log folder " + file + "/logs cannot be made: "},
        {{"station", "--count", "1", "--log-dir", file}, 1, "", "The log folder " + file + " cannot be made: "},
        {{"--recorder", "NOPE", "update", "--all"}, 2, "", "No recorder matches --recorder NOPE.\n1-1  serial"},
        {{"--recorder", "1-1", "--recorder", "1-2", "probe"}, 2, "", "--recorder is given more than once"},
        // plan chooses its recorder as every other command does.
        {{"plan"}, 2, "", "Several recorders are present: choose one with --recorder PORT|SERIAL."},
        {{"--recorder", "NOPE", "plan", "--capacity", "7700480"}, 2, "", "No recorder matches --recorder NOPE."},
        {{"--recorder", "1-2", "plan"}, 1, "b", ""},
    };
    for (const auto& row : rows) {
        for (const auto& r : test::kBench) fs::resize_file(at(r.name) / "commands.log", 0);
        std::vector<std::string> args{"--sim", bus.path().string(), "--workdir", work.path().string()};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const Result r = cli(args);
        std::string context;
        for (const auto& arg : row.args) context += arg + " ";
        EXPECT_EQ(r.status, row.status) << context << ": " << r.out << r.err;
        EXPECT_TRUE(r.err.starts_with(row.error)) << context << ": " << r.err;
        for (const auto& recorder : test::kBench)
            EXPECT_EQ(reached(recorder.name), recorder.name == std::string(row.reached)) << context;
    }
}

TEST_F(RunsOnSeveralRecorders, UpdateAllTakesOnlyTheNamedRecordersAndAppendsEachRunToTheirLogs) {
    std::string error;
    const auto held = sim::StateFolder::open(at("b"), error);  // another program has recorder b
    ASSERT_TRUE(held.folder) << error;
    const fs::path logs = work / "logs";
    for (int run = 0; run < 2; ++run) {
        const Result r = cli({"--sim", bus.path().string(), "--workdir", work.path().string(), "--recorder", "1-1",
                              "--recorder", "1-2", "update", "--all", "--log-dir", logs.string()});
        EXPECT_EQ(r.status, 1) << r.out << r.err;  // b was not updated
        const auto rows = tableRows(r.out);
        ASSERT_EQ(rows.size(), 3u) << r.out;
        EXPECT_TRUE(rows[0].starts_with("1-1          done       Burn-in Boot process done")) << rows[0];
        EXPECT_TRUE(rows[1].starts_with("1-2          held       held by another program (pid " +
                                        std::to_string(currentProcessId()) + ")"))
            << rows[1];
        EXPECT_TRUE(rows[2].starts_with("1-3.1        left alone not taken in by --recorder")) << rows[2];
    }
    EXPECT_FALSE(reached("b"));
    EXPECT_FALSE(reached("c"));
    // The second run's lines follow the first's, each run under a header with its time.
    std::istringstream log(test::TempFolder::read(logs / "recorder-1-1.log"));
    std::vector<std::string> headers, lastBeforeHeader;
    std::string previous;
    for (std::string line; std::getline(log, line); previous = line) {
        if (!line.starts_with("=== ")) continue;
        headers.push_back(line.substr(line.find(" UTC: ")));
        lastBeforeHeader.push_back(previous);
    }
    EXPECT_EQ(headers, (std::vector<std::string>{" UTC: full update on 1-1 ===", " UTC: full update on 1-1 ==="}));
    EXPECT_EQ(lastBeforeHeader, (std::vector<std::string>{"", "Burn-in Boot process done ....."}));
    EXPECT_EQ(previous, "Burn-in Boot process done .....");
}

TEST_F(RunsOnSeveralRecorders, UpdateAllRecordsEachRecorderApartAndEachRecordingReplaysWithItsRecorder) {
    const test::TempFolder recordings;
    const fs::path given = recordings / "session.jsonl.gz";
    const Result r = cli({"--sim", bus.path().string(), "--workdir", work.path().string(), "--record",
                          given.string(), "--recorder", "1-1", "--recorder", "1-3", "update", "--all"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_FALSE(fs::exists(given));
    const auto recordingOf = [&](const std::string& port) { return recordings / ("session." + port + ".jsonl.gz"); };
    EXPECT_TRUE(r.out.ends_with("Recordings, each replayed with its --recorder:\n  " + recordingOf("1-1").string() +
                                "  --recorder 1-1\n  " + recordingOf("1-3.1").string() + "  --recorder 1-3.1\n"))
        << r.out;
    for (const std::string port : {"1-1", "1-3.1"}) {
        const Result replay = cli({"--replay", recordingOf(port).string(), "--recorder", port, "--workdir",
                                   work.path().string(), "update"});
        EXPECT_EQ(replay.status, 0) << port << ": " << replay.err;
    }
}

TEST_F(RunsOnSeveralRecorders, AStationTakesARecorderAnotherProgramHeldOnlyWhenItIsPluggedInAgain) {
    std::string error;
    auto held = std::make_optional(sim::StateFolder::open(at("b"), error));
    ASSERT_TRUE(held->folder) << error;
    std::atomic<bool> stop{false};
    std::thread bench([&] {
        // b is let go while a is updated; it never left the bus, so it is no arrival.
        EXPECT_TRUE(waitFor([&] { return writesStarted(bus / "a"); }));
        held.reset();
        EXPECT_TRUE(waitFor([&] { return sessionsEnded(bus / "a") == 1; }));
        std::this_thread::sleep_for(500ms);
        EXPECT_FALSE(reached("b"));
        EXPECT_EQ(cli({"sim", "unplug", folder("b")}).status, 0);
        std::this_thread::sleep_for(1500ms);  // looks that find it gone, also on a busy machine
        EXPECT_EQ(cli({"sim", "plug", folder("b")}).status, 0);
        EXPECT_TRUE(waitFor([&] { return writesStarted(bus / "b"); }));
        stop = true;  // the station lets b's update finish
    });
    const Result r = test::runCli({"--sim", bus.path().string(), "--workdir", work.path().string(), "station",
                                   "--recorder", "1-1", "--recorder", "1-2"},
                                  cli::StopRequests{StopRequest(stop), {}, {}});
    bench.join();
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("[1-2] The recorder is in use by another program (pid "), std::string::npos) << r.out;
    const auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    EXPECT_TRUE(rows[0].starts_with("1-2          held       held by another program (pid ")) << rows[0];
    EXPECT_TRUE(rows[1].starts_with("1-1          done ")) << rows[1];
    EXPECT_TRUE(rows[2].starts_with("1-2          done ")) << rows[2];
    EXPECT_EQ(sessionsEnded(bus / "b"), 1u);
}

}  // namespace
}  // namespace ib
