// Local time of a file time stamp.
#ifndef QUILLON_PLATFORM_CLOCK_H_
#define QUILLON_PLATFORM_CLOCK_H_

#include <cstdint>
#include <optional>

namespace quillon {

struct LocalTime {
  std::int64_t year;
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..60
  // Offset of local time from UTC at that moment, in seconds east.
  long utc_offset;
};

// `seconds` since the epoch in local time, by the rules of the time zone in
// force at that moment; nullopt when it cannot be represented.
std::optional<LocalTime> ToLocalTime(std::int64_t seconds);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_CLOCK_H_
