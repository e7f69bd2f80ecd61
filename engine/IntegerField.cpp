#include "engine/IntegerField.h"

#include <limits>
#include <string_view>

namespace quillora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ReadIntegerField(const TextBuffer& text, std::int32_t& value) {
    const std::string_view bytes = text.Bytes().substr(0, 31);
    std::size_t at = 0;
    while (at < bytes.size() && IsBlank(bytes[at])) ++at;
    const std::size_t first = at;

    bool negative = false;
    if (at < bytes.size() && (bytes[at] == '+' || bytes[at] == '-')) negative = bytes[at++] == '-';
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; at < bytes.size() && IsDigit(bytes[at]); ++at) {
        magnitude = magnitude * 10 + (bytes[at] - '0');
        if (magnitude > limit) magnitude = limit;  // clamped, and never overflows
    }

    if (magnitude == 0 && (first >= bytes.size() || bytes[first] != '0')) return false;
    while (at < bytes.size() && IsBlank(bytes[at])) ++at;
    if (at != bytes.size()) return false;

    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace quillora
