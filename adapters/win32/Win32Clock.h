#pragma once

#include "platform/Clock.h"

namespace quillora {

// The system's clock and the user's time zone as Windows keeps them.
class Win32Clock : public Clock {
public:
    std::time_t Now() override;
    bool ToLocal(std::time_t time, std::tm& local) override;
};

}  // namespace quillora
