// Recording sessions with the simulated recorder through imageburner-cli and
// replaying them: what a user sends us must turn into a run that passes
// while the program behaves the same and stops where it does not.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "record/record_and_replay.h"

namespace ib::test {
namespace {

TEST_F(RecordAndReplay, AFullUpdateReplaysCleanFromEveryKindOfRecording) {
    const struct {
        const char* name;
        bool fullData;
    } rows[] = {{"whole.jsonl.gz", true}, {"digests.jsonl.zst", false}};
    for (const auto& row : rows) {
        if (!record::compressionBuilt(record::compressionFor(row.name))) {
            const Result refused = recordUpdate(files / row.name);
            EXPECT_EQ(refused.status, 1);
            EXPECT_EQ(refused.err, "This build of imageburner has no Zstandard compression: name the recording "
                                   "with .gz or .jsonl\n");
            continue;
        }
        SCOPED_TRACE(row.name);
        const fs::path file = files / row.name;
        const Result recorded = recordUpdate(file, row.fullData ? std::vector<std::string>{"--record-data"}
                                                                : std::vector<std::string>{});
        ASSERT_EQ(recorded.status, 0) << recorded.err;
        const Result replayed = replayUpdate(file);
        EXPECT_EQ(replayed.status, 0) << replayed.err;
        EXPECT_EQ(replayed.out, recorded.out);
        EXPECT_EQ(replayed.err, recorded.err);
        // Data sent is whole only when asked for; short replies are whole always.
        const auto all = exchanges(file);
        const auto write = std::find_if(all.begin(), all.end(), [](const auto& e) { return e.contains("length") && record::fieldText(e, "dir") == "out"; });
        ASSERT_NE(write, all.end());
        EXPECT_EQ(write->contains("sent"), row.fullData);
        EXPECT_EQ(write->contains("sentSha256"), !row.fullData);
        EXPECT_TRUE(all.front().contains("received"));
        // The recorder is named by its port, serial and mode, and so is each volume opened.
        const auto recorders = events(file, "recorder");
        ASSERT_FALSE(recorders.empty());
        EXPECT_EQ(record::fieldText(recorders.front(), "mode"), "boot ROM");
        EXPECT_FALSE(record::fieldText(recorders.front(), "serial").empty());
        const std::string port = record::fieldText(recorders.front(), "portPath");
        EXPECT_FALSE(port.empty());
        for (const auto& opened : events(file, "open")) {
            if (record::fieldText(opened, "opened") != "true") continue;
            EXPECT_EQ(record::fieldText(opened, "portPath"), port);
        }
    }
}

TEST_F(RecordAndReplay, AChangedFirmwareByteStopsTheReplayAtTheFirstWriteThatCarriesIt) {
    const fs::path original = files / "original.jsonl", changed = files / "changed.jsonl";
    ASSERT_EQ(recordUpdate(original).status, 0);
    std::fstream firmware(work / "firmware.bin", std::ios::in | std::ios::out | std::ios::binary);
    firmware.seekg(4096);
    const char byte = static_cast<char>(firmware.get() ^ 0x01);
    firmware.seekp(4096);
    firmware.put(byte);
    firmware.close();
    // The same update with the changed file, recorded, tells which exchange carries the byte.
    ASSERT_EQ(recordUpdate(changed).status, 0);
    const auto before = exchanges(original), after = exchanges(changed);
    std::size_t first = 0;
    while (first < before.size() && record::fieldText(before[first], "sentSha256") ==
                                        record::fieldText(after[first], "sentSha256"))
        ++first;
    ASSERT_LT(first, before.size());

    const Result replayed = replayUpdate(original);
    EXPECT_EQ(replayed.status, 3);
    const std::string n = record::fieldText(before[first], "n");
    EXPECT_NE(replayed.err.find("Replay: exchange " + n + " differs from the recording\n--- recording\n+++ this run\n-{\"n\":" + n),
              std::string::npos)
        << replayed.err;
    EXPECT_NE(replayed.err.find("\"sentSha256\":\"" + record::fieldText(before[first], "sentSha256") + "\"}\n+{\"n\":" + n),
              std::string::npos);
    EXPECT_NE(replayed.err.find("\"sentSha256\":\"" + record::fieldText(after[first], "sentSha256") + "\"}"),
              std::string::npos);
}

TEST_F(RecordAndReplay, ARecordingCutShortReplaysUpToItsLastCompleteExchangeAndSaysSo) {
    const fs::path whole = files / "whole.jsonl", cut = files / "cut.jsonl";
    ASSERT_EQ(recordUpdate(whole).status, 0);
    // A crash in the middle of writing exchange 10's line.
    std::ifstream in(whole);
    std::ofstream out(cut);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("{\"n\":10,", 0) == 0) {
            out << line.substr(0, line.size() / 2);
            break;
        }
        out << line << '\n';
    }
    out.close();
    const Result replayed = replayUpdate(cut);
    EXPECT_EQ(replayed.status, 3);
    EXPECT_NE(replayed.err.find("Replay: the recording was cut short after exchange 9 (the recorded session "
                                "stopped there); this run went on with\n+{\"n\":10,"),
              std::string::npos)
        << replayed.err;
}

TEST_F(RecordAndReplay, ARunThatChoseOneOfSeveralRecordersReplaysWithTheSameChoiceAndNoOther) {
    // Two recorders on one bus, as two gadgets on two USB controllers are in the real-kernel tier.
    const fs::path bus = files / "bus";
    ASSERT_EQ(cli({"sim", "init", (bus / "a").string(), "--mode", "updater", "--port", "1-1", "--serial", "SIM0001"}).status, 0);
    ASSERT_EQ(cli({"sim", "init", (bus / "b").string(), "--mode", "updater", "--port", "2-1", "--serial", "SIM0002"}).status, 0);
    const fs::path file = files / "chosen.jsonl";
    const Result recorded = cli({"--sim", bus.string(), "--workdir", work.path().string(), "--record", file.string(),
                                 "--recorder", "2-1", "read-register", "0x1000"});
    ASSERT_EQ(recorded.status, 0) << recorded.err;
    // The other recorder's volume was never opened: the recording holds the chosen one's alone, with its port.
    const std::string text = textOf(file);
    EXPECT_EQ(text.find("\"letter\":\"D\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"letter\":\"E\",\"opened\":true,\"name\":\"simulated recorder (updater)\",\"portPath\":\"2-1\""),
              std::string::npos) << text;
    EXPECT_NE(text.find("\"portPaths\":[\"1-1\",\"2-1\"]"), std::string::npos) << text;

    for (const char* choice : {"2-1", "SIM0002"}) {
        const Result replayed = cli({"--workdir", work.path().string(), "--replay", file.string(), "--recorder", choice,
                                     "read-register", "0x1000"});
        EXPECT_EQ(replayed.status, 0) << choice << ": " << replayed.err;
        EXPECT_EQ(replayed.out, recorded.out) << choice;
    }
    // Without a choice the run is refused before any command, as it was with both recorders present.
    const Result unchosen = cli({"--workdir", work.path().string(), "--replay", file.string(), "read-register", "0x1000"});
    EXPECT_EQ(unchosen.status, 2) << unchosen.err;
    EXPECT_TRUE(unchosen.err.starts_with("Several recorders are present")) << unchosen.err;
    // Another recorder is another run: it differs from the recording.
    const Result other = cli({"--workdir", work.path().string(), "--replay", file.string(), "--recorder", "1-1",
                              "read-register", "0x1000"});
    EXPECT_EQ(other.status, 3) << other.err;
}

TEST_F(RecordAndReplay, ReplayTimingKeepsARecordedPauseAndWithoutItThePauseIsGone) {
    const fs::path recorded = files / "probe.jsonl", paused = files / "paused.jsonl";
    const fs::path state = files / "recorder";
    ASSERT_EQ(cli({"sim", "init", state.string(), "--mode", "updater", "--force"}).status, 0);
    ASSERT_EQ(cli({"--sim", state.string(), "--record", recorded.string(), "probe"}).status, 0);
    // The last exchange came in half a second after the start: a recorder that took its time.
    constexpr double kPauseMs = 500;
    std::vector<std::string> lines;
    std::ifstream in(recorded);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const auto last = std::find_if(lines.rbegin(), lines.rend(), [](const std::string& l) { return l.starts_with("{\"n\":"); });
    ASSERT_NE(last, lines.rend());
    ASSERT_GE(exchanges(recorded).size(), 2u);
    *last = std::regex_replace(*last, std::regex(R"("t":[0-9.]+)"), "\"t\":" + std::to_string(kPauseMs),
                               std::regex_constants::format_first_only);
    std::ofstream out(paused);
    for (const auto& line : lines) out << line << '\n';
    out.close();

    const auto replayTaking = [&](std::vector<std::string> flags) {
        std::vector<std::string> args{"--replay", paused.string()};
        args.insert(args.end(), flags.begin(), flags.end());
        args.push_back("probe");
        const auto started = std::chrono::steady_clock::now();
        const Result r = cli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    };
    // Only the lower bound: a slow machine may take longer, never shorter.
    EXPECT_GE(replayTaking({"--replay-timing"}), kPauseMs);
    // Without the flag the pause passes at once; a replay of a probe is far quicker than the pause.
    EXPECT_LT(replayTaking({}), kPauseMs);
}

TEST_F(RecordAndReplay, TheReportHoldsWhatItListsAndLeavesOutFirmwareAndUserFiles) {
    const fs::path recording = files / "session.jsonl", bundle = files / "report.tar.gz";
    const fs::path state = files / "recorder";
    ASSERT_EQ(cli({"sim", "init", state.string(), "--mode", "updater", "--force"}).status, 0);
    ASSERT_EQ(cli({"--sim", state.string(), "--record", recording.string(), "probe"}).status, 0);
    std::ofstream(files / "service.log") << "12:00 Start to download code .....\n";
    const Result r = cli({"--sim", state.string(), "--workdir", work.path().string(),
                          "report", recording.string(), "--include", (files / "service.log").string(), "--output",
                          bundle.string()});
    ASSERT_EQ(r.status, 0) << r.err;

    const auto members = archiveMembers(bundle);
    std::string listed = "Support bundle " + bundle.string() + ":\n";
    for (const char* name : {"version.txt", "system.txt", "list.txt", "detect.txt", "settings.txt", "DiskInfo.ini",
                             "recording/session.jsonl", "included/service.log"}) {
        ASSERT_TRUE(members.contains(name)) << name;
        listed += std::string("  ") + name + " (" + std::to_string(members.at(name).size()) + " bytes)\n";
    }
    EXPECT_EQ(r.out, listed + "Left out: firmware images and user files (add one with --include FILE)\n");
    EXPECT_EQ(members.size(), 8u);
    EXPECT_NE(members.at("list.txt").find("1 recorder found."), std::string::npos) << members.at("list.txt");
    EXPECT_NE(members.at("detect.txt").find("USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER"), std::string::npos);
    std::ifstream ini(work / "DiskInfo.ini", std::ios::binary), recorded(recording, std::ios::binary);
    EXPECT_EQ(members.at("DiskInfo.ini"), std::string(std::istreambuf_iterator<char>(ini), {}));
    EXPECT_EQ(members.at("recording/session.jsonl"), std::string(std::istreambuf_iterator<char>(recorded), {}));
}

}  // namespace
}  // namespace ib::test
