// Shared benchmark pieces. See bench_support.h.
#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "app/temporary_folder.h"

extern char** environ;

namespace ib::bench {

void QuietPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", captionOf(kind), text.c_str());
}

namespace {

// The simulated recorder, the clock and the folders given; the system's process runner.
app::SessionOptions benchOptions(sim::Simulator& recorder, Clock& clock, ProfileStore& profile,
                                 const std::filesystem::path& workdir, const std::filesystem::path& tmpdir,
                                 const std::filesystem::path& recording) {
    app::SessionOptions options;
    options.workingDirectory = workdir;
    options.recordFile = recording;
    app::SessionOverrides& given = options.overrides;
    given.volumes = &recorder.volumes();
    given.devices = &recorder.enumerator();
    given.deviceEvents = &recorder.events();
    given.clock = &clock;
    given.profile = &profile;
    given.temporaryDirectory = tmpdir;
    given.physicalDrives = [](std::uint8_t) { return std::optional<std::string>{}; };
    return options;
}

double kibToMiB(long kib) { return static_cast<double>(kib) / 1024.0; }

}  // namespace

BenchController::BenchController(sim::Simulator& recorder, Clock& clock, const std::filesystem::path& workdir,
                                 const std::filesystem::path& tmpdir, const std::filesystem::path& recording)
    : session(app::ApplicationSession::open(port, benchOptions(recorder, clock, profile, workdir, tmpdir, recording))),
      controller(session->controller) {}

ScratchFolder::ScratchFolder(const std::string& name) {
    m_path = app::temporaryFolder() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ChildRun runChild(const std::vector<std::string>& argv, const std::filesystem::path& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> pointers;
    for (const auto& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);

    ChildRun run;
    pid_t child = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawnp(&child, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0].c_str());
        return run;
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = secondsSince(start);
    run.peakMiB = kibToMiB(usage.ru_maxrss);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (run.exitStatus != 0) std::fprintf(stderr, "%s ended with status %d\n", argv[0].c_str(), run.exitStatus);
    return run;
}

std::string quotedForShell(const std::filesystem::path& path) {
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

double launcherPeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return kibToMiB(usage.ru_maxrss);
}

void settleDisk(const std::filesystem::path& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    syncfs(fd);
    close(fd);
}

void dropFromCache(const std::filesystem::path& file) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    fdatasync(fd);  // dirty pages cannot be dropped
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

double Comparison::medianRatio() const {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size(); ++i) ratios.push_back(peer[i] / ours[i]);
    return median(ratios);
}

double Comparison::minRatio() const {
    double lowest = 1e9;
    for (std::size_t i = 0; i < ours.size(); ++i) lowest = std::min(lowest, peer[i] / ours[i]);
    return lowest;
}

Comparison alternate(int pairs, const std::function<ChildRun()>& ours, const std::function<ChildRun()>& peer,
                     const std::function<void()>& prepare) {
    Comparison result;
    for (int pair = 0; pair < pairs; ++pair) {
        prepare();
        const ChildRun mine = ours();
        prepare();
        const ChildRun theirs = peer();
        result.failed = result.failed || mine.exitStatus != 0 || theirs.exitStatus != 0;
        result.ours.push_back(mine.seconds);
        result.peer.push_back(theirs.seconds);
        result.peakMiB = std::max(result.peakMiB, mine.peakMiB);
        std::printf("  pair %d: imageburner %.2f s, peer %.2f s, ratio %.2fx\n", pair + 1, mine.seconds,
                    theirs.seconds, theirs.seconds / mine.seconds);
        std::fflush(stdout);
    }
    return result;
}

void printComparison(const Comparison& runs, const std::string& ours, const std::string& peer) {
    printFigure(ours + ", median", median(runs.ours), "s");
    printFigure(peer + ", median", median(runs.peer), "s");
    printFigure("ratio (" + peer + " time / ours), median", runs.medianRatio(), "x");
    printFigure("ratio, lowest", runs.minRatio(), "x");
}

std::string ratioCell(const Comparison& runs) {
    return fixed(runs.medianRatio(), 2) + "x (min " + fixed(runs.minRatio(), 2) + "x)";
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printFigure(const std::string& name, double value, const std::string& unit) {
    std::printf("%-52s %10.2f %s\n", name.c_str(), value, unit.c_str());
}

void printTableRow(const std::vector<std::string>& cells) {
    std::string row = "TABLE";
    for (const auto& cell : cells) row += "|" + cell;
    std::printf("%s\n", row.c_str());
    std::fflush(stdout);
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

void printMachine() {
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("machine: %ld cores, load average %.2f %.2f %.2f (other work on the machine adds noise)\n",
                sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2]);
}

}  // namespace ib::bench
