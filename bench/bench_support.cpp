// Shared benchmark pieces. See bench_support.h.
#include "bench_support.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "app/temporary_folder.h"

namespace ib::bench {

void QuietPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", captionOf(kind), text.c_str());
}

namespace {

// The simulated recorder, the clock and the folders given; the system's process runner.
app::SessionOptions benchOptions(sim::Simulator& recorder, Clock& clock, ProfileStore& profile,
                                 const std::filesystem::path& workdir, const std::filesystem::path& tmpdir) {
    app::SessionOptions options;
    options.workingDirectory = workdir;
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

}  // namespace

BenchController::BenchController(sim::Simulator& recorder, Clock& clock, const std::filesystem::path& workdir,
                                 const std::filesystem::path& tmpdir)
    : session(app::ApplicationSession::open(port, benchOptions(recorder, clock, profile, workdir, tmpdir))),
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

void writePatternFile(const std::filesystem::path& path, std::uint64_t bytes, unsigned seed) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : block) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    for (std::uint64_t left = bytes; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, block.size()));
        out.write(block.data(), n);
        left -= static_cast<std::uint64_t>(n);
    }
}

void writeText(const std::filesystem::path& path, const std::string& text) { std::ofstream(path) << text; }

double peakMemoryMiB(bool children) {
    rusage usage{};
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printFigure(const std::string& name, double value, const std::string& unit) {
    std::printf("%-44s %12.2f %s\n", name.c_str(), value, unit.c_str());
}

}  // namespace ib::bench
