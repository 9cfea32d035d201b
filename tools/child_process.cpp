// Child processes through posix_spawn with captured output. See child_process.h.
#include "tools/child_process.h"

#include "platform/linux/spawn_file_actions.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace ib::tools {
namespace {

constexpr std::size_t kKeptOutputBytes = 64 * 1024;

// Standard input from /dev/null; standard output and error into `outputFd`.
bool wireOutput(platform::SpawnFileActions& actions, int outputFd) {
    return actions.ready() && posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0) == 0 &&
           posix_spawn_file_actions_adddup2(actions.get(), outputFd, 1) == 0 &&
           posix_spawn_file_actions_adddup2(actions.get(), outputFd, 2) == 0;
}

// Both ends of a pipe, closed when they go out of scope unless closed earlier.
struct Pipe {
    std::array<int, 2> ends{-1, -1};
    Pipe() {
        if (pipe2(ends.data(), O_CLOEXEC) != 0) ends = {-1, -1};
    }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void closeEnd(int which) {
        if (ends[which] >= 0) close(ends[which]);
        ends[which] = -1;
    }
};

std::string_view nameOf(std::string_view assignment) { return assignment.substr(0, assignment.find('=')); }

// This process's environment with `extra` laid over it.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view name = nameOf(*entry);
        bool replaced = false;
        for (const auto& assignment : extra) replaced = replaced || nameOf(assignment) == name;
        if (!replaced) result.emplace_back(*entry);
    }
    result.insert(result.end(), extra.begin(), extra.end());
    return result;
}

std::vector<char*> pointersTo(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (const auto& text : strings) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Reads until every writer has closed the pipe, keeping only the newest bytes.
std::string drain(int readFd) {
    std::string kept;
    std::array<char, 4096> chunk{};
    for (;;) {
        const ssize_t got = read(readFd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        kept.append(chunk.data(), static_cast<std::size_t>(got));
        if (kept.size() > 2 * kKeptOutputBytes) kept.erase(0, kept.size() - kKeptOutputBytes);
    }
    if (kept.size() > kKeptOutputBytes) kept.erase(0, kept.size() - kKeptOutputBytes);
    return kept;
}

int waitForExit(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

ChildOutcome runChild(const std::vector<std::string>& argv,
                      const std::vector<std::string>& extraEnvironment) {
    ChildOutcome outcome;
    Pipe output;
    platform::SpawnFileActions actions;
    if (argv.empty() || output.ends[0] < 0 || !wireOutput(actions, output.ends[1])) return outcome;

    const std::vector<std::string> environment = childEnvironment(extraEnvironment);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0].c_str(), actions.get(), nullptr, pointersTo(argv).data(),
                    pointersTo(environment).data()) != 0) {
        return outcome;
    }
    // Our copy of the write end must go, or the read below would never see end-of-file.
    output.closeEnd(1);
    outcome.output = drain(output.ends[0]);
    outcome.exitStatus = waitForExit(child);
    return outcome;
}

std::optional<std::filesystem::path> findProgram(std::string_view name) {
    std::string searchPath;
    if (const char* path = std::getenv("PATH")) searchPath = path;
    searchPath += ":/usr/sbin:/sbin";
    std::string_view remaining = searchPath;
    while (!remaining.empty()) {
        const std::size_t colon = remaining.find(':');
        const std::string_view directory = remaining.substr(0, colon);
        remaining = colon == std::string_view::npos ? std::string_view{} : remaining.substr(colon + 1);
        // An empty PATH element means the current directory, which a tool should not trust.
        if (directory.empty()) continue;
        const std::filesystem::path candidate = std::filesystem::path(directory) / name;
        if (isExecutableFile(candidate)) return std::filesystem::absolute(candidate);
    }
    return std::nullopt;
}

}  // namespace ib::tools
