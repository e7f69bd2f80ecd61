#include "engine/TextBuffer.h"

#include <cstring>

#include "engine/CodePage.h"

namespace quillora {
namespace {

std::string_view UpToFirstZero(std::string_view bytes) {
    auto zero = bytes.find('\0');
    return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

std::int32_t Clamp0(std::int32_t value) { return value < 0 ? 0 : value; }

// The first occurrence of pattern (not empty) at or after from, as bytes. The patterns searched
// for are short fixed texts, so memchr on the first byte and a compare stay linear in the text.
std::size_t FindBytes(std::string_view text, std::string_view pattern, std::size_t from) {
    const char first = pattern.front();
    while (from + pattern.size() <= text.size()) {
        const void* hit = std::memchr(text.data() + from, first, text.size() - pattern.size() + 1 - from);
        if (hit == nullptr) return std::string_view::npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (std::memcmp(text.data() + at + 1, pattern.data() + 1, pattern.size() - 1) == 0) return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

// The first position at or after start where pattern begins on a character boundary, or npos.
// boundary is a character boundary at or before start (start itself unless told otherwise), so
// that a start inside a character is walked from the right place. Linear: the byte scans and
// the boundary walk only move forward.
std::size_t FindOnBoundary(const CodePage& page, std::string_view text, std::string_view pattern, std::size_t start,
                           std::size_t boundary) {
    if (start > text.size()) return std::string_view::npos;
    if (pattern.empty()) return start;
    const CodePageKind kind = page.Kind();
    std::size_t from = start;
    while (from + pattern.size() <= text.size()) {
        const std::size_t at = FindBytes(text, pattern, from);
        if (at == std::string_view::npos) return std::string_view::npos;
        // In UTF-8 only a continuation byte can lie inside a character.
        if (kind == CodePageKind::SingleByte || (kind == CodePageKind::Utf8 && (pattern.front() & 0xC0) != 0x80)) return at;
        while (boundary < at) boundary += page.CharLength(text.data(), text.size(), boundary);
        if (boundary == at) return at;
        from = boundary;  // the match began inside a character; the next candidate is the next boundary
    }
    return std::string_view::npos;
}

void AppendNumber(std::string& out, std::int32_t number, bool zeroPad, bool leftAlign, std::size_t width) {
    std::string digits = std::to_string(static_cast<std::int64_t>(number));
    std::string sign;
    if (number < 0) {
        sign = "-";
        digits.erase(0, 1);
    }
    std::size_t length = sign.size() + digits.size();
    std::size_t pad = width > length ? width - length : 0;
    if (leftAlign) {
        out += sign + digits;
        out.append(pad, ' ');
    } else if (zeroPad) {
        out += sign;
        out.append(pad, '0');
        out += digits;
    } else {
        out.append(pad, ' ');
        out += sign + digits;
    }
}

void AppendText(std::string& out, std::string_view text, bool leftAlign, std::size_t width) {
    std::size_t pad = width > text.size() ? width - text.size() : 0;
    if (!leftAlign) out.append(pad, ' ');
    out += text;
    if (leftAlign) out.append(pad, ' ');
}

}  // namespace

FormatValue::FormatValue(const TextBuffer& text) : value_(text.Bytes()) {}

FormatValue::FormatValue(const char* text) : value_(std::string_view(text == nullptr ? "" : text)) {}

std::string_view FormatValue::Text() const { return IsText() ? std::get<std::string_view>(value_) : std::string_view(); }

std::int32_t FormatValue::Number() const { return IsText() ? 0 : std::get<std::int32_t>(value_); }

TextBuffer::TextBuffer(const char* zeroTerminated) : bytes_(zeroTerminated == nullptr ? "" : zeroTerminated) {}

TextBuffer::TextBuffer(std::string_view bytes) : bytes_(UpToFirstZero(bytes)) {}

TextBuffer& TextBuffer::Append(const TextBuffer& tail) {
    bytes_ += tail.bytes_;
    return *this;
}

TextBuffer& TextBuffer::Append(const char* zeroTerminated) {
    if (zeroTerminated != nullptr) bytes_ += zeroTerminated;
    return *this;
}

TextBuffer& TextBuffer::Append(std::string_view bytes) {
    bytes_ += UpToFirstZero(bytes);
    return *this;
}

TextBuffer& TextBuffer::AppendMid(const TextBuffer& text, std::int32_t first, std::int32_t count) {
    first = Clamp0(first);
    count = Clamp0(count);
    if (first > text.Length()) return *this;
    if (count > text.Length() - first) count = text.Length() - first;
    bytes_.append(text.bytes_, static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    return *this;
}

std::int32_t TextBuffer::FindFrom(const TextBuffer& pattern, std::int32_t start) const {
    if (start > Length()) return -1;
    const auto from = static_cast<std::size_t>(Clamp0(start));
    std::size_t at = FindOnBoundary(CodePage::Active(), bytes_, pattern.bytes_, from, from);
    return at == std::string_view::npos ? -1 : static_cast<std::int32_t>(at);
}

std::int32_t TextBuffer::FindLast(char byte) const {
    const CodePage page = CodePage::Active();
    if (page.Kind() == CodePageKind::SingleByte) {
        const std::size_t hit = std::string_view(bytes_).rfind(byte);
        return hit == std::string_view::npos ? -1 : static_cast<std::int32_t>(hit);
    }
    std::int32_t last = -1;
    for (std::size_t at = 0; at < bytes_.size();) {
        std::size_t length = page.CharLength(bytes_.data(), bytes_.size(), at);
        if (length == 1 && bytes_[at] == byte) last = static_cast<std::int32_t>(at);
        at += length;
    }
    return last;
}

std::int32_t TextBuffer::ReplaceAll(const TextBuffer& oldText, const TextBuffer& newText) {
    if (oldText.IsEmpty()) return 0;
    const CodePage page = CodePage::Active();
    std::size_t at = FindOnBoundary(page, bytes_, oldText.bytes_, 0, 0);
    if (at == std::string_view::npos) return 0;

    std::string result;
    std::int32_t count = 0;
    std::size_t copiedUpTo = 0;
    while (at != std::string_view::npos) {
        result.append(bytes_, copiedUpTo, at - copiedUpTo);
        result += newText.bytes_;
        copiedUpTo = at + oldText.bytes_.size();
        ++count;
        // The scan resumes after the occurrence, which may end inside a character.
        at = FindOnBoundary(page, bytes_, oldText.bytes_, copiedUpTo, at);
    }
    result.append(bytes_, copiedUpTo, std::string::npos);
    bytes_ = std::move(result);
    return count;
}

TextBuffer TextBuffer::Left(std::int32_t count) const {
    count = Clamp0(count);
    if (count >= Length()) return *this;
    return TextBuffer(std::string_view(bytes_).substr(0, static_cast<std::size_t>(count)));
}

TextBuffer TextBuffer::Right(std::int32_t count) const {
    count = Clamp0(count);
    if (count >= Length()) return *this;
    return TextBuffer(std::string_view(bytes_).substr(bytes_.size() - static_cast<std::size_t>(count)));
}

TextBuffer TextBuffer::Mid(std::int32_t first, std::int32_t count) const {
    TextBuffer cut;
    cut.AppendMid(*this, first, count);
    return cut;
}

void TextBuffer::ToLower() {
    const CodePage page = CodePage::Active();
    for (std::size_t at = 0; at < bytes_.size();) {
        std::size_t length = page.CharLength(bytes_.data(), bytes_.size(), at);
        page.LowerChar(bytes_.data() + at, length);
        at += length;
    }
}

void TextBuffer::Format(const TextBuffer& format, std::initializer_list<FormatValue> values) {
    std::string out;
    out.reserve(format.bytes_.size());
    const FormatValue* next = values.begin();
    auto take = [&]() -> const FormatValue* { return next == values.end() ? nullptr : next++; };

    std::string_view pattern = format.bytes_;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        std::size_t j = i + 1;
        bool leftAlign = false;
        bool zeroPad = false;
        for (; j < pattern.size() && (pattern[j] == '-' || pattern[j] == '0'); ++j) {
            (pattern[j] == '-' ? leftAlign : zeroPad) = true;
        }
        std::size_t width = 0;
        for (; j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 10000; ++j) {
            width = width * 10 + static_cast<std::size_t>(pattern[j] - '0');
        }
        char conversion = j < pattern.size() ? pattern[j] : '\0';
        if (conversion == 's') {
            const FormatValue* value = take();
            AppendText(out, value != nullptr ? value->Text() : std::string_view(), leftAlign, width);
        } else if (conversion == 'd') {
            const FormatValue* value = take();
            AppendNumber(out, value != nullptr ? value->Number() : 0, zeroPad, leftAlign, width);
        } else if (conversion == '%' && j == i + 1) {
            out += '%';
        } else {
            out.append(pattern.substr(i, j - i));  // not a conversion of ours: copied as it stands
            i = j - 1;
            continue;
        }
        i = j;
    }
    bytes_ = std::string(UpToFirstZero(out));
}

TextBuffer TextBuffer::Formatted(const TextBuffer& format, std::initializer_list<FormatValue> values) {
    TextBuffer result;
    result.Format(format, values);
    return result;
}

TextBuffer operator+(TextBuffer head, const TextBuffer& tail) {
    head.Append(tail);
    return head;
}

}  // namespace quillora
