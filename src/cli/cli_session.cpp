// Assembling one command-line run. See cli_session.h.
#include "cli/cli_session.h"

#include <unistd.h>

#include <deque>
#include <iostream>
#include <ostream>

#include "cli/typed_path.h"
#include "platform/helper_tool_location.h"
#include "platform/physical_drive_path.h"
#include "platform/platform_services.h"

namespace ib::cli {

CliSession::CliSession(const GlobalOptions& options, std::ostream& out, std::ostream& err)
    : m_options(options), m_out(out), m_err(err) {}

CliSession::~CliSession() = default;

int CliSession::start() {
    const bool terminal = &m_out == &std::cout && ::isatty(STDOUT_FILENO);
    std::deque<std::string> picks;
    for (const auto& pick : m_options.picks) picks.push_back(fromShell(pick));
    m_port = std::make_unique<ConsolePort>(m_out, m_err, terminal, std::move(picks));
    m_services = std::make_unique<platform::PlatformServices>(platform::makePlatformServices());
    if (!m_options.simDir.empty()) {
        std::string error;
        m_backend = openSimulatorBackend(m_options.simDir, m_clock, error);
        if (!m_backend) {
            m_err << error << '\n';
            return 1;
        }
    } else {
        m_backend = openSystemBackend(*m_services);
    }

    const std::filesystem::path workdir = std::filesystem::absolute(m_options.workdir).lexically_normal();
    const char* tmp = std::getenv("TMPDIR");
    ControllerEnvironment env{
        *m_port,
        m_backend->volumes(),
        m_backend->devices(),
        m_backend->deviceEvents(),
        m_clock,
        *m_services->profile,
        *m_services->processes,
        [workdir](const std::string& name) {
            return platform::findHelperTool(name, workdir).value_or(workdir / name);
        },
        workdir,
        tmp && *tmp ? std::filesystem::path(tmp) : std::filesystem::path("/tmp"),
        [](std::uint8_t n) { return platform::physicalDrivePath(n, platform::defaultPhysicalDrivePrefix()); },
    };
    m_controller = std::make_unique<CImageBurnerDlg>(std::move(env));
    m_controller->startUp(m_view);
    m_controller->m_verifyBurns = m_options.verify;
    if (const char* locked = lockedOptionGiven()) {
        m_err << locked << ": refused, FreezeUI in " << m_controller->m_iniPath
              << " locks this setting to the configured value\n";
        return 2;
    }

    if (m_options.storage) m_view.storageName = *m_options.storage;
    if (m_options.firmwareNumber) m_view.firmwareNumber = *m_options.firmwareNumber;
    if (m_options.configureUserArea) m_view.configUserArea = *m_options.configureUserArea;
    if (m_options.configureBootArea) m_view.configBootArea = *m_options.configureBootArea;
    if (m_options.changeBootSize) m_view.changeBootSize = *m_options.changeBootSize;
    if (m_options.bootSize) m_view.bootSize = *m_options.bootSize;
    return 0;
}

const char* CliSession::lockedOptionGiven() {
    const struct {
        bool given;
        ControlId control;
        const char* option;
    } options[] = {
        {m_options.storage.has_value(), ControlId::StorageCombo, "--storage"},
        {m_options.firmwareNumber.has_value(), ControlId::FirmwareCombo, "--firmware-number"},
        {m_options.configureUserArea.has_value(), ControlId::ConfigUserCheck, "--configure-user-area"},
    };
    for (const auto& o : options)
        if (o.given && !m_port->controlEnabled(o.control)) return o.option;
    return nullptr;
}

}  // namespace ib::cli
