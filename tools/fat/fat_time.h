// Time stamps as a FAT directory entry holds them: local time in 2-second steps, dates
// from 1980 to 2107. A file's modification time becomes its entry's time stamps.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ib::tools::fat {

// A moment in local time, to the second.
struct CivilTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

struct FatTimestamp {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint8_t hundredths = 0;  // 0 to 199: the creation time's odd second and finer
};

// `time` in this machine's local time zone, as FAT readers show times.
CivilTime localTimeOf(std::filesystem::file_time_type time);

// Times before 1980 become the first moment FAT can hold, times after 2107 the last.
FatTimestamp fatTimestamp(const CivilTime& time);

}  // namespace ib::tools::fat
