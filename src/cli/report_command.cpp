// `report`: the support bundle a user attaches to a bug report. One tar.gz
// with the program's version and build, the system, what `detect` and
// `settings` see with the same options, the working folder's DiskInfo.ini,
// and, when given, a recording and further files (logs). Firmware images and
// user files stay out unless named with --include.
#include <CLI/CLI.hpp>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/build_version.h"
#include "cli/cli.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/tar_gz_writer.h"
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

std::optional<std::string> fileContent(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string systemDescription() {
#ifdef _WIN32
    return "Windows (this build does not read the version)\n";
#else
    struct utsname names {};
    std::string text;
    if (::uname(&names) == 0)
        text = std::string(names.sysname) + " " + names.release + " " + names.version + " " + names.machine + "\n";
    return text + fileContent("/etc/os-release").value_or("");
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

int writeReport(const CommandContext& c, const ReportArguments& args) {
    std::vector<std::pair<std::string, std::string>> members{
        {"version.txt", "imageburner " + std::string(app::kVersionText) + "\nbuild: " + IMAGEBURNER_BUILD_TEXT + "\n"},
        {"system.txt", systemDescription()},
        {"list.txt", ownCommandOutput(c.options, "list")},
        {"detect.txt", ownCommandOutput(c.options, "detect")},
        {"settings.txt", ownCommandOutput(c.options, "settings")},
    };
    if (auto ini = fileContent(pathFromUtf8(c.options.workdir) / "DiskInfo.ini")) members.emplace_back("DiskInfo.ini", *ini);
    std::vector<std::pair<std::string, std::string>> named;
    if (!args.recording.empty()) named.emplace_back("recording/", args.recording);
    for (const auto& file : args.included) named.emplace_back("included/", file);
    for (const auto& [folder, file] : named) {
        const std::filesystem::path path = pathFromUtf8(file);
        const auto content = fileContent(path);
        if (!content) {
            c.err << "report: cannot read " << file << "\n";
            return 1;
        }
        members.emplace_back(folder + utf8FromPath(path.filename()), *content);
    }
    TarGzWriter archive(pathFromUtf8(args.output));
    for (const auto& [name, content] : members) archive.add(name, content);
    if (!archive.ok() || !archive.finish()) {
        c.err << "report: cannot write " << args.output << "\n";
        return 1;
    }
    c.out << "Support bundle " << args.output << ":\n";
    for (const auto& [name, content] : members) c.out << "  " << name << " (" << content.size() << " bytes)\n";
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
