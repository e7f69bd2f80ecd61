#pragma once

#include <cstddef>
#include <cstdint>

namespace quillora {

// The character set that every text of the program is held in. The active one is
// process-wide, as the system's code page is: UTF-8 on Linux, a single-byte or a
// double-byte page where the system uses one.
enum class CodePageKind {
    SingleByte,  // Western European (1252): every byte is one character
    DoubleByte,  // Japanese (932): a lead byte and the byte after it form one character
    Utf8,
};

class CodePage {
public:
    static CodePageKind Active();
    static void SetActive(CodePageKind kind);

    // True when byte, starting a character, takes the byte after it into that character
    // whenever there is one: the lead bytes of a double-byte page. False in the other pages.
    static bool IsLeadByte(CodePageKind kind, char byte);

    // Length in bytes of the character that starts at bytes[at], never beyond size.
    static std::size_t CharLength(CodePageKind kind, const char* bytes, std::size_t size, std::size_t at);

    // Lowercases the character of charLength bytes at bytes in place; the length never changes.
    static void LowerChar(CodePageKind kind, char* bytes, std::size_t charLength);
};

// Sets the active code page for the lifetime of the object and restores the former one.
class ScopedCodePage {
public:
    explicit ScopedCodePage(CodePageKind kind) : former_(CodePage::Active()) { CodePage::SetActive(kind); }
    ~ScopedCodePage() { CodePage::SetActive(former_); }
    ScopedCodePage(const ScopedCodePage&) = delete;
    ScopedCodePage& operator=(const ScopedCodePage&) = delete;

private:
    CodePageKind former_;
};

}  // namespace quillora
