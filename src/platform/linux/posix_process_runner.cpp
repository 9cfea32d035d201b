// Helper tools through posix_spawn. See posix_process_runner.h.
#include "platform/linux/posix_process_runner.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/linux/spawn_file_actions.h"

extern char** environ;

namespace ib::platform {
namespace {

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
    SpawnFileActions actions;
    if (!actions.ready()) return -1;
    if (!workingDirectory.empty() && posix_spawn_file_actions_addchdir_np(actions.get(), workingDirectory.c_str()) != 0)
        return -1;

    // Absolute, because the child resolves a relative path after its chdir.
    std::error_code error;
    const std::string programPath = std::filesystem::absolute(program, error).string();
    if (error) return -1;
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(programPath.c_str()));
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // A process group of its own: Ctrl+C in the terminal reaches the program,
    // which stops after the tool has finished, and never the tool mid-write.
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return -1;
    const bool grouped = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP) == 0 &&
                         posix_spawnattr_setpgroup(&attributes, 0) == 0;
    pid_t child = 0;
    // glibc reports a failed chdir or exec in the child as the call's own error.
    const bool spawned =
        grouped && posix_spawn(&child, programPath.c_str(), actions.get(), &attributes, argv.data(), environ) == 0;
    posix_spawnattr_destroy(&attributes);
    return spawned ? waitForExit(child) : -1;
}

}  // namespace ib::platform
