// A clock standing still at a chosen moment.
#pragma once
#include "recorder/clock.h"

namespace suite_test {

class FixedClock : public suite::Clock {
public:
    suite::LocalTime now{2026, 12, 7, 14, 5, 33};
    int64_t seconds = 1796619933;

    suite::LocalTime Now() const override { return now; }
    int64_t Seconds() const override { return seconds; }
};

}  // namespace suite_test
