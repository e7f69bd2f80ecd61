#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quillora {

// How the bytes of a code page form characters.
enum class CodePageKind {
    SingleByte,  // every byte is one character (Western European 1252, for one)
    DoubleByte,  // a lead byte and the byte after it form one character (932, 936, 949, 950, ...)
    Utf8,
};

// A run of byte values, first and last included.
struct ByteRange {
    unsigned char first;
    unsigned char last;
};

// The character set that every text of the program is held in: its kind, its number as the
// system names it and, in a double-byte page, the bytes that lead a two-byte character. A small
// value; the active one is process-wide, as the system's code page is: UTF-8 on Linux, a
// single-byte or a double-byte page where the system uses one.
class CodePage {
public:
    // The usual page of each kind: Western European (1252), Japanese (932) or UTF-8.
    CodePage(CodePageKind kind = CodePageKind::Utf8);  // NOLINT(google-explicit-constructor)

    // A page with one byte per character. Lowercasing follows the Western European page.
    static CodePage SingleByte(std::uint32_t number);
    // A double-byte page with its own lead bytes. Bytes below 0x80 are characters of their own in
    // every page and are never taken as lead bytes. Only page 932 lowercases double-byte
    // characters (its full-width Latin, Greek and Cyrillic letters); the others lowercase A to Z.
    static CodePage DoubleByte(std::uint32_t number, std::span<const ByteRange> leadBytes);

    CodePageKind Kind() const { return kind_; }
    std::uint32_t Number() const { return number_; }

    // True when byte, starting a character, takes the byte after it into that character
    // whenever there is one: the lead bytes of a double-byte page. False in the other pages.
    bool IsLeadByte(char byte) const {
        const auto b = static_cast<unsigned char>(byte);
        return ((leadBits_[b >> 5] >> (b & 31u)) & 1u) != 0;
    }

    // Length in bytes of the character that starts at bytes[at], never beyond size.
    std::size_t CharLength(const char* bytes, std::size_t size, std::size_t at) const;

    // Lowercases the character of charLength bytes at bytes in place; the length never changes.
    void LowerChar(char* bytes, std::size_t charLength) const;

    static CodePage Active();
    static void SetActive(const CodePage& page);

private:
    CodePage(CodePageKind kind, std::uint32_t number) : kind_(kind), number_(number) {}

    CodePageKind kind_;
    std::uint32_t number_;
    std::array<std::uint32_t, 8> leadBits_{};  // bit b % 32 of word b / 32 is set for a lead byte b
};

// Sets the active code page for the lifetime of the object and restores the former one.
class ScopedCodePage {
public:
    explicit ScopedCodePage(const CodePage& page) : former_(CodePage::Active()) { CodePage::SetActive(page); }
    ~ScopedCodePage() { CodePage::SetActive(former_); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    CodePage former_;
};

}  // namespace quillora
