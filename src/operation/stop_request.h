// A request to stop the running operation, made from outside it (a
// termination signal) and honoured at the operation's next command boundary.
// The flag belongs to whoever asks and may be set from a signal handler; an
// operation only reads it, through the commands it sends.
#pragma once

#include <atomic>

namespace ib {

class StopRequest {
public:
    // Never requested.
    StopRequest() = default;
    explicit StopRequest(const std::atomic<bool>& flag) : m_flag(&flag) {}

    [[nodiscard]] bool requested() const { return m_flag != nullptr && m_flag->load(); }

private:
    const std::atomic<bool>* m_flag = nullptr;
};

}  // namespace ib
