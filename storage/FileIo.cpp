#include "storage/FileIo.h"

#include <limits>
#include <new>
#include <utility>

namespace quillora {
namespace {

constexpr std::int64_t kLargestFile = std::numeric_limits<std::int32_t>::max() - 4;

}  // namespace

std::optional<std::string> FileIo::ReadWholeFile(const TextBuffer& path) {
    std::string bytes;
    bool read = false;
    try {
        read = TryRead(std::string(path.Bytes()), bytes);
    } catch (const std::bad_alloc&) {
        read = false;
    }
    if (!read) {
        std::string().swap(bytes);
        ShowFormattedError(kReadMessage, path);
        return std::nullopt;
    }
    return bytes;
}

bool FileIo::ReadText(const TextBuffer& path, TextBuffer& text, ZeroByte zeroByte) {
    std::optional<std::string> block = ReadWholeFile(path);
    if (!block) return false;
    bool taken = zeroByte == ZeroByte::EndsText || block->find('\0') == std::string::npos;
    if (taken) {
        try {
            text = TextBuffer(std::string_view(*block));
        } catch (const std::bad_alloc&) {
            taken = false;
        }
    }
    block.reset();
    if (!taken) {
        text.Release();
        ShowFormattedError(kReadMessage, path);
    }
    return taken;
}

bool FileIo::TryRead(const std::string& path, std::string& bytes) {
    return files_.ReadWhole(path, kLargestFile, bytes) == FileSystem::WholeRead::Read;
}

bool FileIo::WriteWholeFile(const TextBuffer& path, std::string_view bytes, Links links) {
    const std::string given(path.Bytes());
    bool written = false;
    try {
        written = TryWrite(links == Links::Follow ? files_.ResolveLinks(given) : given, bytes);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    if (!written) ShowFormattedError(kWriteMessage, path);
    return written;
}

bool FileIo::TryWrite(const std::string& target, std::string_view bytes) {
    std::string temporary;
    if (!files_.WriteBeside(target, bytes, temporary)) return false;
    if (files_.Rename(temporary, target)) return true;
    files_.Remove(temporary);
    return false;
}

void FileIo::ShowFormattedError(const TextBuffer& pattern, const TextBuffer& argument) {
    messages_.ShowError(TextBuffer::Formatted(pattern, {argument}));
}

}  // namespace quillora
