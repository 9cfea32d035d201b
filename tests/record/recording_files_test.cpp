// The files around a recording that a user may get wrong: a --record name
// that holds something else, a FIFO or a folder where a recording or a
// bundle's file is expected, a stop while a file is read, and a replay that
// can only answer sector reads with zeros.
#include <gtest/gtest.h>

#include <fstream>

#include "record/record_and_replay.h"
#include "support/fifo_sentinel.h"

namespace ib::test {
namespace {

class RecordingFiles : public RecordAndReplay {
protected:
    // A simulated recorder that runs its updater, with no command sent to it yet.
    fs::path freshRecorder() {
        const fs::path state = files / "recorder";
        EXPECT_EQ(cli({"sim", "init", state.string(), "--mode", "updater", "--force"}).status, 0);
        fs::remove(state / "commands.log");
        return state;
    }
};

TEST_F(RecordingFiles, RecordReplacesAnEarlierRecordingOrAnEmptyFileAndRefusesAnythingElseBeforeTheFirstCommand) {
    const fs::path earlier = files / "earlier.jsonl.gz";
    const fs::path state = freshRecorder();
    ASSERT_EQ(cli({"--sim", state.string(), "--record", earlier.string(), "probe"}).status, 0);
    fs::create_directory(files / "folder");
    std::ofstream(files / "empty.jsonl").close();
    std::ofstream(files / "notes.jsonl") << "{\"format\":\"my notes\"}\n";
    const struct {
        fs::path file;
        bool replaced;
    } rows[] = {
        {work / "updater.bin", false}, {files / "notes.jsonl", false}, {files / "folder", false},
        {earlier, true},              {files / "empty.jsonl", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file.string());
        fs::remove(state / "commands.log");
        const auto contentOf = [](const fs::path& file) { return fs::is_regular_file(file) ? TempFolder::read(file) : ""; };
        const std::string before = contentOf(row.file);
        const Result r = cli({"--sim", state.string(), "--workdir", work.path().string(), "--record",
                              row.file.string(), "probe"});
        if (row.replaced) {
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_FALSE(exchanges(row.file).empty());
            continue;
        }
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, row.file.string() + " exists and is not a recording; it is left as it is (remove it or "
                                             "name another file)\n");
        EXPECT_EQ(TempFolder::read(state / "commands.log"), "") << "a command reached the recorder";
        EXPECT_EQ(contentOf(row.file), before);
    }
}

TEST_F(RecordingFiles, NoFileThatIsNotARegularOneIsOpenedForAReplayOrABundle) {
    FifoSentinel pipe(files / "pipe");
    fs::create_directory(files / "folder");
    const fs::path bundle = files / "bundle.tar.gz";
    for (const fs::path& odd : {files / "pipe", files / "folder"}) {
        const struct {
            std::vector<std::string> args;
            std::string refusal;
        } rows[] = {
            {{"--replay", odd.string(), "probe"}, "Cannot read " + odd.string() + ": "},
            {{"report", "--include", odd.string(), "--output", bundle.string()}, "report: cannot take " + odd.string() + ": "},
            {{"report", odd.string(), "--output", bundle.string()}, "report: cannot take " + odd.string() + ": "},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.args.front() + " " + odd.string());
            const Result r = cli(row.args);
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.err.starts_with(row.refusal)) << r.err;
            EXPECT_FALSE(fs::exists(bundle));
        }
    }
    EXPECT_FALSE(pipe.wasOpened());
}

TEST_F(RecordingFiles, AStopRequestEndsTheReadingOfARecordingAndOfABundlesFiles) {
    const fs::path recording = files / "probe.jsonl", bundle = files / "bundle.tar.gz";
    const fs::path state = freshRecorder();
    ASSERT_EQ(cli({"--sim", state.string(), "--record", recording.string(), "probe"}).status, 0);
    std::ofstream(bundle) << "an earlier bundle";
    const std::atomic<bool> stopped{true};
    const Result replay = cli({"--replay", recording.string(), "probe"}, StopRequest(stopped));
    EXPECT_EQ(replay.status, 130);
    EXPECT_EQ(replay.err, recording.string() + ": Stopped while reading the recording, at line 2\n");
    const Result report = cli({"report", recording.string(), "--output", bundle.string()}, StopRequest(stopped));
    EXPECT_EQ(report.status, 130);
    EXPECT_EQ(report.err, "report: stopped; " + bundle.string() + " was not written\n");
    EXPECT_EQ(TempFolder::read(bundle), "an earlier bundle");
}

TEST_F(RecordingFiles, AReplayedReadBackRecordedAsDigestsWarnsThatItsSectorsAreZeros) {
    const struct {
        const char* name;
        bool fullData;
    } rows[] = {{"whole.jsonl", true}, {"digests.jsonl", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path file = files / row.name;
        const fs::path state = freshRecorder();
        for (const auto& image : fs::directory_iterator(state))
            if (image.path().extension() == ".img") std::ofstream(image.path(), std::ios::binary) << std::string(2048, 'b');
        std::vector<std::string> args{"--sim", state.string(), "--workdir", work.path().string(), "--record", file.string()};
        if (row.fullData) args.push_back("--record-data");
        args.insert(args.end(), {"read-boot-area", "0", "4"});
        ASSERT_EQ(cli(args).status, 0);
        const std::string read = TempFolder::read(work / "BootArea.bin");
        ASSERT_EQ(read, std::string(2048, 'b'));
        fs::remove(work / "BootArea.bin");

        const Result replayed = cli({"--workdir", work.path().string(), "--replay", file.string(), "read-boot-area", "0", "4"});
        EXPECT_EQ(replayed.status, 0) << replayed.err;
        const std::string warning = "Warning: " + file.string() + " holds only the SHA-256 of 4 sectors read (it was "
                                    "recorded without --record-data): this replay answered them with zeros, and any "
                                    "file the run saved from them (BootArea.bin, UserArea.bin) holds zeros there\n";
        EXPECT_EQ(replayed.err, row.fullData ? "" : warning);
        EXPECT_EQ(TempFolder::read(work / "BootArea.bin"), row.fullData ? read : std::string(read.size(), '\0'));
    }
}

}  // namespace
}  // namespace ib::test
