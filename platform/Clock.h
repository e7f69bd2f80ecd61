#pragma once

#include <ctime>

namespace quillora {

// The current time, and its local calendar form in the user's time zone.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::time_t Now() = 0;
    // False when the time cannot be converted to a local date.
    virtual bool ToLocal(std::time_t time, std::tm& local) = 0;
};

}  // namespace quillora
