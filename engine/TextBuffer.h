#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace quillora {

class TextBuffer;

// One value for Format: a text for %s or a signed 32-bit integer for %d.
class FormatValue {
public:
    FormatValue(const TextBuffer& text);  // NOLINT(google-explicit-constructor)
    FormatValue(const char* text);        // NOLINT(google-explicit-constructor)
    FormatValue(std::int32_t number) : value_(number) {}  // NOLINT(google-explicit-constructor)

    bool IsText() const { return std::holds_alternative<std::string_view>(value_); }
    std::string_view Text() const;
    std::int32_t Number() const;

private:
    std::variant<std::string_view, std::int32_t> value_;
};

// A byte string in the active code page (see CodePage) that never holds a zero byte.
// Positions and lengths are byte counts; a search that finds nothing returns -1.
// Copies are independent values.
class TextBuffer {
public:
    TextBuffer() = default;
    // Takes the bytes up to, not including, the first zero byte.
    TextBuffer(const char* zeroTerminated);  // NOLINT(google-explicit-constructor)
    explicit TextBuffer(std::string_view bytes);

    std::int32_t Length() const { return static_cast<std::int32_t>(bytes_.size()); }
    bool IsEmpty() const { return bytes_.empty(); }
    bool Equals(const TextBuffer& other) const { return bytes_ == other.bytes_; }
    bool operator==(const TextBuffer& other) const { return Equals(other); }

    TextBuffer& Append(const TextBuffer& tail);
    TextBuffer& Append(const char* zeroTerminated);
    TextBuffer& Append(std::string_view bytes);  // cut at its first zero byte
    // Adds what text.Mid(first, count) gives, without making that text first.
    TextBuffer& AppendMid(const TextBuffer& text, std::int32_t first, std::int32_t count);

    std::int32_t Find(const TextBuffer& pattern) const { return FindFrom(pattern, 0); }
    // start must lie on a character boundary, as every position a search returns does.
    std::int32_t FindFrom(const TextBuffer& pattern, std::int32_t start) const;
    std::int32_t FindLast(char byte) const;

    std::int32_t ReplaceAll(const TextBuffer& oldText, const TextBuffer& newText);

    TextBuffer Left(std::int32_t count) const;
    TextBuffer Right(std::int32_t count) const;
    TextBuffer Mid(std::int32_t first, std::int32_t count) const;

    void ToLower();

    // printf rules for %s, %d and %04d (flags '-' and '0', a width); %% gives one '%'.
    // Texts are inserted byte for byte; a missing value counts as empty or 0.
    void Format(const TextBuffer& format, std::initializer_list<FormatValue> values);
    static TextBuffer Formatted(const TextBuffer& format, std::initializer_list<FormatValue> values);

    std::string_view Bytes() const { return bytes_; }
    const char* CString() const { return bytes_.c_str(); }
    void Reserve(std::int32_t capacity) { bytes_.reserve(static_cast<std::size_t>(capacity)); }
    void Clear() { bytes_.clear(); }
    // Empties the text and gives its memory back: a page may be large.
    void Release() { std::string().swap(bytes_); }

private:
    std::string bytes_;
};

TextBuffer operator+(TextBuffer head, const TextBuffer& tail);

}  // namespace quillora
