#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "storage/Messages.h"
#include "engine/TextBuffer.h"
#include "platform/FileSystem.h"

namespace quillora {

// Whole-file reading and writing. A failure is shown once, naming the file, and the caller
// gets only a null or false result. Before each read and each write, whatever a writer that ended
// half way left behind is put right (FileSystem::RecoverKeptCopies).
class FileIo {
public:
    // The messages of a failed read and a failed write; %s is the path as the caller gave it.
    static constexpr char kReadMessage[] = "Unable to read file: %s";
    static constexpr char kWriteMessage[] = "Failed to write file %s";
    // An article text that holds a zero byte: no plain text does.
    static constexpr char kUtf16TextMessage[] =
        "Unable to read file: %s\n\nThe file is in UTF-16. Save it as plain text in your system's character set "
        "(UTF-8 on most systems) and try again.";
    static constexpr char kZeroByteTextMessage[] =
        "Unable to read file: %s\n\nThe file holds a zero byte, which no plain text holds.";

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

    // An article text from a file, as the window's text field holds it: every line feed that no
    // carriage return precedes becomes CR LF. A text holding a zero byte is refused with its own
    // message (a UTF-16 text named as such); a file that cannot be read whole, or whose text would
    // be longer than a signed 32-bit length or does not fit in memory, ends in the read message.
    bool ReadArticleText(const TextBuffer& path, TextBuffer& text);
    // The same from a stream (standard input), named in the messages by name.
    bool ReadArticleText(std::istream& input, const TextBuffer& name, TextBuffer& text);

    // Gives the file exactly these bytes (see FileSystem::WriteWhole for how the modes treat what
    // stands at the path): after a failure the file is as it was, "Failed to write file %s" has
    // been shown and the result is false. outcome, when given, tells what happened.
    bool WriteWholeFile(const TextBuffer& path, std::string_view bytes,
                        FileSystem::WriteMode mode = FileSystem::WriteMode::Replace,
                        FileSystem::WholeWrite* outcome = nullptr);

    // The pattern with the argument, byte for byte, in the place of its %s, in an error box.
    void ShowFormattedError(const TextBuffer& pattern, const TextBuffer& argument);

private:
    bool TakeArticleText(std::string& bytes, const TextBuffer& name, TextBuffer& text);

    FileSystem& files_;
    Messages& messages_;
};

}  // namespace quillora
