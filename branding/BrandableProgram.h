#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "branding/BrandingInfo.h"
#include "engine/TextEncoding.h"

namespace quillora {

// The program files that carry a branding record. A Linux program keeps its texts in UTF-8, a
// Windows program in its ANSI code page.
enum class ProgramKind { Linux, Windows };

// The reseller's texts for a branded copy, in UTF-8 as they were typed.
struct BrandingRequest {
    std::string name;
    std::string address;
    std::string title;  // may be empty: the window then keeps the product name
};

// What the branding tool's own words in a record say. The tool keeps a format number in tool
// word A, a checksum of the three text fields in tool word B and a checksum of everything
// between the signatures in the trailer word; the program itself never reads them.
enum class RecordStamp {
    AsBuilt,        // unbranded, tool words zero: as built, or reset by this tool
    Matches,        // written by this tool and unchanged since
    DoesNotMatch,   // changed after this tool wrote it, or written without it (by hand)
    UnknownFormat,  // a format number that this tool does not know
};

// A record as the branding tool reads it.
struct RecordContents {
    bool branded = false;
    BrandingTexts texts;  // what the program will show: its defaults while unbranded
    RecordStamp stamp = RecordStamp::AsBuilt;
    std::uint32_t format = 0;  // tool word A
};

// A program file's bytes with its branding record found in them, for the branding tool.
class BrandableProgram {
public:
    // The record format that Brand writes.
    static constexpr std::uint32_t kFormat = 1;

    // Finds the record in a program file's bytes: its signature exactly twice, the second
    // 1,060 bytes after the first. Null, with the reason, for anything else, and for a file
    // that is neither a Linux (ELF) nor a Windows (PE) program.
    static std::optional<BrandableProgram> Find(std::string bytes, std::string& problem);

    ProgramKind Kind() const { return kind_; }
    std::size_t RecordOffset() const { return record_; }
    const std::string& Bytes() const { return bytes_; }

    RecordContents Read() const;

    // Brands the record: unbranded flag zero, each text converted from UTF-8 into encoding and
    // ended inside its field with the rest of the field zeroed, and the tool's words. A text
    // that the record cannot hold is refused: false, with the reason, and nothing changed.
    bool Brand(const BrandingRequest& texts, TextEncoding encoding, std::string& problem);

    // Makes the record unbranded as it is built: the flag as built, the text fields and the
    // tool's words zero. The reserved bytes are kept.
    void Unbrand();

private:
    BrandableProgram(std::string bytes, std::size_t record, ProgramKind kind)
        : bytes_(std::move(bytes)), record_(record), kind_(kind) {}

    std::string bytes_;
    std::size_t record_;
    ProgramKind kind_;
};

// "UTF-8" or "code page 1252", for messages.
const char* EncodingName(TextEncoding encoding);

}  // namespace quillora
