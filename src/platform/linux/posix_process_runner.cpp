// Helper tools through posix_spawn. See posix_process_runner.h.
#include "platform/linux/posix_process_runner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace ib::platform {
namespace {

// posix_spawn file actions that are released on every path.
class SpawnActions {
public:
    SpawnActions() { m_ready = posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnActions() {
        if (m_ready) posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    bool changeDirectory(const std::filesystem::path& directory) {
        return m_ready && posix_spawn_file_actions_addchdir_np(&m_actions, directory.c_str()) == 0;
    }
    bool ready() const { return m_ready; }
    const posix_spawn_file_actions_t* get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ready = false;
};

int waitForExit(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int PosixProcessRunner::run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                            const std::filesystem::path& workingDirectory) {
    SpawnActions actions;
    if (!actions.ready()) return -1;
    if (!workingDirectory.empty() && !actions.changeDirectory(workingDirectory)) return -1;

    // Absolute, because the child resolves a relative path after its chdir.
    std::error_code error;
    const std::string programPath = std::filesystem::absolute(program, error).string();
    if (error) return -1;
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(programPath.c_str()));
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    // glibc reports a failed chdir or exec in the child as the call's own error.
    if (posix_spawn(&child, programPath.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return waitForExit(child);
}

}  // namespace ib::platform
