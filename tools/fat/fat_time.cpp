// Local time and FAT's packed date and time. See fat_time.h.
#include "tools/fat/fat_time.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace ib::tools::fat {
namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;
constexpr CivilTime kLatest{kLastYear, 12, 31, 23, 59, 59};

}  // namespace

CivilTime localTimeOf(std::filesystem::file_time_type time) {
    const auto systemTime = std::chrono::file_clock::to_sys(time);
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(systemTime));
    // The tool runs on one thread, so localtime's shared result is safe here.
    const std::tm* local = std::localtime(&seconds);
    if (local == nullptr) return CivilTime{};
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min,
            std::min(local->tm_sec, 59)};  // a leap second would not fit the 2-second field
}

FatTimestamp fatTimestamp(const CivilTime& time) {
    const CivilTime held = time.year < kFirstYear ? CivilTime{} : time.year > kLastYear ? kLatest : time;
    FatTimestamp stamp;
    stamp.date = static_cast<std::uint16_t>((held.year - kFirstYear) << 9 | held.month << 5 | held.day);
    stamp.time = static_cast<std::uint16_t>(held.hour << 11 | held.minute << 5 | held.second / 2);
    stamp.hundredths = static_cast<std::uint8_t>(held.second % 2 * 100);
    return stamp;
}

}  // namespace ib::tools::fat
