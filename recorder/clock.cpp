#include "recorder/clock.h"

#include <ctime>

namespace suite {

LocalTime SystemClock::Now() const {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    // localtime is not thread-safe; both threads of a recorder read the clock.
#if defined(_MSC_VER) || defined(__MINGW32__)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour, local.tm_min, local.tm_sec};
}

int64_t SystemClock::Seconds() const { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace suite
