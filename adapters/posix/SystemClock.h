#pragma once

#include "platform/Clock.h"

namespace quillora {

class SystemClock : public Clock {
public:
    std::time_t Now() override { return std::time(nullptr); }
    bool ToLocal(std::time_t time, std::tm& local) override { return localtime_r(&time, &local) != nullptr; }
};

}  // namespace quillora
