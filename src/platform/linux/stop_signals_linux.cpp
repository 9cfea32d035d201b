// Termination signals as a stop request, through a handler that only does
// what is safe in one: an atomic store, write() and _exit(). See stop_signals.h.
#include "platform/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace ib::platform {
namespace {

constexpr int kStoppedExitStatus = 130;

std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_stopRequestedAgain{false};
std::atomic<bool> g_secondStopHeld{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");
int g_wakePipe[2] = {-1, -1};

void onStopSignal(int) {
    if (g_stopRequested.exchange(true)) {
        if (!g_secondStopHeld.load()) _exit(kStoppedExitStatus);  // the second request: at once
        g_stopRequestedAgain.store(true);
        return;
    }
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wakePipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

StopSignals installStopSignals() {
    if (g_wakePipe[0] < 0 && ::pipe2(g_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) g_wakePipe[0] = g_wakePipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    return {g_stopRequested, g_stopRequestedAgain, g_wakePipe[0]};
}

void holdSecondStop() { g_secondStopHeld.store(true); }

}  // namespace ib::platform
