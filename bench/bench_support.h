// What the benchmarks share: a quiet user-interface port, a controller on the
// application session, a scratch folder, files of a given size, and the
// figures they print.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application_session.h"
#include "app/memory_profile.h"
#include "sim/simulator.h"
#include "app/image_burner_controller.h"
#include "app/user_interface_port.h"

namespace ib::bench {

// Counts what a user would see and prints message boxes (a benchmark run that
// fails must say why).
class QuietPort final : public UserInterfacePort {
public:
    void renderStatus(const StatusState&) override { ++statusUpdates; }
    void showStepMessage(const std::string&) override {}
    void showMessageBox(MessageBoxKind, const std::string& text) override;
    void setOperationButtonsEnabled(bool) override {}
    void setControlEnabled(ControlId, bool) override {}
    std::optional<std::string> chooseFile(const FileChooserRequest&) override { return std::nullopt; }
    void transferProgress(std::uint64_t, std::uint64_t) override { ++progressEvents; }
    void showValues(const DialogValues&) override {}
    void operationFinished(Operation, std::uint32_t) override {}

    std::uint64_t statusUpdates = 0;
    std::uint64_t progressEvents = 0;
};

// A controller on a working folder, talking to a simulated recorder, with the
// system's process runner for the helper tools.
struct BenchController {
    BenchController(sim::Simulator& recorder, Clock& clock, const std::filesystem::path& workdir,
                    const std::filesystem::path& tmpdir);
    QuietPort port;
    app::MemoryProfile profile;
    std::unique_ptr<app::ApplicationSession> session;
    std::unique_ptr<CImageBurnerDlg>& controller;
};

// A fresh folder under the temporary folder, removed with the object.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Writes `bytes` bytes of a pattern (not zeros, so nothing can be skipped).
void writePatternFile(const std::filesystem::path& path, std::uint64_t bytes, unsigned seed);
void writeText(const std::filesystem::path& path, const std::string& text);

// Peak resident memory of this process (or of its finished children), MiB.
double peakMemoryMiB(bool children = false);

double secondsSince(std::chrono::steady_clock::time_point start);
void printFigure(const std::string& name, double value, const std::string& unit);

}  // namespace ib::bench
