// Formatting of command log lines. See command_log.h.
#include "sim/command_log.h"

#include <utility>

namespace ib::sim {
namespace {

const char* directionWord(DataDirection direction) {
    switch (direction) {
    case DataDirection::In:
        return "in";
    case DataDirection::Out:
        return "out";
    case DataDirection::None:
        break;
    }
    return "none";
}

}  // namespace

std::string commandLogLine(std::span<const std::uint8_t> cdb, DataDirection direction, std::size_t dataLength,
                           bool ok) {
    static const char kHex[] = "0123456789abcdef";
    std::string line;
    line.reserve(cdb.size() * 2 + 24);
    for (std::uint8_t b : cdb) {
        line += kHex[b >> 4];
        line += kHex[b & 0x0F];
    }
    line += ' ';
    line += directionWord(direction);
    line += ' ';
    line += std::to_string(dataLength);
    line += ok ? " ok" : " fail";
    return line;
}

void RecentCommandLines::add(std::string line) {
    if (m_capacity == 0) return;
    if (m_lines.size() == m_capacity) m_lines.pop_front();
    m_lines.push_back(std::move(line));
}

}  // namespace ib::sim
