#include "branding/BrandableProgram.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "branding/BrandingRecord.h"

namespace quillora {
namespace {

namespace Record = BrandingRecord;

// A text field of the record, and how messages name it.
struct TextField {
    const char* label;
    std::size_t offset;
    std::size_t size;  // the text takes at most size - 1 bytes, then its NUL
};

constexpr TextField kTitleField{"the window title", Record::kWindowTitle, Record::kWindowTitleSize};
constexpr TextField kNameField{"the reseller's name", Record::kResellerName, Record::kResellerNameSize};
constexpr TextField kAddressField{"the reseller's web address", Record::kResellerAddress, Record::kResellerAddressSize};

// The three text fields lie back to back; the checksum in tool word B covers all their bytes.
constexpr std::size_t kTextsBegin = Record::kWindowTitle;
constexpr std::size_t kTextsEnd = Record::kResellerAddress + Record::kResellerAddressSize;
static_assert(Record::kResellerName == kTitleField.offset + kTitleField.size);
static_assert(Record::kResellerAddress == kNameField.offset + kNameField.size);
// The trailer word's checksum covers everything between the signatures up to itself.
constexpr std::size_t kSealedBegin = Record::kUnbrandedFlag;
constexpr std::size_t kSealedEnd = Record::kToolTrailer;

// 32-bit FNV-1a: enough to see that bytes changed by hand, which is all it is for.
std::uint32_t Checksum(std::string_view bytes) {
    std::uint32_t sum = 2166136261u;
    for (char byte : bytes) {
        sum ^= static_cast<unsigned char>(byte);
        sum *= 16777619u;
    }
    return sum;
}

std::uint32_t ReadWord(std::string_view record, std::size_t offset) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(static_cast<unsigned char>(record[offset + i])) << (8 * i);
    }
    return word;
}

void WriteWord(char* record, std::size_t offset, std::uint32_t word) {
    for (std::size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
}

std::vector<std::size_t> Occurrences(std::string_view haystack, std::string_view needle) {
    std::vector<std::size_t> found;
    for (std::size_t at = haystack.find(needle); at != std::string_view::npos; at = haystack.find(needle, at + 1)) {
        found.push_back(at);
    }
    return found;
}

std::optional<ProgramKind> KindOf(std::string_view file) {
    if (file.substr(0, 4) == "\x7F" "ELF") return ProgramKind::Linux;
    // MZ, and at the offset kept at 3C the PE signature.
    if (file.size() < 0x40 || file.substr(0, 2) != "MZ") return std::nullopt;
    const std::uint32_t peAt = ReadWord(file, 0x3C);
    if (peAt > file.size() - 4 || file.substr(peAt, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
    return ProgramKind::Windows;
}

std::string CodePointName(char32_t codePoint) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
    return name;
}

std::string ByteName(unsigned char byte) {
    char name[8];
    std::snprintf(name, sizeof name, "0x%02X", static_cast<unsigned>(byte));
    return name;
}

bool IsControl(char32_t codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F); }

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) return false;
    for (std::size_t i = 0; i < start.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != start[i]) return false;
    }
    return true;
}

// Checks the text and converts it into the bytes that its field will hold, without the NUL.
bool StoredText(const TextField& field, std::string_view utf8, TextEncoding encoding, std::string& stored,
                std::string& problem) {
    const std::string label = field.label;
    stored.clear();
    for (std::size_t at = 0; at < utf8.size();) {
        const EncodedCharacter character = DecodeCharacter(TextEncoding::Utf8, utf8, at);
        const std::string where = " at byte " + std::to_string(at + 1);
        if (!character.valid) {
            problem = label + " is not valid UTF-8: byte " + ByteName(static_cast<unsigned char>(utf8[at])) + where;
            return false;
        }
        if (character.codePoint == 0) {
            problem = label + " holds a zero byte" + where;
            return false;
        }
        if (IsControl(character.codePoint)) {
            problem = label + " holds the control character " + CodePointName(character.codePoint) + where;
            return false;
        }
        if (!EncodeCharacter(encoding, character.codePoint, stored)) {
            problem = label + " holds \"" + std::string(utf8.substr(at, character.length)) + "\" (" +
                      CodePointName(character.codePoint) + ")" + where + ", which " + EncodingName(encoding) +
                      " cannot store";
            return false;
        }
        at += character.length;
    }
    if (stored.size() > field.size - 1) {
        problem = label + " takes " + std::to_string(stored.size()) + " bytes in " + EncodingName(encoding) +
                  "; its field holds at most " + std::to_string(field.size - 1);
        return false;
    }
    return true;
}

bool CheckAddress(std::string_view address, std::string& problem) {
    const std::string label = kAddressField.label;
    for (std::string_view scheme : {"http://", "https://"}) {
        if (!StartsWithIgnoringCase(address, scheme)) continue;
        if (address.size() > scheme.size()) return true;
        problem = label + " has nothing after " + std::string(scheme);
        return false;
    }
    problem = label + " must begin with http:// or https://, as in http://www.example.com/";
    return false;
}

}  // namespace

const char* EncodingName(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? "UTF-8" : "code page 1252";
}

std::optional<BrandableProgram> BrandableProgram::Find(std::string bytes, std::string& problem) {
    const auto signature = Record::Signature();
    const std::vector<std::size_t> found =
        Occurrences(bytes, std::string_view(signature.data(), signature.size()));
    if (found.empty()) {
        problem = "no branding record: the file is not a copy of Quillora";
        return std::nullopt;
    }
    if (found.size() != 2) {
        problem = "the branding record's signature occurs " +
                  (found.size() == 1 ? std::string("once") : std::to_string(found.size()) + " times") +
                  " instead of twice: the record cannot be told apart";
        return std::nullopt;
    }
    if (found[1] - found[0] != Record::kClosingSignature) {
        problem = "the branding record's signature occurs twice, but " + std::to_string(found[1] - found[0]) +
                  " bytes apart instead of " + std::to_string(Record::kClosingSignature) + ": the record is damaged";
        return std::nullopt;
    }
    const std::optional<ProgramKind> kind = KindOf(bytes);
    if (!kind) {
        problem = "neither a Linux program (ELF) nor a Windows program (PE)";
        return std::nullopt;
    }
    return BrandableProgram(std::move(bytes), found[0], *kind);
}

RecordContents BrandableProgram::Read() const {
    const std::string_view record = std::string_view(bytes_).substr(record_, Record::kSize);
    RecordContents contents;
    contents.branded = ReadWord(record, Record::kUnbrandedFlag) == 0;
    // Exactly what the program will show: its own reading of the record.
    contents.texts = LoadBrandingFrom(reinterpret_cast<const unsigned char*>(record.data()));
    contents.format = ReadWord(record, Record::kToolWordA);
    const std::uint32_t textsSum = ReadWord(record, Record::kToolWordB);
    const std::uint32_t sealedSum = ReadWord(record, Record::kToolTrailer);
    if (contents.format == kFormat) {
        const bool matches = textsSum == Checksum(record.substr(kTextsBegin, kTextsEnd - kTextsBegin)) &&
                             sealedSum == Checksum(record.substr(kSealedBegin, kSealedEnd - kSealedBegin));
        contents.stamp = matches ? RecordStamp::Matches : RecordStamp::DoesNotMatch;
    } else if (contents.format == 0) {
        // No format: this tool never wrote the record, or reset it to what was built.
        const bool asBuilt = !contents.branded && textsSum == 0 && sealedSum == 0;
        contents.stamp = asBuilt ? RecordStamp::AsBuilt : RecordStamp::DoesNotMatch;
    } else {
        contents.stamp = RecordStamp::UnknownFormat;
    }
    return contents;
}

bool BrandableProgram::Brand(const BrandingRequest& texts, TextEncoding encoding, std::string& problem) {
    if (texts.name.empty()) {
        problem = std::string(kNameField.label) + " is empty";
        return false;
    }
    if (texts.address.empty()) {
        problem = std::string(kAddressField.label) + " is empty";
        return false;
    }
    if (!CheckAddress(texts.address, problem)) return false;
    const std::pair<const TextField*, const std::string*> fields[] = {
        {&kNameField, &texts.name}, {&kAddressField, &texts.address}, {&kTitleField, &texts.title}};
    std::array<std::string, 3> stored;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (!StoredText(*fields[i].first, *fields[i].second, encoding, stored[i], problem)) return false;
    }

    char* record = bytes_.data() + record_;
    for (std::size_t i = kTextsBegin; i < kTextsEnd; ++i) record[i] = '\0';
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i].copy(record + fields[i].first->offset, stored[i].size());
    WriteWord(record, Record::kUnbrandedFlag, 0);
    WriteWord(record, Record::kToolWordA, kFormat);
    const std::string_view written(record, Record::kSize);
    WriteWord(record, Record::kToolWordB, Checksum(written.substr(kTextsBegin, kTextsEnd - kTextsBegin)));
    WriteWord(record, Record::kToolTrailer, Checksum(written.substr(kSealedBegin, kSealedEnd - kSealedBegin)));
    return true;
}

void BrandableProgram::Unbrand() {
    char* record = bytes_.data() + record_;
    for (std::size_t i = kTextsBegin; i < kTextsEnd; ++i) record[i] = '\0';
    WriteWord(record, Record::kUnbrandedFlag, Record::kUnbrandedAsBuilt);
    WriteWord(record, Record::kToolWordA, 0);
    WriteWord(record, Record::kToolWordB, 0);
    WriteWord(record, Record::kToolTrailer, 0);
}

}  // namespace quillora
