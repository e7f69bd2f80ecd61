#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/LittleEndian.h"
#include "fakes/ScratchFolder.h"

namespace quillora::testing {

// Little-endian fields of the picture files; a field past the end throws std::out_of_range.
inline std::uint32_t U8(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes.at(at)); }
inline std::uint32_t U16(std::string_view bytes, std::size_t at) { return U8(bytes, at) | U8(bytes, at + 1) << 8; }
inline std::uint32_t U32(std::string_view bytes, std::size_t at) {
    if (bytes.size() < 4 || at > bytes.size() - 4) throw std::out_of_range("a 32-bit field past the end");
    return ReadLittleEndian32(bytes.data() + at);
}
inline std::int32_t I32(std::string_view bytes, std::size_t at) { return static_cast<std::int32_t>(U32(bytes, at)); }

// A file of the resources folder as committed.
inline std::string CommittedResource(std::string_view name) {
    return ScratchFolder::Read(std::string(QUILLORA_RESOURCES_DIR) + "/" + std::string(name));
}

// One image of an icon file, as its directory entry describes it.
struct IconEntry {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

inline std::vector<IconEntry> IconDirectory(std::string_view icon) {
    std::vector<IconEntry> entries;
    const std::uint32_t count = U16(icon, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 16 * i;
        IconEntry entry;
        entry.width = U8(icon, at) == 0 ? 256 : static_cast<int>(U8(icon, at));
        entry.height = U8(icon, at + 1) == 0 ? 256 : static_cast<int>(U8(icon, at + 1));
        entry.bitsPerPixel = static_cast<int>(U16(icon, at + 6));
        entry.size = U32(icon, at + 8);
        entry.offset = U32(icon, at + 12);
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace quillora::testing
