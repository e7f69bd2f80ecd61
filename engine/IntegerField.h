#pragma once

#include <cstdint>

#include "engine/TextBuffer.h"

namespace quillora {

// Reads the text of an integer field, as the article number field takes it: at most its first
// 31 characters; blanks and tabs around an optional sign and decimal digits; a value beyond
// the 32-bit range becomes the nearest limit; a value of 0 must be written with the digit 0
// first. False, with value unchanged, when the text is rejected.
bool ReadIntegerField(const TextBuffer& text, std::int32_t& value);

}  // namespace quillora
