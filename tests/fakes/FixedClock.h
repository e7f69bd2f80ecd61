#pragma once

#include "platform/Clock.h"

namespace quillora::testing {

// A clock that always tells the same local date; it can also refuse to convert it.
class FixedClock : public Clock {
public:
    FixedClock(int year, int month, int day, int weekday) {
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_wday = weekday;
    }
    std::time_t Now() override {
        ++reads;
        return 1'000'000'000;
    }
    bool ToLocal(std::time_t, std::tm& out) override {
        out = local;
        return convertible;
    }

    std::tm local{};
    bool convertible = true;
    int reads = 0;
};

}  // namespace quillora::testing
