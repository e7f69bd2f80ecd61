#include "adapters/win32/Win32Clock.h"

namespace quillora {

std::time_t Win32Clock::Now() { return std::time(nullptr); }

bool Win32Clock::ToLocal(std::time_t time, std::tm& local) { return localtime_s(&local, &time) == 0; }

}  // namespace quillora
