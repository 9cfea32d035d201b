// One program at a time per recorder: two programs whose commands interleave
// can send one program's writes to the area the other selected. A lock is
// held from the moment a program takes the recorder until it lets it go.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ib {

class RecorderLock {
public:
    virtual ~RecorderLock() = default;
    // Takes the recorder for this process until the lock is destroyed; the
    // holder's process id (0 when unknown) when another program has it.
    [[nodiscard]] virtual std::optional<long> take() = 0;
};

inline constexpr std::string_view kRecorderInUseText = "The recorder is in use by another program (pid ";

// The message a program shows when the recorder is taken; a volume provider
// gives it as the reason a volume does not open.
inline std::string recorderInUseMessage(long holderPid) {
    return std::string(kRecorderInUseText) + std::to_string(holderPid) + ").";
}

inline bool isRecorderInUseMessage(std::string_view reason) { return reason.starts_with(kRecorderInUseText); }

}  // namespace ib
