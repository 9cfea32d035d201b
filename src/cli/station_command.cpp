// The `station` command: a bench that waits for recorders and runs the full
// update on each one once as it arrives, each on its own thread, until it is
// stopped or has started --count updates. A recorder that leaves and comes
// back while its update runs (the restart into its updater) is the same
// recorder, not an arrival; one unplugged and plugged in again after its
// update is a new one. The first stop request lets the running updates finish,
// the second stops them at their next command with their sessions ended.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <future>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <sstream>
#include <thread>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/parallel_update.h"
#include "cli/run_threads.h"
#include "device/recorder_roster.h"
#include "seams/utf8_path.h"

namespace ib::cli {
namespace {

constexpr auto kLookInterval = std::chrono::milliseconds(100);

struct StationArguments {
    std::size_t count = 0;  // 0: until stopped
    std::vector<std::string> patterns;
};

// The recorders on the bus now that the patterns take in, with their
// simulators' folders; nullopt when the look fails (the reason is on `err`).
// Whether another program holds one is looked for only on the recorders not
// `known` (arrivals): opening the volume of one this station updates could
// meet its run opening it.
std::optional<std::vector<PlannedRun>> lookForRecorders(const CommandContext& c,
                                                        const std::vector<std::string>& patterns,
                                                        const std::set<std::string>& known) {
    std::ostringstream quiet;
    CliSession look(lookingOptions(c.options), quiet, c.err, c.stop);
    if (look.open() != 0) return std::nullopt;
    app::ApplicationSession& application = look.application();
    std::vector<PlannedRun> found;
    for (RecorderEntry r : listRecorders(application.devices(), application.allVolumes(), HolderCheck::Skip)) {
        if (!takenIn(r, patterns) || r.portPath.empty()) continue;
        if (!known.contains(r.portPath)) lookForHolder(application.allVolumes(), r);
        found.push_back({r.portPath, application.simulatorFolderOf(r.portPath), r.heldBy.value_or("")});
    }
    return found;
}

class Station {
public:
    Station(CommandContext& c, const StationArguments& a) : m_c(c), m_a(a), m_board(c.out, /*terminal=*/false, {}) {}

    int run() {
        if (const int refused = refusalOfSeveralRuns(m_c); refused != 0) return refused;
        m_temporary = runsTemporaryFolder();
        if (m_c.stops.holdSecond) m_c.stops.holdSecond();
        int status = 0;
        while (takesMore()) {
            const auto present = lookForRecorders(m_c, m_a.patterns, known());
            if (!present) {
                status = 1;
                break;
            }
            takeArrivals(*present);
            m_threads.joinEnded();
            std::this_thread::sleep_for(kLookInterval);
        }
        m_threads.joinAll();
        std::error_code ignored;
        std::filesystem::remove_all(m_temporary, ignored);
        printRunTable(m_c.out, m_results);
        printRecordings(m_c.out, m_results);
        // A recorder held when it arrived is shown, not counted: its next arrival is a run of its own.
        std::vector<RecorderRunResult> runs;
        std::copy_if(m_results.begin(), m_results.end(), std::back_inserter(runs),
                     [](const auto& r) { return r.outcome != RunOutcome::Held; });
        return status != 0 ? status : combinedExitStatus(runs);
    }

private:
    bool countReached() const { return m_a.count != 0 && m_started >= m_a.count; }
    // A look takes a while: a stop requested during it ends the taking of arrivals too.
    bool takesMore() const { return !m_c.stops.first.requested() && !countReached(); }

    // The recorders on the bus at the last look, and those being updated.
    std::set<std::string> known() {
        std::lock_guard lock(m_mutex);
        std::set<std::string> ports = m_here;
        ports.insert(m_running.begin(), m_running.end());
        return ports;
    }

    // A recorder another program holds is shown as held and not taken, also
    // once released: only when it is plugged in again is it an arrival.
    void takeArrivals(const std::vector<PlannedRun>& present) {
        std::set<std::string> nowHere;
        for (const auto& run : present) {
            nowHere.insert(run.port);
            if (m_here.contains(run.port) || running(run.port) || !takesMore()) continue;
            if (run.heldBy.empty())
                start(run);
            else
                showHeld(run);
        }
        // A recorder whose update runs, or ended since the look that left it
        // out, is still here: only a look without it says it has gone.
        std::lock_guard lock(m_mutex);
        nowHere.insert(m_running.begin(), m_running.end());
        nowHere.insert(m_endedSinceLook.begin(), m_endedSinceLook.end());
        m_endedSinceLook.clear();
        m_here = std::move(nowHere);
    }

    bool running(const std::string& port) {
        std::lock_guard lock(m_mutex);
        return m_running.contains(port);
    }

    void showHeld(const PlannedRun& run) {
        m_board.line(m_board.addRow(run.port), run.heldBy + " Taken when it is plugged in again.");
        std::lock_guard lock(m_mutex);
        m_results.push_back(notRunResult(run.port, RunOutcome::Held, run.heldBy));
    }

    void start(const PlannedRun& run) {
        const std::size_t row = m_board.addRow(run.port);
        {
            std::lock_guard lock(m_mutex);
            m_running.insert(run.port);
        }
        ++m_started;
        auto opened = std::make_shared<std::promise<void>>();
        std::future<void> sessionOpen = opened->get_future();
        const RunPlace place = placeOfRun(m_c, m_board, row, run.port, m_temporary, ++m_runsOnPort[run.port]);
        m_threads.start([this, run, place, opened] {
            RecorderRunResult result =
                runOnRecorder(m_c, Operation::FullUpdate, run, place, m_c.stops.second, [&] { opened->set_value(); });
            std::lock_guard lock(m_mutex);
            m_results.push_back(std::move(result));
            m_running.erase(run.port);
            m_endedSinceLook.insert(run.port);
        });
        // The next look must not meet this run opening its recorder.
        sessionOpen.wait();
    }

    CommandContext& m_c;
    const StationArguments& m_a;
    StatusBoard m_board;
    std::filesystem::path m_temporary;
    std::set<std::string> m_here;  // on the bus at the last look, or being updated
    std::size_t m_started = 0;
    std::map<std::string, std::size_t> m_runsOnPort;  // runs started per port, for their recordings' names
    std::mutex m_mutex;  // guards the three below
    std::set<std::string> m_running;
    std::set<std::string> m_endedSinceLook;
    std::vector<RecorderRunResult> m_results;
    RunThreads m_threads;  // last: joined before what the runs use goes
};

}  // namespace

void addStationCommand(CLI::App& app, CommandContext& c) {
    auto args = std::make_shared<StationArguments>();
    auto* station = app.add_subcommand(
        "station", "Wait for recorders and run the full update on each one once as it arrives, until stopped "
                   "(the first Ctrl+C lets running updates finish, the second stops them at their next command)");
    station->add_option("--count", args->count, "Stop after starting this many updates");
    station->add_option("--recorder", args->patterns,
                        "Only recorders on this port or behind it (1-2 takes in 1-2.3), or whose serial starts "
                        "with this; may be repeated")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    station->add_option("--log-dir", c.arguments.logDir,
                        "Folder of the per-recorder logs (default: the working folder)");
    station->callback([&c, args] {
        // --recorder before the command name is the global option: both take in.
        args->patterns.insert(args->patterns.end(), c.options.recorderPatterns.begin(), c.options.recorderPatterns.end());
        c.exitCode = Station(c, *args).run();
    });
}

}  // namespace ib::cli
