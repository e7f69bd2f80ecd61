#include "storage/FileIo.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <new>
#include <utility>

namespace quillora {
namespace {

// A read block is the file's bytes and four zero bytes, all counted by a signed 32-bit size.
constexpr std::int64_t kLargestFile = std::numeric_limits<std::int32_t>::max() - 4;
constexpr std::size_t kLongestText = std::numeric_limits<std::int32_t>::max();

// A text in UTF-16: its byte order mark, or, in its first few kilobytes, zero bytes in at least
// three of every four characters' high bytes and nowhere else.
bool LooksLikeUtf16(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return true;
    const std::size_t sample = std::min<std::size_t>(bytes.size(), 4096) & ~std::size_t{1};
    std::size_t zeros[2] = {0, 0};
    for (std::size_t i = 0; i < sample; ++i) {
        if (bytes[i] == '\0') ++zeros[i % 2];
    }
    const std::size_t characters = sample / 2;
    for (std::size_t high = 0; high < 2; ++high) {
        if (characters > 0 && zeros[1 - high] == 0 && zeros[high] * 4 >= characters * 3) return true;
    }
    return false;
}

// Every line feed that no carriage return precedes becomes CR LF.
std::string WithWindowsLineBreaks(const std::string& text) {
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) converted += '\r';
        converted += text[i];
    }
    return converted;
}

}  // namespace

std::optional<std::string> FileIo::ReadWholeFile(const TextBuffer& path) {
    std::string bytes;
    bool read = false;
    try {
        files_.RecoverKeptCopies();
        read = files_.ReadWhole(std::string(path.Bytes()), kLargestFile, bytes) == FileSystem::WholeRead::Read;
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

bool FileIo::ReadArticleText(const TextBuffer& path, TextBuffer& text) {
    std::optional<std::string> block = ReadWholeFile(path);
    return block && TakeArticleText(*block, path, text);
}

bool FileIo::ReadArticleText(std::istream& input, const TextBuffer& name, TextBuffer& text) {
    std::string bytes;
    bool read = true;
    try {
        std::string chunk(1 << 16, '\0');
        while (read && input.read(chunk.data(), static_cast<std::streamsize>(chunk.size())).gcount() > 0) {
            bytes.append(chunk.data(), static_cast<std::size_t>(input.gcount()));
            read = static_cast<std::int64_t>(bytes.size()) <= kLargestFile;
        }
        read = read && !input.bad();
    } catch (const std::bad_alloc&) {
        read = false;
    }
    if (!read) {
        std::string().swap(bytes);
        ShowFormattedError(kReadMessage, name);
        return false;
    }
    return TakeArticleText(bytes, name, text);
}

// bytes are used up.
bool FileIo::TakeArticleText(std::string& bytes, const TextBuffer& name, TextBuffer& text) {
    if (bytes.find('\0') != std::string::npos) {
        const bool utf16 = LooksLikeUtf16(bytes);
        std::string().swap(bytes);
        ShowFormattedError(utf16 ? kUtf16TextMessage : kZeroByteTextMessage, name);
        return false;
    }
    bool taken = false;
    try {
        std::string converted = WithWindowsLineBreaks(bytes);
        std::string().swap(bytes);
        taken = converted.size() <= kLongestText;
        if (taken) text = TextBuffer(std::string_view(converted));
    } catch (const std::bad_alloc&) {
        taken = false;
    }
    std::string().swap(bytes);
    if (!taken) {
        text.Release();
        ShowFormattedError(kReadMessage, name);
    }
    return taken;
}

bool FileIo::WriteWholeFile(const TextBuffer& path, std::string_view bytes, FileSystem::WriteMode mode,
                            FileSystem::WholeWrite* outcome) {
    FileSystem::WholeWrite result = FileSystem::WholeWrite::Failed;
    try {
        files_.RecoverKeptCopies();
        result = files_.WriteWhole(std::string(path.Bytes()), bytes, mode);
    } catch (const std::bad_alloc&) {
        result = FileSystem::WholeWrite::Failed;
    }
    if (outcome != nullptr) *outcome = result;
    if (result != FileSystem::WholeWrite::Written) ShowFormattedError(kWriteMessage, path);
    return result == FileSystem::WholeWrite::Written;
}

void FileIo::ShowFormattedError(const TextBuffer& pattern, const TextBuffer& argument) {
    messages_.ShowError(TextBuffer::Formatted(pattern, {argument}));
}

}  // namespace quillora
