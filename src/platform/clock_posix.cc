#include <time.h>

#include "platform/clock.h"

namespace quillon {

std::optional<LocalTime> ToLocalTime(std::int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm tm;
  if (::localtime_r(&t, &tm) == nullptr) return std::nullopt;
  return LocalTime{static_cast<std::int64_t>(tm.tm_year) + 1900,
                   tm.tm_mon + 1,
                   tm.tm_mday,
                   tm.tm_hour,
                   tm.tm_min,
                   tm.tm_sec,
                   tm.tm_gmtoff};
}

}  // namespace quillon
