#pragma once

#include <cstdint>

#include "engine/CodePage.h"

namespace quillora::testing {

// A double-byte page with the lead bytes of the Chinese and Korean pages (936, 949, 950): every
// byte from 0x81 to 0xFE, where 932 has 0x81 to 0x9F and 0xE0 to 0xFC. Its double-byte
// characters keep their case.
inline CodePage WideDoubleBytePage(std::uint32_t number = 936) {
    static constexpr ByteRange kLeadBytes[] = {{0x81, 0xFE}};
    return CodePage::DoubleByte(number, kLeadBytes);
}

}  // namespace quillora::testing
