// A bench of three simulated recorders behind a hub, for the tests that run
// the command line on several at once, with what they read back: whether a
// recorder was reached or written, its closed sessions, the closing table.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_runner.h"
#include "seams/clock.h"
#include "sim/simulator.h"
#include "support/environment_variable.h"
#include "support/temp_folder.h"

namespace ib::test {

namespace fs = std::filesystem;

using Result = CliResult;

struct SimulatedRecorder {
    const char* name;
    const char* port;
    const char* serial;
};

// Three recorders behind a hub, in one bus folder: letters D, E and F.
constexpr SimulatedRecorder kBench[] = {{"a", "1-1", "SIM0001"}, {"b", "1-2", "SIM0002"}, {"c", "1-3.1", "XYZ7"}};

class RecorderBench : public ::testing::Test {
protected:
    RecorderBench() {
        setEnvironmentVariable("XDG_CONFIG_HOME", (home / "config").string());
        fs::copy(fs::path(IMAGEBURNER_SOURCE_DIR) / "examples", work.path(), fs::copy_options::recursive);
        for (const auto& r : kBench) {
            EXPECT_EQ(cli({"sim", "init", folder(r.name), "--port", r.port, "--serial", r.serial}).status, 0);
            setIni(at(r.name), "restart_delay_ms", "100");
        }
    }
    static Result cli(std::vector<std::string> args) { return runCli(std::move(args)); }
    fs::path at(const std::string& name) const { return bus / name; }
    std::string folder(const std::string& name) const { return at(name).string(); }
    // Whether the recorder received any command.
    bool reached(const std::string& name) const { return fs::file_size(at(name) / "commands.log") > 0; }
    // Rewrites one "key = value" line of a recorder's recorder.ini.
    static void setIni(const fs::path& folder, const std::string& key, const std::string& value) {
        const fs::path ini = folder / "recorder.ini";
        std::istringstream in(TempFolder::read(ini));
        std::string text;
        for (std::string line; std::getline(in, line);)
            text += (line.starts_with(key + " =") ? key + " = " + value : line) + "\n";
        std::ofstream(ini) << text;
    }

    TempFolder home, bus, work;
};


// Full updates the recorder has closed (EndSession commands it accepted).
inline std::uint64_t sessionsEnded(const fs::path& folder) {
    ManualClock clock;
    std::string error;
    auto recorder = sim::Simulator::openFolder(folder, clock, error);
    return recorder ? recorder->state().counters.sessions : 0;
}

// Waits for `condition` at most a minute: false when it never came, so that a
// run that never gets there fails with its output instead of hanging.
[[nodiscard]] inline bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition())
        if (std::chrono::steady_clock::now() > deadline) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
}

// Whether the recorder's command log holds a sector write yet.
inline bool writesStarted(const fs::path& folder) {
    std::ifstream log(folder / "commands.log");
    for (std::string line; std::getline(log, line);)
        if (line.starts_with("fa556608")) return true;
    return false;
}

// Rows of the closing table, without its heading.
inline std::vector<std::string> tableRows(const std::string& out) {
    std::istringstream in(out.substr(out.find("Recorder     Result")));
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line) && !line.starts_with("Recordings");) rows.push_back(line);
    rows.erase(rows.begin());
    return rows;
}

}  // namespace ib::test
