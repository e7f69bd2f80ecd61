// The resources and the file form of the built quillora.exe, read with the system's own
// resource and version functions and compared with the data that the other hosts use.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ProgramFile.h"
#include "branding/BrandingRecord.h"
#include "resources/Resources.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

using testing::ProgramFile;

// The program loaded as data: its resources can be found, nothing of it runs.
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(ProgramFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << ProgramFile() << " error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    // The bytes of one resource; empty when there is none.
    std::string_view Resource(LPCSTR type, LPCSTR name) const {
        HRSRC info = FindResourceA(module_, name, type);
        if (info == nullptr) return {};
        const void* bytes = LockResource(LoadResource(module_, info));
        return bytes == nullptr ? std::string_view() : std::string_view(static_cast<const char*>(bytes), SizeofResource(module_, info));
    }

    HMODULE module_ = nullptr;
};

// A reader of the little-endian words of a resource, with the alignment rules of dialog templates.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::uint16_t Word() {
        if (at_ + 2 > bytes_.size()) {
            overrun_ = true;
            return 0;
        }
        std::uint16_t value;
        std::memcpy(&value, bytes_.data() + at_, 2);
        at_ += 2;
        return value;
    }
    std::uint32_t Long() {
        std::uint32_t low = Word();
        return low | static_cast<std::uint32_t>(Word()) << 16;
    }
    // A text of 16-bit characters ended by a zero, or 0xFFFF and an ordinal ("#ordinal").
    std::string TextOrOrdinal() {
        std::uint16_t first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text;
        for (std::uint16_t c = first; c != 0 && !overrun_; c = Word()) text += c < 0x80 ? static_cast<char>(c) : '?';
        return text;
    }
    void AlignToLong() { at_ = (at_ + 3) & ~std::size_t{3}; }
    bool Overrun() const { return overrun_; }
    std::size_t At() const { return at_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    bool overrun_ = false;
};

std::string ExpectedClass(ControlClass controlClass) {
    switch (controlClass) {
    case ControlClass::Button: return "#128";
    case ControlClass::Edit: return "#129";
    case ControlClass::Static: return "#130";
    }
    return "";
}

TEST_F(ProgramResources, Dialog102IsTheWindowTemplateControlByControl) {
    const WindowTemplate& window = MainWindowTemplate();
    std::string_view dialog = Resource(RT_DIALOG, MAKEINTRESOURCEA(window.id));
    ASSERT_FALSE(dialog.empty());
    Reader read(dialog);
    EXPECT_EQ(read.Word(), 1) << "DLGTEMPLATEEX version";
    EXPECT_EQ(read.Word(), 0xFFFF) << "DLGTEMPLATEEX signature";
    EXPECT_EQ(read.Long(), 0u) << "help id";
    EXPECT_EQ(read.Long(), window.extendedStyle);
    EXPECT_EQ(read.Long(), window.style);
    EXPECT_EQ(read.Word(), window.controls.size());
    EXPECT_EQ(read.Word(), 0) << "x";
    EXPECT_EQ(read.Word(), 0) << "y";
    EXPECT_EQ(read.Word(), window.width);
    EXPECT_EQ(read.Word(), window.height);
    EXPECT_EQ(read.TextOrOrdinal(), "") << "menu";
    EXPECT_EQ(read.TextOrOrdinal(), "") << "window class";
    EXPECT_EQ(read.TextOrOrdinal(), window.caption);
    EXPECT_EQ(read.Word(), window.fontPoints);
    EXPECT_EQ(read.Word(), FW_NORMAL);
    const std::uint16_t italicAndCharset = read.Word();
    EXPECT_EQ(italicAndCharset & 0xFF, 0) << "italic";
    EXPECT_EQ(italicAndCharset >> 8, DEFAULT_CHARSET);
    EXPECT_EQ(read.TextOrOrdinal(), window.fontName);

    for (const ControlTemplate& control : window.controls) {
        SCOPED_TRACE("control " + std::to_string(control.id) + " " + control.text);
        read.AlignToLong();
        EXPECT_EQ(read.Long(), 0u) << "help id";
        EXPECT_EQ(read.Long(), 0u) << "extended style";
        EXPECT_EQ(read.Long(), control.style);
        EXPECT_EQ(read.Word(), control.x);
        EXPECT_EQ(read.Word(), control.y);
        EXPECT_EQ(read.Word(), control.width);
        EXPECT_EQ(read.Word(), control.height);
        EXPECT_EQ(static_cast<std::int32_t>(read.Long()), control.id);
        EXPECT_EQ(read.TextOrOrdinal(), ExpectedClass(control.controlClass));
        EXPECT_EQ(read.TextOrOrdinal(), control.imageId != 0 ? "#" + std::to_string(control.imageId) : std::string(control.text));
        const std::uint16_t extra = read.Word();
        EXPECT_EQ(extra, 0) << "creation data";
    }
    EXPECT_FALSE(read.Overrun());
    EXPECT_GE(read.At() + 3, dialog.size()) << "bytes after the last control";
}

// The bitmap resources are the committed files without their 14-byte file header.
TEST_F(ProgramResources, BitmapsAreTheCommittedPictures) {
    for (int id : {133, 160, 161, 162, 266}) {
        std::string_view file = resources::Bitmap(id);
        EXPECT_EQ(Resource(RT_BITMAP, MAKEINTRESOURCEA(id)), file.substr(14)) << "bitmap " << id;
    }
}

TEST_F(ProgramResources, IconGroup128HoldsTheEightImagesOfTheIconFile) {
    const std::string_view file = resources::Icon();
    std::string_view group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(128));
    ASSERT_GE(group.size(), 6u);
    Reader read(group);
    EXPECT_EQ(read.Word(), 0);
    EXPECT_EQ(read.Word(), 1) << "icons";
    const std::uint16_t count = read.Word();
    ASSERT_EQ(count, 8);
    Reader directory(file);
    directory.Word();
    directory.Word();
    ASSERT_EQ(directory.Word(), count);
    std::vector<std::string> sizes;
    for (int i = 0; i < count; ++i) {
        // GRPICONDIRENTRY: the file's entry with the image's resource id in place of its offset.
        const std::uint16_t widthAndHeight = read.Word();
        const std::uint16_t coloursAndReserved = read.Word();
        const std::uint16_t planes = read.Word();
        const std::uint16_t bits = read.Word();
        const std::uint32_t length = read.Long();
        const std::uint16_t imageId = read.Word();
        EXPECT_EQ(widthAndHeight, directory.Word());
        EXPECT_EQ(coloursAndReserved, directory.Word());
        EXPECT_EQ(planes, directory.Word());
        EXPECT_EQ(bits, directory.Word());
        EXPECT_EQ(length, directory.Long());
        const std::uint32_t offset = directory.Long();
        sizes.push_back(std::to_string(widthAndHeight & 0xFF) + "x" + std::to_string(bits));
        EXPECT_EQ(Resource(RT_ICON, MAKEINTRESOURCEA(imageId)), file.substr(offset, length)) << "image " << i;
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<std::string>{"16x32", "16x8", "24x32", "24x8", "32x32", "32x8", "48x32", "48x8"}));
    EXPECT_FALSE(read.Overrun());
}

TEST_F(ProgramResources, HelpPictureAndHelpPageAreCarriedAsData) {
    EXPECT_EQ(Resource(RT_RCDATA, MAKEINTRESOURCEA(resources::kHelpPictureData)), resources::HelpPicture());
    EXPECT_EQ(Resource(RT_RCDATA, MAKEINTRESOURCEA(resources::kHelpPageData)), resources::HelpPagePattern());
}

// --- The version block ---

class ProgramVersion : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(ProgramFile().c_str(), &ignored);
        ASSERT_GT(size, 0u) << GetLastError();
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(ProgramFile().c_str(), 0, size, block_.data()));
    }

    bool Query(const std::string& path, void*& value, UINT& length) {
        return VerQueryValueA(block_.data(), path.c_str(), &value, &length) != FALSE;
    }

    std::vector<char> block_;
};

TEST_F(ProgramVersion, FixedPartNamesVersion1001APrivateAndSpecialBuildAndAWindowsApplication) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(Query("\\", value, length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed.dwFileFlags & fixed.dwFileFlagsMask, static_cast<DWORD>(VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD));
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed.dwFileSubtype, 0u);
}

TEST_F(ProgramVersion, OneUsEnglishUnicodeStringTableWithTheTextsAndTheEmptyEntries) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(Query("\\VarFileInfo\\Translation", value, length));
    ASSERT_EQ(length, 4u) << "one translation";
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    const struct {
        const char* name;
        const char* text;
    } entries[] = {
        {"Comments", "none"},    {"CompanyName", ""},      {"FileDescription", ""}, {"FileVersion", "1.0"},
        {"InternalName", ""},    {"LegalCopyright", ""},   {"LegalTrademarks", "none"},
        {"OriginalFilename", ""}, {"PrivateBuild", "none"}, {"ProductName", ""},     {"ProductVersion", "1.0"},
        {"SpecialBuild", "none"},
    };
    for (const auto& entry : entries) {
        ASSERT_TRUE(Query(std::string("\\StringFileInfo\\040904B0\\") + entry.name, value, length)) << entry.name;
        EXPECT_EQ(std::string(static_cast<const char*>(value)), entry.text) << entry.name;
    }
    EXPECT_FALSE(Query("\\StringFileInfo\\040904B0\\Unlisted", value, length));
}

// --- The file ---

struct Section {
    std::string name;
    std::uint32_t fileOffset;
    std::uint32_t fileSize;
    std::uint32_t characteristics;
};

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

TEST(ProgramFileForm, IsA32BitGuiProgramForI386) {
    const std::string program = ReadWhole(ProgramFile());
    ASSERT_GT(program.size(), 0x200u);
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, program.data(), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    IMAGE_NT_HEADERS32 nt;
    std::memcpy(&nt, program.data() + dos.e_lfanew, sizeof nt);
    EXPECT_EQ(nt.Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

std::vector<Section> SectionsOf(const std::string& program) {
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, program.data(), sizeof dos);
    IMAGE_NT_HEADERS32 nt;
    std::memcpy(&nt, program.data() + dos.e_lfanew, sizeof nt);
    std::size_t at = static_cast<std::size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    std::vector<Section> sections;
    for (int i = 0; i < nt.FileHeader.NumberOfSections; ++i, at += sizeof(IMAGE_SECTION_HEADER)) {
        IMAGE_SECTION_HEADER header;
        std::memcpy(&header, program.data() + at, sizeof header);
        sections.push_back({std::string(reinterpret_cast<const char*>(header.Name), strnlen(reinterpret_cast<const char*>(header.Name), 8)),
                            header.PointerToRawData, header.SizeOfRawData, header.Characteristics});
    }
    return sections;
}

// The branding tool finds the record by its signature, which occurs exactly twice, 1,060 bytes
// apart, inside the writable initialised data; the built program is unbranded.
TEST(ProgramFileForm, BrandingRecordLiesWholeInTheDataSection) {
    const std::string program = ReadWhole(ProgramFile());
    const auto signature = BrandingRecord::Signature();
    const std::string needle(signature.begin(), signature.end());
    std::vector<std::size_t> found;
    for (std::size_t at = program.find(needle); at != std::string::npos; at = program.find(needle, at + 1)) found.push_back(at);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1] - found[0], BrandingRecord::kClosingSignature);

    const Section* data = nullptr;
    const std::vector<Section> sections = SectionsOf(program);
    for (const Section& section : sections) {
        if (section.name == ".data") data = &section;
    }
    ASSERT_NE(data, nullptr);
    EXPECT_GE(found[0], data->fileOffset);
    EXPECT_LE(found[0] + BrandingRecord::kSize, static_cast<std::size_t>(data->fileOffset) + data->fileSize);
    EXPECT_TRUE(data->characteristics & IMAGE_SCN_CNT_INITIALIZED_DATA);
    EXPECT_TRUE(data->characteristics & IMAGE_SCN_MEM_WRITE);
    EXPECT_NE(program[found[0] + BrandingRecord::kUnbrandedFlag], 0) << "the built program is unbranded";
}

}  // namespace
}  // namespace quillora
