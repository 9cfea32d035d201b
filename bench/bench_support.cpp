// Shared benchmark pieces. See bench_support.h.
#include "bench_support.h"

#include "platform/helper_tool_location.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <vector>

namespace ib::bench {

void QuietPort::showMessageBox(MessageBoxKind kind, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", captionOf(kind), text.c_str());
}

std::string MemoryProfile::read(const std::string& section, const std::string& key) {
    auto it = m_values.find(section + "/" + key);
    return it == m_values.end() ? "" : it->second;
}

bool MemoryProfile::write(const std::string& section, const std::string& key, const std::string& value) {
    m_values[section + "/" + key] = value;
    return true;
}

BenchController::BenchController(sim::Simulator& recorder, Clock& clock, const std::filesystem::path& workdir,
                                 const std::filesystem::path& tmpdir)
    : services(platform::makePlatformServices()) {
    controller = std::make_unique<CImageBurnerDlg>(ControllerEnvironment{
        port, recorder.volumes(), recorder.enumerator(), recorder.events(), clock, profile, *services.processes,
        [workdir](const std::string& name) { return platform::findHelperTool(name, workdir).value_or(workdir / name); },
        workdir, tmpdir, [](std::uint8_t) { return std::optional<std::string>{}; }});
}

ScratchFolder::ScratchFolder(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    m_path = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / (name + "-" + std::to_string(::getpid()));
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
