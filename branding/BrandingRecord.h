#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "branding/BrandingInfo.h"

namespace quillora {

// The 1,120-byte block in the program's initialised data that an external branding tool finds
// by its signature and rewrites in place. Words are 32-bit little-endian; each text ends with a
// NUL inside its field.
namespace BrandingRecord {

inline constexpr std::size_t kSize = 1120;
inline constexpr std::size_t kSignatureSize = 60;

inline constexpr std::size_t kSignature = 0;
inline constexpr std::size_t kUnbrandedFlag = 60;     // non-zero: use the defaults
inline constexpr std::size_t kToolWordA = 64;
inline constexpr std::size_t kToolWordB = 68;
inline constexpr std::size_t kReserved = 72;          // 28 bytes
inline constexpr std::size_t kWindowTitle = 100;      // 60 bytes
inline constexpr std::size_t kResellerName = 160;     // 100 bytes
inline constexpr std::size_t kResellerAddress = 260;  // 796 bytes
inline constexpr std::size_t kToolTrailer = 1056;
inline constexpr std::size_t kClosingSignature = 1060;

// The unbranded flag of a copy as it is built.
inline constexpr std::uint32_t kUnbrandedAsBuilt = 1;

inline constexpr std::size_t kWindowTitleSize = kResellerName - kWindowTitle;
inline constexpr std::size_t kResellerNameSize = kResellerAddress - kResellerName;
inline constexpr std::size_t kResellerAddressSize = kToolTrailer - kResellerAddress;

inline constexpr char kDefaultResellerName[] = "Corvalis";
inline constexpr char kDefaultResellerAddress[] = "http://www.corvalis.example/";

// The record this program carries, as the branding tool left it.
const volatile unsigned char* Bytes();

// The signature, read from the program's own record: the executable holds these 60 bytes
// nowhere else.
std::array<char, kSignatureSize> Signature();

}  // namespace BrandingRecord

// The texts that a record image gives: the defaults while its unbranded flag is non-zero,
// otherwise its three text fields, each up to its NUL and never past the end of its field.
BrandingTexts LoadBrandingFrom(const volatile unsigned char* record);

// Fills BrandingInfo from a record image, by default the program's own.
void LoadBranding(const volatile unsigned char* record = BrandingRecord::Bytes());

}  // namespace quillora
