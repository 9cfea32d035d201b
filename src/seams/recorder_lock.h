// One program at a time per recorder: two programs whose commands interleave
// can send one program's writes to the area the other selected. A lock is
// held from the moment a program takes the recorder until it lets it go.
#pragma once

#include <optional>
#include <string>

namespace ib {

class RecorderLock {
public:
    virtual ~RecorderLock() = default;
    // Takes the recorder for this process until the lock is destroyed; the
    // holder's process id (0 when unknown) when another program has it.
    [[nodiscard]] virtual std::optional<long> take() = 0;
};

// The message a program shows when the recorder is taken.
inline std::string recorderInUseMessage(long holderPid) {
    return "The recorder is in use by another program (pid " + std::to_string(holderPid) + ").";
}

}  // namespace ib
