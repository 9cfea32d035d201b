// imageburner-cli as technicians and scripts use it: real runs against a
// simulated recorder's state folder, checking standard output, standard error,
// the exit status and what the recorder received.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/build_version.h"
#include "cli/cli.h"
#include "cli/cli_runner.h"
#include "support/environment_variable.h"
#include "support/fake_environment.h"
#include "operation/status_texts.h"
#include "tools/md5.h"

namespace ib {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

using Result = test::CliResult;

class Cli : public ::testing::Test {
protected:
    Cli() {
        // The profile's folder: XDG_CONFIG_HOME on Linux, APPDATA on Windows.
        test::setEnvironmentVariable("XDG_CONFIG_HOME", (home / "config").string());
        test::setEnvironmentVariable("APPDATA", (home / "config").string());
        fs::copy(fs::path(IMAGEBURNER_SOURCE_DIR) / "examples", work.path(), fs::copy_options::recursive);
        // What a demo run left in the source tree's examples is not part of them.
        for (const char* left : {"UserAreaFirstSector", "userdata.img", "BootArea.bin", "UserArea.bin"})
            fs::remove(work / left);
    }
    Result cli(std::vector<std::string> args) { return test::runCli(std::move(args)); }
    Result simInit(const std::string& mode) { return cli({"sim", "init", state.path().string(), "--mode", mode, "--force"}); }
    Lines commandLog() {
        std::ifstream in(state / "commands.log");
        Lines lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    std::string sim() const { return state.path().string(); }
    std::string workdir() const { return work.path().string(); }

    test::TempFolder home, state, work;
};

TEST_F(Cli, VersionNamesTheProgramTheVersionAndTheCommitWithoutACommand) {
    const Result r = cli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "imageburner-cli " + std::string(app::kVersionText) + "\n");
    EXPECT_TRUE(r.err.empty());
}

TEST_F(Cli, SyncBringsABootRomRecorderIntoItsUpdater) {
    ASSERT_EQ(simInit("bootrom").status, 0);
    const Result r = cli({"--sim", sim(), "--workdir", workdir(), "sync"});
    EXPECT_EQ(r.status, 0) << r.err;
    // The recorder's leaving and return during the sync do not replace its status.
    EXPECT_EQ(linesOf(r.out), (Lines{text::kRecorderReady, text::kConnecting, "download the updater.bin .....",
                                     text::kWaitForRecorder, "Device Sync. success !!"}));
    EXPECT_EQ(r.err, "");
    // The updater of the example folder: 24,576 bytes after its header, 48 sectors in one chunk.
    EXPECT_EQ(commandLog(), (Lines{"120000002400 in 36 ok", "fa556601000000000000000000000000 in 16 ok",
                                   "fa556602003000000000000000000000 out 24576 ok",
                                   "fa556603000000000000000000000000 none 0 ok", "120000002400 in 36 ok",
                                   "fa556601000000000000000000000000 in 16 ok"}));
    EXPECT_NE(cli({"--sim", sim(), "probe"}).out.find("mode 2 (updater)"), std::string::npos);
}

TEST_F(Cli, UpdateFromTheExampleFolderBurnsAndLaysOutTheRecorder) {
    ASSERT_EQ(simInit("bootrom").status, 0);
    const Result r = cli({"--sim", sim(), "--workdir", workdir(), "update"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(linesOf(r.out).back(), "Burn-in Boot process done .....");
    const Result show = cli({"sim", "show", sim()});
    EXPECT_NE(show.out.find("entry 10: start 16384, count 16384, attributes 0x3"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("entry 12: start 34816, count 7665664, attributes 0x1"), std::string::npos);

    // The FAT partition on the recorder is a file system a checker accepts.
    const auto image = home / "partition.img";
    {
        std::ifstream storage(state / "storage-2-area-0.img", std::ios::binary);
        storage.seekg(16384LL * 512);
        std::vector<char> bytes(16384 * 512);
        storage.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::ofstream(image, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
#ifndef _WIN32  // the checker is a Linux utility
    const std::string fsck = "fsck.fat -n '" + image.string() + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(fsck.c_str()), 0);
#endif
}

// The examples' serial-flash folder makes an SD image; the eMMC folder's boot
// code runs into its index table sector at 0, which is refused before anything
// is written. The boot code alone stays in the intermediate file and is the image.
TEST_F(Cli, CreateSdImageWritesAnImageWhoseChecksumVerifies) {
    const struct {
        const char* folder;
        std::vector<std::string> options;
        int status;
        bool intermediateKept;
    } runs[] = {{"sif", {}, 0, false}, {"sif", {"--firmware-number", "1"}, 0, true}, {"", {}, 1, false}};
    for (const auto& run : runs) {
        const auto output = home / "card.bin";
        fs::remove(output);
        std::vector<std::string> args{"--workdir", (work / run.folder).string()};
        args.insert(args.end(), run.options.begin(), run.options.end());
        args.insert(args.end(), {"create-sd-image", output.string()});
        const Result r = cli(args);
        ASSERT_EQ(r.status, run.status) << r.err;
        // No recorder is needed, so none is looked for.
        EXPECT_EQ(linesOf(r.out).front().find("rejestrator"), std::string::npos) << r.out;
        EXPECT_EQ(fs::exists(work / run.folder / "SD_RoadVTemp.bin"), run.intermediateKept) << run.folder;
        if (run.status != 0) {
            EXPECT_FALSE(fs::exists(output));
            continue;
        }
        EXPECT_EQ(linesOf(r.out).back(), text::kProcessSucceeded);
        // The output may share the intermediate's content; deleting the intermediate is quiet.
        EXPECT_EQ(r.out.find("Could not delete"), std::string::npos) << r.out;
        tools::Md5 md5;
        const std::string image = test::TempFolder::read(output);
        md5.update(std::span(reinterpret_cast<const std::uint8_t*>(image.data()), image.size()));
        EXPECT_EQ(test::TempFolder::read(home / "card.bin.md5"), tools::toHex(md5.finish()) + "  card.bin\n");
        if (run.intermediateKept) {
            EXPECT_EQ(image, test::TempFolder::read(work / run.folder / "SD_RoadVTemp.bin"));
        }
    }
}

TEST_F(Cli, MessageBoxesGoToStandardErrorAndFailuresExitWithOne) {
    ASSERT_EQ(simInit("updater").status, 0);
    const Result r = cli({"--sim", sim(), "--workdir", workdir(), "--storage", "emmc", "sync"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error Message: Error 0x01: UI parameter error !\n");
    const Result bad = cli({"--boot-size", "0", "--sim", sim(), "--workdir", workdir(), "sync"});
    EXPECT_EQ(bad.status, 0);  // the range message does not stop the operation
    EXPECT_EQ(bad.err, "Enter an integer between 1 and 128.\n");
}

TEST_F(Cli, AConfigurationWhoseFirstSectionIsHiddenByAUtf8MarkIsReportedOnStandardError) {
    const auto ini = work.write("DiskInfo.ini", "\xEF\xBB\xBF[UI_SETTING]\nNumberOfFirmware=3\n");
    const Result r = cli({"--workdir", workdir(), "settings"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Warning: " + ini.string() +
                         " starts with a UTF-8 byte-order mark: section [UI_SETTING] is not read and its keys take "
                         "their defaults. Save the file without the mark.\n");
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    EXPECT_EQ(cli({}).status, 2);
    EXPECT_EQ(cli({"no-such-command"}).status, 2);
    EXPECT_EQ(cli({"read-register"}).status, 2);
    EXPECT_EQ(cli({"--help"}).status, 0);
}

TEST_F(Cli, RegistersAreReadAsTheDialogShowsThem) {
    ASSERT_EQ(simInit("updater").status, 0);
    EXPECT_EQ(cli({"--sim", sim(), "write-register", "0x80008C00", "0x5A"}).status, 0);
    const Result r = cli({"--sim", sim(), "read-register", "0x80008C00"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(linesOf(r.out).back(), "0x5a");
}

TEST_F(Cli, ACommandTheRecorderRefusesFailsWithItsSenseUnlessTheStatusIsIgnored) {
    ASSERT_EQ(simInit("updater").status, 0);
    const auto refuseNextWriteRegister = [this] {
        std::string ini = test::TempFolder::read(state / "recorder.ini");
        ini.insert(ini.find("[faults]\n") + 9, "fail_command = 0x05 1 0 check\n");
        std::ofstream(state / "recorder.ini") << ini;
    };
    refuseNextWriteRegister();
    const Result refused = cli({"--sim", sim(), "write-register", "0x10", "0x5A"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("WriteRegister refused: CHECK CONDITION, HARDWARE ERROR, internal target failure "
                               "(sense key 4h, ASC 44h, ASCQ 00h)\n"),
              std::string::npos)
        << refused.out;

    refuseNextWriteRegister();
    const Result ignored = cli({"--ignore-scsi-status", "--sim", sim(), "write-register", "0x10", "0x5A"});
    EXPECT_EQ(ignored.status, 0) << ignored.err;
    EXPECT_EQ(ignored.out.find("refused"), std::string::npos) << ignored.out;
}

TEST_F(Cli, PickAnswersTheChooserAndThePathIsRememberedForTheNextRun) {
    ASSERT_EQ(simInit("updater").status, 0);
    const auto image = work.write("flash.bin", std::string(4096, 'r'));
    const Result first = cli({"--sim", sim(), "--pick", image.string(), "raw-write"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "chooser (Open RAW File): " + image.string() + "\n");
    EXPECT_EQ(linesOf(first.out).back(), "SUCCESS");

    const Result again = cli({"--sim", sim(), "raw-write"});  // no chooser: the remembered path
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err, "");
    const Result cancelled = cli({"--sim", sim(), "create-sd-image"});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.err, "chooser (Save Bin File): cancelled, no --pick left\nError Message: Error : Lost Bin File\n");
}

TEST_F(Cli, SettingsAndPlanShowWhatAConfigurationWillDo) {
    const Result settings = cli({"--workdir", workdir(), "settings"});
    ASSERT_EQ(settings.status, 0);
    const Lines lines = linesOf(settings.out);
    for (const char* expected : {"storage = eMMC", "firmware_number = 3", "configure_user_area = 1", "mbr_sector = 0",
                                 "file2 = firmware.bin"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;

    work.write("DiskInfo.ini", "[User_Area_Partition]\nPartitionNumber=2\nAlignmentEnable=1\nAlignmentSize=8192\n"
                               "[Part_0]\nSize=-1\nType=FAT\nUnitNumber=0\n[Part_1]\nSize=1000\nType=RAW\n"
                               "UnitNumber=1\n");
    const Result plan = cli({"--workdir", workdir(), "--storage", "moviNAND", "plan", "--capacity", "7700480"});
    ASSERT_EQ(plan.status, 0) << plan.out;
    const Lines planned = linesOf(plan.out);
    const auto entries = std::find(planned.begin(), planned.end(), "entry 0: start 8192, count 7684096, attributes 0x3");
    ASSERT_GE(std::distance(entries, planned.end()), 2) << plan.out;
    EXPECT_EQ(*std::next(entries), "entry 1: start 7692288, count 8192, attributes 0x1");
    // The checks on the PC follow the entries.
    EXPECT_EQ(planned.back(), "Nothing on the PC stands in the way; nothing was written.");
}

TEST_F(Cli, PlanGivesTheConfigurationsVerdictOnARecorderAndSaysWhatItCannotCheckWithoutOne) {
    ASSERT_EQ(simInit("updater").status, 0);  // its boot area was never burnt
    const Result plan = cli({"--sim", sim(), "--workdir", workdir(), "plan"});
    const Result configure = cli({"--sim", sim(), "--workdir", workdir(), "configure-user-area"});
    for (const Result* r : {&plan, &configure}) {
        EXPECT_EQ(r->status, 1);
        EXPECT_NE(r->err.find("Error Message: Error 0x20: Please burn-in firmware first"), std::string::npos) << r->err;
    }
    EXPECT_EQ(linesOf(plan.out).back(), "The plan cannot be placed; nothing would be written.");

    const Result offline = cli({"--workdir", workdir(), "plan", "--capacity", "7700480"});
    EXPECT_EQ(offline.status, 0) << offline.out;
    EXPECT_NE(offline.out.find("Not checked without a recorder: the index table sector on the device"),
              std::string::npos)
        << offline.out;
}

TEST_F(Cli, DetectTellsWhyEachVolumeWasOrWasNotTaken) {
    ASSERT_EQ(simInit("updater").status, 0);
    const Result r = cli({"--sim", sim(), "detect"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("USBSTOR\\DISK&VEN_QUB&PROD_CARD_READER&REV_1.00\\SIM0001&0  <- recorder ID"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("-> accepted, updater mode"), std::string::npos);
    EXPECT_NE(r.out.find("FindRecorder = 2"), std::string::npos);
}

TEST_F(Cli, FreezeUiRefusesTheOptionsOfTheControlsItLocks) {
    work.write("DiskInfo.ini", "[UI_SETTING]\nFreezeUI=1\nMedia=3\n");
    const std::vector<std::pair<std::string, std::string>> locked{
        {"--storage", "eMMC"}, {"--firmware-number", "3"}, {"--configure-user-area", "0"}};
    for (const auto& [option, value] : locked) {
        const Result r = cli({"--workdir", workdir(), option, value, "settings"});
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_EQ(r.err, option + ": refused, FreezeUI in " + (work / "DiskInfo.ini").string() +
                             " locks this setting to the configured value\n");
    }
    // The controls the configuration leaves free keep their options.
    const Result free = cli({"--workdir", workdir(), "--configure-boot-area", "1", "settings"});
    EXPECT_EQ(free.status, 0) << free.err;
    const std::string presets = "storage = SIF\nfirmware_number = 2\nconfigure_user_area = 1\nconfigure_boot_area = 1\n";
    EXPECT_NE(free.out.find(presets), std::string::npos) << free.out;
}

// The shell's current folder for the commands run while it lives.
class ShellFolder {
public:
    explicit ShellFolder(const fs::path& folder) : m_previous(fs::current_path()) { fs::current_path(folder); }
    ~ShellFolder() { fs::current_path(m_previous); }

private:
    fs::path m_previous;
};

TEST_F(Cli, PathsTypedOnTheCommandLineAreTheShellsNotTheWorkingFolders) {
    const ShellFolder shell(home.path());
    const std::string sif = (work / "sif").string();
    const Result typed = cli({"--workdir", sif, "create-sd-image", "typed.bin"});
    EXPECT_EQ(typed.status, 0) << typed.err;
    const Result picked = cli({"--workdir", sif, "--pick", "picked.bin", "create-sd-image"});
    EXPECT_EQ(picked.status, 0) << picked.err;
    for (const char* name : {"typed.bin", "picked.bin"}) {
        EXPECT_TRUE(fs::exists(fs::current_path() / name)) << name;
        EXPECT_FALSE(fs::exists(work / "sif" / name)) << name;
    }
    // The remembered path stays right when the next run starts elsewhere.
    EXPECT_EQ(picked.err, "chooser (Save Bin File): " + (fs::current_path() / "picked.bin").string() + "\n");
}

}  // namespace
}  // namespace ib

namespace ib {
namespace {

TEST_F(Cli, TheUpdatesDryRunChecksThePcAloneAndNamesWhatStandsInTheWay) {
    const std::vector<std::string> dryRun{"--workdir", workdir(), "--storage", "eMMC", "--firmware-number", "3",
                                          "--configure-user-area", "1", "update", "--dry-run"};
    Result r = cli(dryRun);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const Lines lines = linesOf(r.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "write " + (work / "UserAreaFirstSector").string() + " (512 bytes)"),
              lines.end());
    EXPECT_FALSE(fs::exists(work / "UserAreaFirstSector"));

    fs::remove(work / "firmware.bin");
    r = cli(dryRun);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(linesOf(r.out).back(), "Error 0x07: Burn-in Firmware error !");
}

}  // namespace
}  // namespace ib
