#pragma once

#include <ctime>

#include "engine/TextBuffer.h"

namespace quillora {

// "Tuesday, March 29, 2005": English names whatever the user's locale; empty for a calendar
// time whose weekday or month is out of range.
TextBuffer DateText(const std::tm& local);

}  // namespace quillora
