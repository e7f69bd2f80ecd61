#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/Messages.h"
#include "engine/TextBuffer.h"
#include "platform/FileSystem.h"

namespace quillora {

// Whole-file reading and writing. A failure is shown once, naming the file, and the caller
// gets only a null or false result.
class FileIo {
public:
    // Where a symbolic link stands at the target: most files are written to the file it names;
    // files in the private temporary folder replace the link itself.
    enum class Links { Follow, Replace };

    // The messages of a failed read and a failed write; %s is the path as the caller gave it.
    static constexpr char kReadMessage[] = "Unable to read file: %s";
    static constexpr char kWriteMessage[] = "Failed to write file %s";

    FileIo(FileSystem& files, Messages& messages) : files_(files), messages_(messages) {}

    // Every byte of the file, zero bytes included; null after "Unable to read file: %s".
    // Files larger than a signed 32-bit size are not read.
    std::optional<std::string> ReadWholeFile(const TextBuffer& path);

    // What a zero byte in a file read as text means: the end of the text, or a file that
    // cannot be taken as text at all.
    enum class ZeroByte { EndsText, Refused };

    // The file's text into text: its bytes up to the first zero byte, or, when zero bytes are
    // refused, the read message for a file that holds one. Running out of memory ends in the
    // read message too; text is then empty.
    bool ReadText(const TextBuffer& path, TextBuffer& text, ZeroByte zeroByte = ZeroByte::EndsText);

    // Replaces the file with exactly these bytes in one step: after a failure the former
    // content is whole, "Failed to write file %s" has been shown and the result is false.
    bool WriteWholeFile(const TextBuffer& path, std::string_view bytes, Links links = Links::Follow);

    // The pattern with the argument, byte for byte, in the place of its %s, in an error box.
    void ShowFormattedError(const TextBuffer& pattern, const TextBuffer& argument);

private:
    bool TryRead(const std::string& path, std::string& bytes);
    bool TryWrite(const std::string& target, std::string_view bytes);

    FileSystem& files_;
    Messages& messages_;
};

}  // namespace quillora
