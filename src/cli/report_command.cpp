// `report`: the support bundle a user attaches to a bug report. One tar.gz
// with the program's version and build, the system, what `detect` and
// `settings` see with the same options, the working folder's DiskInfo.ini,
// and, when given, a recording and further files (logs). Firmware images and
// user files stay out unless named with --include.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/build_version.h"
#include "cli/cli.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/bundle_member_names.h"
#include "cli/tar_gz_writer.h"
#include "seams/regular_file.h"
#include "seams/system_error_text.h"
#include "seams/utf8_path.h"

#ifndef _WIN32
#include <sys/utsname.h>
#endif

namespace ib::cli {
namespace {

struct ReportArguments {
    std::string recording;
    std::vector<std::string> included;
    std::string output = "imageburner-report.tar.gz";
};

std::string systemDescription() {
#ifdef _WIN32
    return "Windows (this build does not read the version)\n";
#else
    struct utsname names {};
    std::string text;
    if (::uname(&names) == 0)
        text = std::string(names.sysname) + " " + names.release + " " + names.version + " " + names.machine + "\n";
    std::ifstream release("/etc/os-release", std::ios::binary);
    return text + std::string(std::istreambuf_iterator<char>(release), {});
#endif
}

// What one of the program's own commands prints with the run's working folder and recorder.
std::string ownCommandOutput(const GlobalOptions& options, const char* command) {
    std::vector<std::string> args{"imageburner-cli", "--workdir", options.workdir};
    for (const std::string& simDir : options.simDirs) args.insert(args.end(), {"--sim", simDir});
    if (!options.recorder.empty()) args.insert(args.end(), {"--recorder", options.recorder});
    args.emplace_back(command);
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    const int status = run(static_cast<int>(argv.size()), argv.data(), out, out);
    return out.str() + "(exit status " + std::to_string(status) + ")\n";
}

constexpr int kStoppedExitStatus = 130;  // as a shell gives for Ctrl+C

// A file the bundle takes whole, checked before the archive is begun.
struct NamedFile {
    std::filesystem::path path;
    std::string member;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // seconds since 1970
};

std::int64_t secondsSince1970(std::filesystem::file_time_type time) {
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

// Takes the file's size and time; "" or why it cannot be taken.
std::string measure(NamedFile& file) {
    if (std::string whyNot = whyNotARegularFile(file.path); !whyNot.empty()) return whyNot;
    std::error_code error;
    file.size = std::filesystem::file_size(file.path, error);
    if (!error) file.modified = secondsSince1970(std::filesystem::last_write_time(file.path, error));
    return error ? systemErrorText(error) : "";
}

// Every named file as a member; nullopt after saying which one cannot be taken
// (missing, a folder, a FIFO or a device: nothing that could keep the bundle waiting).
std::optional<std::vector<NamedFile>> namedFiles(const CommandContext& c, const ReportArguments& args) {
    std::vector<std::pair<std::string, std::string>> named;
    if (!args.recording.empty()) named.emplace_back("recording/", args.recording);
    for (const auto& file : args.included) named.emplace_back("included/", file);
    BundleMemberNames names;
    std::vector<NamedFile> files;
    for (const auto& [folder, file] : named) {
        NamedFile taken{pathFromUtf8(file), ""};
        if (const std::string whyNot = measure(taken); !whyNot.empty()) {
            c.err << "report: cannot take " << file << ": " << whyNot << "\n";
            return std::nullopt;
        }
        taken.member = names.take(folder, taken.path);
        files.push_back(std::move(taken));
    }
    return files;
}

// The program's own texts, dated as the newest file the bundle holds, so
// that two bundles of the same state are the same.
std::vector<std::pair<std::string, std::string>> ownTexts(const CommandContext& c) {
    return {
        {"version.txt", "imageburner " + std::string(app::kVersionText) + "\nbuild: " + IMAGEBURNER_BUILD_TEXT + "\n"},
        {"system.txt", systemDescription()},
        {"list.txt", ownCommandOutput(c.options, "list")},
        {"detect.txt", ownCommandOutput(c.options, "detect")},
        {"settings.txt", ownCommandOutput(c.options, "settings")},
    };
}

int writeReport(const CommandContext& c, const ReportArguments& args) {
    std::optional<std::vector<NamedFile>> files = namedFiles(c, args);
    if (!files) return 1;
    if (NamedFile ini{pathFromUtf8(c.options.workdir) / "DiskInfo.ini", "DiskInfo.ini"}; measure(ini).empty())
        files->insert(files->begin(), ini);
    std::int64_t newest = 0;
    for (const NamedFile& file : *files) newest = std::max(newest, file.modified);
    const auto texts = ownTexts(c);
    TarGzWriter archive(pathFromUtf8(args.output));
    for (const auto& [name, content] : texts) archive.add(name, content, newest);
    const StopRequest stop = c.stop;
    for (const NamedFile& file : *files) {
        std::ifstream in(file.path, std::ios::binary);
        if (archive.add(file.member, in, file.size, file.modified, [stop] { return stop.requested(); })) continue;
        if (stop.requested()) break;
        c.err << "report: " << utf8FromPath(file.path) << " became shorter while it was read; " << args.output
              << " was not written\n";
        return 1;
    }
    if (stop.requested()) {
        c.err << "report: stopped; " << args.output << " was not written\n";
        return kStoppedExitStatus;
    }
    if (!archive.finish()) {
        c.err << "report: cannot write " << args.output << "\n";
        return 1;
    }
    c.out << "Support bundle " << args.output << ":\n";
    for (const auto& [name, content] : texts) c.out << "  " << name << " (" << content.size() << " bytes)\n";
    for (const NamedFile& file : *files) c.out << "  " << file.member << " (" << file.size << " bytes)\n";
    c.out << "Left out: firmware images and user files (add one with --include FILE)\n";
    return 0;
}

}  // namespace

void addReportCommand(CLI::App& app, CommandContext& c) {
    auto args = std::make_shared<ReportArguments>();
    auto* report = app.add_subcommand("report", "Make a support bundle (tar.gz) to attach to a bug report");
    report->add_option("RECORDING", args->recording, "A recording made with --record to put in");
    report->add_option("--include", args->included, "Another file to put in (a log, a firmware image)")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    report->add_option("--output", args->output, "The bundle's name")->capture_default_str();
    report->callback([&c, args] { c.exitCode = writeReport(c, *args); });
}

}  // namespace ib::cli
