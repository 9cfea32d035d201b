// The line the simulated recorder logs for every command block it receives:
// the CDB in lowercase hex without spaces, the data direction (in, out, none),
// the data length in bytes, and ok or fail. Example:
// "fa5566070000012c0008000000000000 in 4096 ok"
// RecentCommandLines keeps the latest of them in memory, a bounded window, so a
// long run costs no more memory than a short one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "seams/pass_through.h"

namespace ib::sim {

std::string commandLogLine(std::span<const std::uint8_t> cdb, DataDirection direction, std::size_t dataLength,
                           bool ok);

class RecentCommandLines {
public:
    // Keeps at most `capacity` lines; 0 keeps none.
    explicit RecentCommandLines(std::size_t capacity) : m_capacity(capacity) {}
    void add(std::string line);
    // Oldest first.
    std::vector<std::string> lines() const { return {m_lines.begin(), m_lines.end()}; }

private:
    std::size_t m_capacity;
    std::deque<std::string> m_lines;
};

}  // namespace ib::sim
