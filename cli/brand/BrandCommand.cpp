#include "cli/brand/BrandCommand.h"

#include <cstdio>
#include <limits>
#include <optional>
#include <ostream>

#include "branding/BrandableProgram.h"
#include "cli/brand/BrandOptions.h"
#include "storage/FileIo.h"
#include "storage/Messages.h"
#include "ui/ArticleApp.h"

namespace quillora {
namespace {

constexpr char kName[] = "quillora-brand";

// The file helpers' message boxes become lines on standard error.
class ErrorLines : public MessageBoxes {
public:
    explicit ErrorLines(std::ostream& errors) : errors_(errors) {}
    MessageAnswer Show(const MessageRequest& request) override {
        errors_ << kName << ": " << request.text << '\n';
        return MessageAnswer::Ok;
    }

private:
    std::ostream& errors_;
};

int Refuse(BrandPlatform& platform, const std::string& message) {
    platform.errors << kName << ": " << message << '\n';
    return 1;
}

int BadUsage(BrandPlatform& platform, const std::string& problem) {
    platform.errors << kName << ": " << problem << "\nTry '" << kName << " --help'.\n";
    return 2;
}

// A stored text for a terminal: UTF-8, with every control character and every byte that
// starts no character shown as \xNN.
std::string Printable(std::string_view stored, TextEncoding encoding) {
    std::string printable;
    for (std::size_t at = 0; at < stored.size();) {
        const EncodedCharacter character = DecodeCharacter(encoding, stored, at);
        const bool control = character.codePoint < 0x20 || (character.codePoint >= 0x7F && character.codePoint <= 0x9F);
        if (!character.valid || control || !EncodeCharacter(TextEncoding::Utf8, character.codePoint, printable)) {
            for (std::size_t k = 0; k < character.length; ++k) {
                char escaped[8];
                const auto byte = static_cast<unsigned char>(stored[at + k]);
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
                printable += escaped;
            }
        }
        at += character.length;
    }
    return printable;
}

const char* StampLine(const RecordContents& record) {
    switch (record.stamp) {
    case RecordStamp::AsBuilt: return "none (the record is as built)";
    case RecordStamp::Matches: return "matches (written by quillora-brand)";
    case RecordStamp::DoesNotMatch:
        return record.format == 0 ? "does not match: none was recorded, so the record was written by hand or by "
                                    "another tool"
                                  : "does not match: the record was changed after quillora-brand wrote it";
    case RecordStamp::UnknownFormat: return "unknown: the record's format is newer than this quillora-brand knows";
    }
    return "";
}

void Show(const BrandOptions& options, const BrandableProgram& program, TextEncoding encoding, std::ostream& out) {
    const RecordContents record = program.Read();
    out << "Program: " << options.program << '\n';
    out << "Kind: " << (program.Kind() == ProgramKind::Linux ? "Linux program" : "Windows program") << ", texts in "
        << EncodingName(encoding) << '\n';
    out << "Record: at byte " << program.RecordOffset() << '\n';
    out << "Branded: " << (record.branded ? "yes" : "no (the program shows its defaults)") << '\n';
    if (record.texts.windowTitle.IsEmpty()) {
        out << "Title: (none; the window keeps the title " << kProductName << ")\n";
    } else {
        out << "Title: " << Printable(record.texts.windowTitle.Bytes(), encoding) << '\n';
    }
    out << "Name: " << Printable(record.texts.resellerName.Bytes(), encoding) << '\n';
    out << "Address: " << Printable(record.texts.resellerAddress.Bytes(), encoding) << '\n';
    out << "Checksum: " << StampLine(record) << '\n';
    if (record.stamp == RecordStamp::UnknownFormat) out << "Format: " << record.format << '\n';
}

// Reads the whole program file into bytes; false after a message.
bool ReadProgram(const std::string& path, BrandPlatform& platform, std::string& bytes) {
    switch (platform.files.ReadWhole(path, std::numeric_limits<std::int32_t>::max(), bytes)) {
    case FileSystem::WholeRead::Read:
        return true;
    case FileSystem::WholeRead::NotOpened:
        Refuse(platform, platform.files.Exists(path) ? path + " cannot be opened for reading" : path + " does not exist");
        return false;
    case FileSystem::WholeRead::TooLarge:
        Refuse(platform, path + " is too large to be a copy of Quillora");
        return false;
    case FileSystem::WholeRead::Failed:
        Refuse(platform, path + " cannot be read (it is not a regular file, or a read failed)");
        return false;
    }
    return false;
}

// Writes the copy whole: a new file appears complete under its name where nothing stood, and then
// takes PROGRAM's permissions (it is removed again when it cannot); a file that exists is
// replaced as every whole file is, keeping what it is. False after a message, with nothing written.
bool WriteProgram(const BrandOptions& options, const std::string& bytes, BrandPlatform& platform) {
    const std::string& target = options.inPlace ? options.program : *options.output;
    const bool exists = platform.files.Exists(target);
    if (exists && !options.inPlace && !options.overwrite) {
        Refuse(platform, target + " already exists; use --overwrite to replace it");
        return false;
    }
    ErrorLines lines(platform.errors);
    Messages messages(lines, TextBuffer(kName));
    FileIo fileIo(platform.files, messages);
    if (exists) return fileIo.WriteWholeFile(TextBuffer(target), bytes);

    if (!fileIo.WriteWholeFile(TextBuffer(target), bytes, FileSystem::WriteMode::CreateNew)) return false;
    if (platform.permissions.Copy(options.program, target)) return true;
    platform.files.Remove(target);
    fileIo.ShowFormattedError(FileIo::kWriteMessage, TextBuffer(target));
    return false;
}

}  // namespace

int RunBrandCommand(const std::vector<std::string>& arguments, BrandPlatform& platform) {
    BrandOptions options;
    std::string problem;
    if (!ParseBrandOptions(arguments, options, problem)) return BadUsage(platform, problem);
    if (options.help) {
        platform.output << BrandUsage();
        return 0;
    }
    if (options.version) {
        platform.output << kName << ' ' << QUILLORA_VERSION << '\n';
        return 0;
    }

    std::string bytes;
    if (!ReadProgram(options.program, platform, bytes)) return 1;
    std::optional<BrandableProgram> program = BrandableProgram::Find(std::move(bytes), problem);
    if (!program) return Refuse(platform, options.program + ": " + problem);
    if (program->Kind() == ProgramKind::Linux && options.codePage) {
        return BadUsage(platform, "--code-page is for Windows programs; " + options.program +
                                      " is a Linux program, whose texts are UTF-8");
    }
    // The one Windows code page there is, so far: 1252.
    const TextEncoding encoding = program->Kind() == ProgramKind::Linux ? TextEncoding::Utf8 : TextEncoding::Windows1252;

    switch (options.action) {
    case BrandAction::Show:
        Show(options, *program, encoding, platform.output);
        return 0;
    case BrandAction::Set:
        if (!program->Brand({*options.name, *options.address, options.title.value_or("")}, encoding, problem)) {
            return Refuse(platform, problem + "; nothing was written");
        }
        break;
    case BrandAction::Reset:
        program->Unbrand();
        break;
    }
    if (!WriteProgram(options, program->Bytes(), platform)) return 1;
    const std::string& written = options.inPlace ? options.program : *options.output;
    platform.output << written << (options.action == BrandAction::Set ? ": branded" : ": unbranded") << '\n';
    return 0;
}

}  // namespace quillora
