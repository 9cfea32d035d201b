// What only a POSIX system lets a test make: a full disk (a small tmpfs in a
// mount namespace of the test's own), file names with characters Windows
// forbids, GNU tar and Python to open a bundle with, and child processes
// whose peak memory the system tells.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <regex>

#include "record/record_and_replay.h"
#include "tools/tool_harness.h"

namespace ib::test {
namespace {

using tools::test::runProcess;

const std::string kCli = (fs::path(IMAGEBURNER_BINARY_DIR) / "src" / "imageburner-cli").string();

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(RecordAndReplay, ARecordingCutByAFullDiskSaysSoAtOnceAndLastAndTheUpdateGoesOn) {
    if (runProcess({"unshare", "--user", "--map-root-user", "--mount", "true"}).exitStatus != 0)
        GTEST_SKIP() << "no mount namespace for a small file system of the test's own";
    // Each disk holds the first lines of an update's recording (about 60 KiB plain, 10 KiB compressed), not all.
    const struct {
        const char* name;
        const char* size;
    } rows[] = {{"update.jsonl", "16k"}, {"update.jsonl.gz", "4k"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path disk = files / "disk", kept = files / row.name, state = files / "recorder";
        fs::create_directories(disk);
        ASSERT_EQ(cli({"sim", "init", state.string(), "--force"}).status, 0);
        const std::string script = "mount -t tmpfs -o size=" + std::string(row.size) +
                                   " tmpfs \"$0\" || exit 97; \"$@\"; s=$?; cp \"$0/" + row.name + "\" " + kept.string() +
                                   "; exit $s";
        const auto r = runProcess({"unshare", "--user", "--map-root-user", "--mount", "sh", "-c", script, disk.string(),
                                   kCli, "--sim", state.string(), "--workdir", work.path().string(), "--record",
                                   (disk / row.name).string(), "update"});
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        std::smatch said;
        ASSERT_TRUE(std::regex_search(r.err, said, std::regex("Recording stopped after exchange ([0-9]+): "))) << r.err;
        const std::string warning = "Warning: " + said.str(0) + "No space left on device; the operation goes on\n";
        // Said when it happened, and again as the run's last line.
        EXPECT_EQ(count(r.err, warning), 2u) << r.err;
        EXPECT_TRUE(r.err.ends_with(warning)) << r.err;
        // The write that failed may have put the line it held whole into the file, without the word that it had.
        const auto exchangesKept = exchanges(kept).size();
        EXPECT_GE(exchangesKept, std::stoul(said.str(1)));
        EXPECT_LE(exchangesKept, std::stoul(said.str(1)) + 1);
        const Result replayed = replayUpdate(kept);
        EXPECT_EQ(replayed.status, 3);
        EXPECT_NE(replayed.err.find("Replay: the recording was cut short after exchange " +
                                    std::to_string(exchangesKept) + " "),
                  std::string::npos)
            << replayed.err;
    }
}

TEST_F(RecordAndReplay, ABundleOfUnusualPathsOpensWithGnuTarAndPythonAndIsTheSameForTheSameState) {
    const std::string longName = std::string(150, 'n') + ".log";
    const struct {
        std::string path, member;
        std::size_t file;  // the row that made the file
    } rows[] = {
        {"zażółć/x.log", "included/x.log", 0},
        {"b/x.log", "included/x-2.log", 1},
        {"b/../zażółć/x.log", "included/x-3.log", 0},
        {"zażółć/" + longName, "included/" + longName, 3},
        {"b/c:\\d?.txt", "included/c__d_.txt", 4},
    };
    std::vector<std::string> args{"--workdir", work.path().string(), "report"};
    std::string expected;
    const auto contentOf = [](std::size_t file) { return "content " + std::to_string(file) + "\n"; };
    const auto timeOf = [](std::size_t file) { return std::chrono::sys_seconds{std::chrono::seconds{1'700'000'000 + 3600 * file}}; };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (rows[i].file == i)
            fs::last_write_time(files.write(rows[i].path, contentOf(i)), std::chrono::file_clock::from_sys(timeOf(i)));
        args.insert(args.end(), {"--include", (files.path() / pathFromUtf8(rows[i].path)).string()});
        expected += rows[i].member + " 10 " + std::to_string(timeOf(rows[i].file).time_since_epoch().count()) + "\n";
    }
    for (const char* output : {"first.tar.gz", "second.tar.gz"}) {
        args.insert(args.end(), {"--output", (files / output).string()});
        ASSERT_EQ(cli(args).status, 0);
        args.resize(args.size() - 2);
    }
    EXPECT_EQ(TempFolder::read(files / "first.tar.gz"), TempFolder::read(files / "second.tar.gz"));

    const auto listed = runProcess({"python3", "-c",
                                    "import sys, tarfile\n"
                                    "for m in tarfile.open(sys.argv[1]):\n"
                                    "    if m.name.startswith('included/'): print(m.name, m.size, int(m.mtime))\n",
                                    (files / "first.tar.gz").string()});
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_EQ(listed.out, expected);
    fs::create_directory(files / "unpacked");
    const auto unpacked = runProcess({"tar", "-xzf", (files / "first.tar.gz").string(), "-C", (files / "unpacked").string()});
    EXPECT_EQ(unpacked.exitStatus, 0) << unpacked.err;
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(TempFolder::read(files / "unpacked" / rows[i].member), contentOf(rows[i].file));
}

TEST_F(RecordAndReplay, ALargeRecordingOrBundleMemberIsReadInPiecesNotHeldWhole) {
    constexpr std::size_t kBlankLines = 32u << 20, kMemberBytes = 192u << 20;
    const fs::path blank = files / "blank.jsonl.gz", large = files / "large.bin";
    const std::string text = R"({"format":"imageburner-recording","version":1,"data":"hash"})" + std::string(kBlankLines, '\n');
    gzFile out = gzopen(blank.string().c_str(), "wb");
    gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
    gzclose(out);
    std::ofstream(large).close();
    fs::resize_file(large, kMemberBytes);
    const struct {
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {{kCli, "--replay", blank.string(), "probe"}, 3},
        {{kCli, "report", "--include", large.string(), "--output", (files / "bundle.tar.gz").string()}, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(runProcess(row.args, work.path()).exitStatus, row.status) << row.args[1];
        // The largest child so far, in kilobytes: this one, since the runs before it were small.
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        EXPECT_LT(usage.ru_maxrss, 300 * 1024) << row.args[1];
    }
}

}  // namespace
}  // namespace ib::test
