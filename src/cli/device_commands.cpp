// Commands that look at or prepare the recorder: probe, detect, sync, settings.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/parallel_update.h"
#include "cli/scanned_letters.h"
#include "config/private_profile.h"
#include "device/recorder_discovery.h"
#include "seams/utf8_path.h"

namespace ib::cli {
namespace {

// Runs `body` in a started session; a session that cannot start is a failure.
template <typename Body>
void inSession(CommandContext& c, Body body, RecorderUse use = RecorderUse::One) {
    CliSession session(c.options, c.out, c.err, c.stop);
    if (const int failed = session.start(use); failed != 0) {
        c.exitCode = failed;
        return;
    }
    c.exitCode = session.checkedAgainstReplay(body(session));
}

int probe(CliSession& s) {
    auto& cmd = s.controller().usbCmd();
    if (!cmd.Open()) {
        const std::string refusal = cmd.openRefusal();
        s.out() << (refusal.empty() ? "No recorder answered on drive letters D to Z." : refusal) << '\n';
        return 1;
    }
    const char letter = cmd.openLetter();
    s.out() << "Recorder at " << letter << ": (" << s.application().volumes().volumeName(letter) << "), mode "
            << cmd.GetMode() << " (" << modeName(cmd.GetMode()) << ")\n";
    return 0;
}

int detect(CliSession& s) {
    auto& out = s.out();
    const UsbStorageList list = s.application().devices().presentDevices();
    out << "USB storage devices" << (list.available ? "" : " (enumeration unavailable)") << ":\n";
    if (list.instanceIds.empty()) out << "  none\n";
    for (const auto& id : list.instanceIds) {
        if (!id) {
            out << "  (instance ID unreadable)\n";
            continue;
        }
        const int match = MatchDeviceName(*id);
        out << "  " << *id << (match >= 0 ? "  <- recorder ID " + std::string(kRecorderIds[match]) : "") << '\n';
    }
    out << "FindRecorder = " << FindRecorder(s.application().devices(), {}) << '\n';

    out << "Candidate volumes:\n";
    auto& cmd = s.controller().usbCmd();
    std::vector<ScannedLetter> letters;
    cmd.setScanObserver([&](const VolumeScanReport& r) {
        letters.push_back({r, s.application().volumes().volumeName(r.letter)});
    });
    const bool found = cmd.Open() != 0;
    cmd.setScanObserver({});
    describeScannedLetters(out, letters, list.available);
    out << (found ? "Recorder found." : "No recorder answered the vendor identification.") << '\n';
    return found ? 0 : 1;
}

int settings(CliSession& s) {
    auto& c = s.controller();
    c.exchangeFromView(s.view());
    const DialogValues v = c.exchangeToView();
    auto& out = s.out();
    const auto ini = PrivateProfile::load(c.configurationPath());
    out << "working_directory = " << utf8FromPath(c.workingDirectory()) << '\n'
        << "configuration = " << c.m_iniPath << (ini ? "" : " (missing: defaults apply)") << '\n'
        << "mbr_sector = " << c.m_mbrSector << '\n'
        << "storage = " << v.storageName << '\n'
        << "firmware_number = " << v.firmwareNumber << '\n'
        << "configure_user_area = " << v.configUserArea << '\n'
        << "configure_boot_area = " << v.configBootArea << '\n'
        << "change_boot_size = " << v.changeBootSize << '\n'
        << "boot_size = " << v.bootSize << '\n'
        << "read_register_address = " << v.readRegAddr << '\n'
        << "write_register_address = " << v.writeRegAddr << '\n'
        << "write_register_value = " << v.writeRegValue << '\n'
        << "boot_read_address = " << v.bootReadAddr << '\n'
        << "boot_read_size = " << v.bootReadSize << '\n'
        << "user_read_address = " << v.userReadAddr << '\n'
        << "user_read_size = " << v.userReadSize << '\n'
        << "raw_path = " << v.rawPath << '\n'
        << "bin_path = " << v.binPath << '\n';
    const PrivateProfile config = ini.value_or(PrivateProfile{});
    const std::uint32_t named = config.readInt("DEFAULT_FW", "number", 0);
    out << "firmware_files_named = " << named << '\n';
    for (std::uint32_t i = 0; i < named && i < 10; ++i)
        out << "file" << i << " = " << config.readString("DEFAULT_FW", "file" + std::to_string(i), "", 100) << '\n';
    return 0;
}

}  // namespace

void addDeviceCommands(CLI::App& app, CommandContext& c) {
    app.add_subcommand("probe", "Open the recorder and print its mode and drive letter")
        ->callback([&c] { inSession(c, probe); });
    app.add_subcommand("detect", "Show what recorder discovery sees: USB devices and candidate volumes")
        ->callback([&c] { inSession(c, detect, RecorderUse::None); });
    auto* sync = app.add_subcommand("sync", "Load updater.bin into a recorder that runs its boot ROM (Sync. Device)");
    addEveryRecorderOptions(*sync, c);
    sync->callback([&c] {
        if (c.arguments.all)
            c.exitCode = runOnEveryRecorder(c, Operation::Sync);
        else
            inSession(c, [](CliSession& s) { return s.run(Operation::Sync); });
    });
    app.add_subcommand("settings", "Print the effective configuration and bound values")
        ->callback([&c] { inSession(c, settings, RecorderUse::None); });
}

}  // namespace ib::cli
