#include "branding/BrandableProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "branding/BrandingRecord.h"

namespace quillora {
namespace {

namespace Record = BrandingRecord;

// --- Small program files around a record ---

// This test program's own record, which is unbranded as built.
std::string AsBuiltRecord() {
    const volatile unsigned char* record = Record::Bytes();
    std::string bytes(Record::kSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(record[i]);
    return bytes;
}

std::string Signature() {
    auto signature = Record::Signature();
    return std::string(signature.begin(), signature.end());
}

constexpr std::size_t kElfRecordAt = 207;
constexpr std::size_t kPeRecordAt = 0x80 + 4 + 100;

std::string ElfFile(const std::string& record = AsBuiltRecord()) {
    return std::string("\x7F" "ELF\x01\x01\x01", 7) + std::string(kElfRecordAt - 7, '\x11') + record +
           std::string(300, '\x22');
}

// MZ, the offset of the PE header at 3C, and the PE signature there.
std::string PeFile(const std::string& record = AsBuiltRecord()) {
    std::string head(0x80, '\0');
    head[0] = 'M';
    head[1] = 'Z';
    head[0x3C] = static_cast<char>(0x80);
    return head + std::string("PE\0\0", 4) + std::string(100, '\x33') + record + std::string(300, '\x44');
}

std::uint32_t WordAt(const std::string& file, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) word |= static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + i])) << (8 * i);
    return word;
}

void PutWord(std::string& file, std::size_t at, std::uint32_t word) {
    for (std::size_t i = 0; i < 4; ++i) file[at + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
}

// A field's bytes as stored: the text, then zero bytes to the end of the field.
std::string Field(const std::string& text, std::size_t size) { return text + std::string(size - text.size(), '\0'); }

// --- Finding the record ---

struct FindCase {
    const char* what;
    std::string file;
    std::string problem;  // empty: found
};

std::vector<FindCase> FindCases() {
    const std::string signature = Signature();
    std::string once = ElfFile();
    once[kElfRecordAt + Record::kClosingSignature + 7] ^= 0x20;
    std::string thrice = ElfFile() + signature;
    std::string farApart = once + std::string(500, '\x55') + signature;
    std::string close = ElfFile(signature + std::string(10, 'x') + signature + std::string(Record::kSize - 130, '\0'));
    std::string peOutside = PeFile();
    PutWord(peOutside, 0x3C, static_cast<std::uint32_t>(peOutside.size() - 2));
    std::string mzOnly = PeFile();
    mzOnly[0x81] = 'X';
    return {
        {"a Linux program", ElfFile(), ""},
        {"a Windows program", PeFile(), ""},
        {"no record", std::string("\x7F" "ELF", 4) + std::string(5000, '\0'), "no branding record: the file is not a copy of Quillora"},
        {"an empty file", "", "no branding record: the file is not a copy of Quillora"},
        {"the signature once",
         once, "the branding record's signature occurs once instead of twice: the record cannot be told apart"},
        {"the signature three times", thrice,
         "the branding record's signature occurs 3 times instead of twice: the record cannot be told apart"},
        {"the signature twice, too far apart", farApart,
         "the branding record's signature occurs twice, but " + std::to_string(farApart.size() - signature.size() - kElfRecordAt) +
             " bytes apart instead of 1060: the record is damaged"},
        {"the signature twice, too close", close,
         "the branding record's signature occurs twice, but 70 bytes apart instead of 1060: the record is damaged"},
        {"a record in a file that is no program", "text\n" + AsBuiltRecord(),
         "neither a Linux program (ELF) nor a Windows program (PE)"},
        {"MZ without the PE signature", mzOnly, "neither a Linux program (ELF) nor a Windows program (PE)"},
        {"a PE header offset past the end", peOutside, "neither a Linux program (ELF) nor a Windows program (PE)"},
    };
}

TEST(BrandableProgramFind, FindsTheRecordOnlyByTwoSignatures1060BytesApart) {
    for (const FindCase& test : FindCases()) {
        SCOPED_TRACE(test.what);
        std::string problem;
        std::optional<BrandableProgram> program = BrandableProgram::Find(test.file, problem);
        EXPECT_EQ(problem, test.problem);
        EXPECT_EQ(program.has_value(), test.problem.empty());
    }
    std::string problem;
    EXPECT_EQ(BrandableProgram::Find(ElfFile(), problem)->Kind(), ProgramKind::Linux);
    EXPECT_EQ(BrandableProgram::Find(ElfFile(), problem)->RecordOffset(), kElfRecordAt);
    EXPECT_EQ(BrandableProgram::Find(PeFile(), problem)->Kind(), ProgramKind::Windows);
    EXPECT_EQ(BrandableProgram::Find(PeFile(), problem)->RecordOffset(), kPeRecordAt);
}

// --- The texts that a record can hold ---

struct TextCase {
    const char* what;
    BrandingRequest request;
    TextEncoding encoding;
    std::string problem;  // empty: accepted
};

BrandingRequest Texts(std::string name, std::string address, std::string title = "") {
    return {std::move(name), std::move(address), std::move(title)};
}

std::vector<TextCase> TextCases() {
    const TextEncoding utf8 = TextEncoding::Utf8;
    const TextEncoding ansi = TextEncoding::Windows1252;
    const std::string http = "http://";
    const std::string e = "\xC3\xA9";  // é: two bytes in UTF-8, one in code page 1252
    return {
        {"texts at their limits", Texts(std::string(99, 'n'), http + std::string(788, 'a'), std::string(59, 't')), utf8, ""},
        {"title one byte too long", Texts("N", "http://a", std::string(60, 't')), utf8,
         "the window title takes 60 bytes in UTF-8; its field holds at most 59"},
        {"name one byte too long", Texts(std::string(100, 'n'), "http://a"), utf8,
         "the reseller's name takes 100 bytes in UTF-8; its field holds at most 99"},
        {"address one byte too long", Texts("N", http + std::string(789, 'a')), utf8,
         "the reseller's web address takes 796 bytes in UTF-8; its field holds at most 795"},
        {"a two-byte character ending at the limit", Texts("N", "http://a", std::string(57, 't') + e), utf8, ""},
        {"a two-byte character across the limit", Texts("N", "http://a", std::string(58, 't') + e), utf8,
         "the window title takes 60 bytes in UTF-8; its field holds at most 59"},
        {"a four-byte character across the limit", Texts(std::string(97, 'n') + "\xF0\x9F\x98\x80", "http://a"), utf8,
         "the reseller's name takes 101 bytes in UTF-8; its field holds at most 99"},
        {"59 accented letters fit in code page 1252", Texts("N", "http://a", [&] {
             std::string title;
             for (int i = 0; i < 59; ++i) title += e;
             return title;
         }()), ansi, ""},
        {"... but not in UTF-8", Texts("N", "http://a", [&] {
             std::string title;
             for (int i = 0; i < 59; ++i) title += e;
             return title;
         }()), utf8, "the window title takes 118 bytes in UTF-8; its field holds at most 59"},
        {"the limit counts code page bytes", Texts(std::string(98, 'n') + e + e, "http://a"), ansi,
         "the reseller's name takes 100 bytes in code page 1252; its field holds at most 99"},
        {"a character that code page 1252 lacks", Texts("Ca\xC4\x80", "http://a"), ansi,
         "the reseller's name holds \"\xC4\x80\" (U+0100) at byte 3, which code page 1252 cannot store"},
        {"a Japanese character in code page 1252", Texts("N", "http://a", "\xE3\x81\x82"), ansi,
         "the window title holds \"\xE3\x81\x82\" (U+3042) at byte 1, which code page 1252 cannot store"},
        {"an emoji in code page 1252", Texts("N", "http://a/\xF0\x9F\x98\x80"), ansi,
         "the reseller's web address holds \"\xF0\x9F\x98\x80\" (U+1F600) at byte 10, which code page 1252 cannot store"},
        {"the same characters in UTF-8", Texts("Ca\xC4\x80", "http://a/\xF0\x9F\x98\x80", "\xE3\x81\x82"), utf8, ""},
        {"the euro sign in code page 1252", Texts("\xE2\x82\xAC", "http://a"), ansi, ""},
        {"empty name", Texts("", "http://a"), utf8, "the reseller's name is empty"},
        {"empty address", Texts("N", ""), utf8, "the reseller's web address is empty"},
        {"empty title", Texts("N", "http://a", ""), utf8, ""},
        {"address without a scheme", Texts("N", "www.example.com"), utf8,
         "the reseller's web address must begin with http:// or https://, as in http://www.example.com/"},
        {"address with another scheme", Texts("N", "ftp://example.com"), utf8,
         "the reseller's web address must begin with http:// or https://, as in http://www.example.com/"},
        {"address with half a scheme", Texts("N", "http:/example.com"), utf8,
         "the reseller's web address must begin with http:// or https://, as in http://www.example.com/"},
        {"address that is only a scheme", Texts("N", "https://"), utf8,
         "the reseller's web address has nothing after https://"},
        {"address with a capital scheme", Texts("N", "HTTPS://Example.com/"), utf8, ""},
        {"a tab", Texts("N", "http://a", "A\tB"), utf8, "the window title holds the control character U+0009 at byte 2"},
        {"a line feed", Texts("N\n", "http://a"), utf8, "the reseller's name holds the control character U+000A at byte 2"},
        {"DEL", Texts("N", "http://a\x7F"), utf8,
         "the reseller's web address holds the control character U+007F at byte 9"},
        {"a C1 control", Texts("N\xC2\x85", "http://a"), ansi,
         "the reseller's name holds the control character U+0085 at byte 2"},
        {"a zero byte", Texts(std::string("Acme\0Co", 7), "http://a"), utf8, "the reseller's name holds a zero byte at byte 5"},
        {"Latin-1 instead of UTF-8", Texts("Caf\xE9", "http://a"), ansi,
         "the reseller's name is not valid UTF-8: byte 0xE9 at byte 4"},
        {"a cut-off UTF-8 character", Texts("N", "http://a", "Caf\xC3"), utf8,
         "the window title is not valid UTF-8: byte 0xC3 at byte 4"},
    };
}

TEST(BrandableProgramBrand, AcceptsTextsThatFitAndRefusesTheRestWithNothingChanged) {
    for (const TextCase& test : TextCases()) {
        SCOPED_TRACE(test.what);
        std::string problem;
        std::optional<BrandableProgram> program = BrandableProgram::Find(ElfFile(), problem);
        ASSERT_TRUE(program) << problem;
        const bool branded = program->Brand(test.request, test.encoding, problem);
        EXPECT_EQ(problem, test.problem);
        EXPECT_EQ(branded, test.problem.empty());
        if (!branded) {
            EXPECT_EQ(program->Bytes(), ElfFile());
            continue;
        }
        // An accepted text is stored whole, never cut.
        const RecordContents read = program->Read();
        EXPECT_TRUE(read.branded);
        if (test.encoding == TextEncoding::Utf8) {
            EXPECT_EQ(read.texts.resellerName.Bytes(), test.request.name);
            EXPECT_EQ(read.texts.resellerAddress.Bytes(), test.request.address);
            EXPECT_EQ(read.texts.windowTitle.Bytes(), test.request.title);
        }
    }
}

TEST(BrandableProgramBrand, StoresCodePage1252BytesInAWindowsProgram) {
    std::string problem;
    std::optional<BrandableProgram> program = BrandableProgram::Find(PeFile(), problem);
    ASSERT_TRUE(program) << problem;
    ASSERT_TRUE(program->Brand(Texts("Caf\xC3\xA9 \xE2\x82\xAC", "http://caf\xC3\xA9.example/", "\xC5\xB8"),
                               TextEncoding::Windows1252, problem))
        << problem;
    const std::string record = program->Bytes().substr(kPeRecordAt, Record::kSize);
    EXPECT_EQ(record.substr(Record::kResellerName, Record::kResellerNameSize), Field("Caf\xE9 \x80", Record::kResellerNameSize));
    EXPECT_EQ(record.substr(Record::kResellerAddress, Record::kResellerAddressSize),
              Field("http://caf\xE9.example/", Record::kResellerAddressSize));
    EXPECT_EQ(record.substr(Record::kWindowTitle, Record::kWindowTitleSize), Field("\x9F", Record::kWindowTitleSize));
}

// --- What Brand and Unbrand write ---

TEST(BrandableProgramBrand, WritesFlagTextsAndStampAndNothingElse) {
    std::string file = ElfFile();
    // A record that another branding left longer texts in, and reserved bytes that are not ours.
    std::string problem;
    std::optional<BrandableProgram> earlier = BrandableProgram::Find(file, problem);
    ASSERT_TRUE(earlier->Brand(Texts(std::string(99, 'N'), "http://" + std::string(788, 'A'), std::string(59, 'T')),
                               TextEncoding::Utf8, problem));
    file = earlier->Bytes();
    for (std::size_t i = Record::kReserved; i < Record::kWindowTitle; ++i) file[kElfRecordAt + i] = 'R';

    std::optional<BrandableProgram> program = BrandableProgram::Find(file, problem);
    ASSERT_TRUE(program->Brand(Texts("Lantern Press", "http://lantern-press.example/", "Lantern"), TextEncoding::Utf8, problem));
    const std::string& out = program->Bytes();
    ASSERT_EQ(out.size(), file.size());
    EXPECT_EQ(out.substr(0, kElfRecordAt + Record::kUnbrandedFlag), file.substr(0, kElfRecordAt + Record::kUnbrandedFlag));
    EXPECT_EQ(out.substr(kElfRecordAt + Record::kToolTrailer + 4), file.substr(kElfRecordAt + Record::kToolTrailer + 4))
        << "the closing signature and everything after the record are kept";
    const std::string record = out.substr(kElfRecordAt, Record::kSize);
    EXPECT_EQ(WordAt(record, Record::kUnbrandedFlag), 0u);
    EXPECT_EQ(WordAt(record, Record::kToolWordA), BrandableProgram::kFormat);
    EXPECT_NE(WordAt(record, Record::kToolWordB), 0u);
    EXPECT_NE(WordAt(record, Record::kToolTrailer), 0u);
    EXPECT_EQ(record.substr(Record::kReserved, Record::kWindowTitle - Record::kReserved), std::string(28, 'R'));
    EXPECT_EQ(record.substr(Record::kWindowTitle, Record::kWindowTitleSize), Field("Lantern", Record::kWindowTitleSize));
    EXPECT_EQ(record.substr(Record::kResellerName, Record::kResellerNameSize), Field("Lantern Press", Record::kResellerNameSize));
    EXPECT_EQ(record.substr(Record::kResellerAddress, Record::kResellerAddressSize),
              Field("http://lantern-press.example/", Record::kResellerAddressSize));

    program->Unbrand();
    std::string expected = ElfFile();
    for (std::size_t i = Record::kReserved; i < Record::kWindowTitle; ++i) expected[kElfRecordAt + i] = 'R';
    EXPECT_EQ(program->Bytes(), expected) << "unbranded as built, the reserved bytes kept";
}

// --- What a record says about who wrote it ---

// What the old recipe with dd does: the flag zero, then each field zeroed and the text, cut
// to the field's size less one, written over it. The tool's words stay as they were.
std::string HandBranded(std::string file, std::size_t recordAt, const std::string& title, const std::string& name,
                        const std::string& address) {
    PutWord(file, recordAt + Record::kUnbrandedFlag, 0);
    auto put = [&](std::size_t offset, std::size_t size, const std::string& text) {
        file.replace(recordAt + offset, size, std::string(size, '\0'));
        file.replace(recordAt + offset, std::min(text.size(), size - 1), text.substr(0, size - 1));
    };
    put(Record::kWindowTitle, Record::kWindowTitleSize, title);
    put(Record::kResellerName, Record::kResellerNameSize, name);
    put(Record::kResellerAddress, Record::kResellerAddressSize, address);
    return file;
}

std::string ToolBranded() {
    std::string problem;
    std::optional<BrandableProgram> program = BrandableProgram::Find(ElfFile(), problem);
    program->Brand(Texts("Acme", "http://acme.example/", "Acme Pages"), TextEncoding::Utf8, problem);
    return program->Bytes();
}

std::string Changed(std::string file, std::size_t offsetInRecord, char byte) {
    file[kElfRecordAt + offsetInRecord] = byte;
    return file;
}

struct StampCase {
    const char* what;
    std::string file;
    RecordStamp stamp;
    bool branded;
    std::string name;  // as the program shows it
};

TEST(BrandableProgramRead, TellsWhetherTheRecordIsAsThisToolLeftIt) {
    std::string reset = ToolBranded();
    {
        std::string problem;
        std::optional<BrandableProgram> program = BrandableProgram::Find(reset, problem);
        program->Unbrand();
        reset = program->Bytes();
    }
    std::string newerFormat = ToolBranded();
    PutWord(newerFormat, kElfRecordAt + Record::kToolWordA, 2);
    std::string flagSetByHand = ToolBranded();
    PutWord(flagSetByHand, kElfRecordAt + Record::kUnbrandedFlag, 1);
    std::string wordsByAnotherTool = ElfFile();
    PutWord(wordsByAnotherTool, kElfRecordAt + Record::kToolTrailer, 0xDEADBEEF);

    const std::vector<StampCase> cases = {
        {"as built", ElfFile(), RecordStamp::AsBuilt, false, "Corvalis"},
        {"branded by this tool", ToolBranded(), RecordStamp::Matches, true, "Acme"},
        {"reset by this tool", reset, RecordStamp::AsBuilt, false, "Corvalis"},
        {"branded by hand from a copy as built", HandBranded(ElfFile(), kElfRecordAt, "T", "Hand", "http://h.example/"),
         RecordStamp::DoesNotMatch, true, "Hand"},
        {"branded by hand over this tool's branding",
         HandBranded(ToolBranded(), kElfRecordAt, "Acme Pages", "Acme", "http://acme.example/x"), RecordStamp::DoesNotMatch,
         true, "Acme"},
        {"one letter of a text changed", Changed(ToolBranded(), Record::kResellerName, 'a'), RecordStamp::DoesNotMatch, true,
         "acme"},
        {"a byte after a text's end changed", Changed(ToolBranded(), Record::kResellerName + 50, 'x'),
         RecordStamp::DoesNotMatch, true, "Acme"},
        {"the flag set by hand", flagSetByHand, RecordStamp::DoesNotMatch, false, "Corvalis"},
        {"a reserved byte changed", Changed(ToolBranded(), Record::kReserved, 'x'), RecordStamp::DoesNotMatch, true, "Acme"},
        {"a newer format", newerFormat, RecordStamp::UnknownFormat, true, "Acme"},
        {"unbranded, with words that this tool did not write", wordsByAnotherTool, RecordStamp::DoesNotMatch, false,
         "Corvalis"},
    };
    for (const StampCase& test : cases) {
        SCOPED_TRACE(test.what);
        std::string problem;
        std::optional<BrandableProgram> program = BrandableProgram::Find(test.file, problem);
        ASSERT_TRUE(program) << problem;
        const RecordContents read = program->Read();
        EXPECT_EQ(read.stamp, test.stamp);
        EXPECT_EQ(read.branded, test.branded);
        EXPECT_EQ(read.texts.resellerName.Bytes(), test.name);
    }
    EXPECT_EQ(reset, ElfFile()) << "reset gives back the bytes as built";
}

}  // namespace
}  // namespace quillora
