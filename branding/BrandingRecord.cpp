#include "branding/BrandingRecord.h"

#include <cstdint>
#include <string>

namespace quillora {

BrandingTexts BrandingInfo;

namespace {

struct RecordImage {
    unsigned char bytes[BrandingRecord::kSize];
};

// The signature is written here with every character one code higher than the real one, so
// that the compiler's output never holds it in one piece outside the record itself.
constexpr char kShiftedSignature[] = "Rms2reYXQKy+&e9vu9qer'tySqwF.E6iKSbPw,SUZ[QOwT`$J5l:HwwL:Kln";
static_assert(sizeof kShiftedSignature == BrandingRecord::kSignatureSize + 1);

constexpr RecordImage UnbrandedRecord() {
    RecordImage image{};
    for (std::size_t i = 0; i < BrandingRecord::kSignatureSize; ++i) {
        auto character = static_cast<unsigned char>(kShiftedSignature[i] - 1);
        image.bytes[BrandingRecord::kSignature + i] = character;
        image.bytes[BrandingRecord::kClosingSignature + i] = character;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        image.bytes[BrandingRecord::kUnbrandedFlag + i] =
            static_cast<unsigned char>(BrandingRecord::kUnbrandedAsBuilt >> (8 * i));
    }
    return image;
}

}  // namespace

// External linkage and writable initialised data: the branding tool patches this block in the
// executable file. It is only ever read through a volatile view, so no read is folded into a
// constant at build time.
extern RecordImage quilloraBrandingRecord;
constinit RecordImage quilloraBrandingRecord = UnbrandedRecord();

namespace {

std::uint32_t ReadWord(const volatile unsigned char* at) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) word |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return word;
}

TextBuffer ReadText(const volatile unsigned char* field, std::size_t size) {
    std::string bytes;
    for (std::size_t i = 0; i < size && field[i] != 0; ++i) bytes.push_back(static_cast<char>(field[i]));
    return TextBuffer(std::string_view(bytes));
}

}  // namespace

namespace BrandingRecord {

const volatile unsigned char* Bytes() { return quilloraBrandingRecord.bytes; }

std::array<char, kSignatureSize> Signature() {
    std::array<char, kSignatureSize> signature{};
    const volatile unsigned char* record = Bytes();
    for (std::size_t i = 0; i < kSignatureSize; ++i) signature[i] = static_cast<char>(record[kSignature + i]);
    return signature;
}

}  // namespace BrandingRecord

BrandingTexts LoadBrandingFrom(const volatile unsigned char* record) {
    using namespace BrandingRecord;
    if (ReadWord(record + kUnbrandedFlag) != 0) return {kDefaultResellerName, kDefaultResellerAddress, TextBuffer()};
    BrandingTexts texts;
    texts.resellerName = ReadText(record + kResellerName, kResellerNameSize);
    texts.resellerAddress = ReadText(record + kResellerAddress, kResellerAddressSize);
    texts.windowTitle = ReadText(record + kWindowTitle, kWindowTitleSize);
    return texts;
}

void LoadBranding(const volatile unsigned char* record) { BrandingInfo = LoadBrandingFrom(record); }

}  // namespace quillora
