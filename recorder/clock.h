// Local calendar time behind a small interface, so tests can fix the moment.
#pragma once
#include <cstdint>

namespace suite {

struct LocalTime {
    int year;    // e.g. 2026
    int month;   // 1..12
    int day;     // 1..31
    int hour;    // 0..23
    int minute;  // 0..59
    int second;  // 0..59
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
    // Seconds since the epoch, the seed of the Ogg serial number.
    virtual int64_t Seconds() const = 0;
};

// The computer's clock.
class SystemClock : public Clock {
public:
    LocalTime Now() const override;
    int64_t Seconds() const override;
};

}  // namespace suite
