#include "branding/BrandingRecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/ProcessRunner.h"
#include "fakes/BrandingImage.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::BrandingImage;
namespace Record = BrandingRecord;

struct Expected {
    std::string name;
    std::string address;
    std::string title;
};

struct LoadCase {
    const char* what;
    BrandingImage image;
    Expected expected;
};

const Expected kDefaults{"Corvalis", "http://www.corvalis.example/", ""};

BrandingImage Branded(std::uint32_t flag) {
    return BrandingImage(flag).Title("Acme Pages").Name("Acme Reseller").Address("https://acme.example/shop");
}

// The same texts with every byte that the program must not look at set.
BrandingImage BrandedWithToolBytes() {
    BrandingImage image = Branded(0);
    image.Word(Record::kToolWordA, 0xFFFFFFFF).Word(Record::kToolWordB, 0x12345678).Word(Record::kToolTrailer, 0xFFFFFFFF);
    for (std::size_t i = Record::kReserved; i < Record::kWindowTitle; ++i) image.bytes[i] = 'R';
    for (std::size_t i = 0; i < Record::kSignatureSize; ++i) image.bytes[Record::kSignature + i] = 'S';
    return image;
}

// A field filled to its last byte, with no NUL, and the next field's bytes right behind it.
BrandingImage Unterminated() {
    BrandingImage image(0);
    image.Title(std::string(Record::kWindowTitleSize, 'T'));
    image.Name(std::string(Record::kResellerNameSize, 'N'));
    image.Address(std::string(Record::kResellerAddressSize, 'A'));
    image.Word(Record::kToolTrailer, 0x58585858);  // "XXXX" right after the address field
    return image;
}

std::vector<LoadCase> LoadCases() {
    const std::string name99(99, 'n');
    const std::string address795 = "http://" + std::string(788, 'a');
    return {
        {"flag 1 ignores the texts", Branded(1), kDefaults},
        {"flag with all bits set ignores the texts", Branded(0xFFFFFFFF), kDefaults},
        {"flag set only in its second byte", Branded(0x00000100), kDefaults},
        {"flag set only in its last byte", Branded(0x01000000), kDefaults},
        {"flag 0 gives the three texts", Branded(0), {"Acme Reseller", "https://acme.example/shop", "Acme Pages"}},
        {"empty title", BrandingImage(0).Name("Acme").Address("http://acme.example/"), {"Acme", "http://acme.example/", ""}},
        {"99-byte name is read whole", BrandingImage(0).Name(name99).Address("x"), {name99, "x", ""}},
        {"795-byte address is read whole", BrandingImage(0).Name("n").Address(address795), {"n", address795, ""}},
        {"empty address", BrandingImage(0).Title("T").Name("N"), {"N", "", "T"}},
        {"texts copied unchanged", BrandingImage(0).Title(" \tCaf\xC3\xA9 ").Name("<b>&").Address("www.no-scheme"),
         {"<b>&", "www.no-scheme", " \tCaf\xC3\xA9 "}},
        {"bytes after a NUL are ignored",
         BrandingImage(0).Text(Record::kResellerName, Record::kResellerNameSize, std::string("Acme\0junk", 9)),
         {"Acme", "", ""}},
        {"an unterminated field ends at its end", Unterminated(),
         {std::string(Record::kResellerNameSize, 'N'), std::string(Record::kResellerAddressSize, 'A'),
          std::string(Record::kWindowTitleSize, 'T')}},
        {"tool words, reserved bytes and signatures change nothing", BrandedWithToolBytes(),
         {"Acme Reseller", "https://acme.example/shop", "Acme Pages"}},
    };
}

TEST(LoadBrandingFrom, ReadsEachRecordByItsFlag) {
    for (const LoadCase& test : LoadCases()) {
        SCOPED_TRACE(test.what);
        BrandingTexts texts = LoadBrandingFrom(test.image.Data());
        EXPECT_EQ(texts.resellerName.Bytes(), test.expected.name);
        EXPECT_EQ(texts.resellerAddress.Bytes(), test.expected.address);
        EXPECT_EQ(texts.windowTitle.Bytes(), test.expected.title);
    }
}

TEST(LoadBranding, ReplacesAllThreeTextsOfTheProcessWideBranding) {
    BrandingInfo = {TextBuffer("old name"), TextBuffer("old address"), TextBuffer("old title")};
    LoadBranding(BrandingImage(0).Name("New").Data());
    EXPECT_EQ(BrandingInfo.resellerName.Bytes(), "New");
    EXPECT_EQ(BrandingInfo.resellerAddress.Bytes(), "");
    EXPECT_EQ(BrandingInfo.windowTitle.Bytes(), "");

    LoadBranding();  // this build's own record is unbranded
    EXPECT_EQ(BrandingInfo.resellerName.Bytes(), kDefaults.name);
    EXPECT_EQ(BrandingInfo.resellerAddress.Bytes(), kDefaults.address);
    EXPECT_EQ(BrandingInfo.windowTitle.Bytes(), "");
}

TEST(BrandingRecord, SignatureIsSixtyPrintableCharactersAtBothEnds) {
    auto signature = Record::Signature();
    for (char c : signature) EXPECT_TRUE(c > ' ' && c < 0x7F) << static_cast<int>(c);
    const volatile unsigned char* record = Record::Bytes();
    for (std::size_t i = 0; i < Record::kSignatureSize; ++i) {
        EXPECT_EQ(record[Record::kClosingSignature + i], static_cast<unsigned char>(signature[i]));
    }
}

// --- The executable files ---

std::string Signature() {
    auto signature = Record::Signature();
    return std::string(signature.begin(), signature.end());
}

std::vector<std::size_t> Occurrences(const std::string& haystack, const std::string& needle) {
    std::vector<std::size_t> found;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) found.push_back(at);
    return found;
}

// The record's offset in an executable file: its signature occurs exactly twice, 1,060 bytes apart.
void ExpectOneRecord(const std::string& file, std::size_t& recordAt) {
    std::vector<std::size_t> found = Occurrences(file, Signature());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1] - found[0], Record::kClosingSignature);
    recordAt = found[0];
}

std::string RunProbe(const std::string& path) {
    testing::ProcessResult result = testing::RunProcess(path, {}, {});
    if (result.status != 0) result.output += "<exit status " + std::to_string(result.status) + ">";
    return result.output;
}

std::string ProbeOutput(const std::string& name, const std::string& address, const std::string& title) {
    return "name=" + name + "\naddress=" + address + "\ntitle=" + title + "\n";
}

TEST(BrandingInTheProgramFile, SignatureOccursOnlyInTheRecord) {
#ifdef QUILLORA_PROGRAM_FILE
    std::string program = testing::ScratchFolder::Read(QUILLORA_PROGRAM_FILE);
    ASSERT_FALSE(program.empty()) << QUILLORA_PROGRAM_FILE;
    std::size_t recordAt = 0;
    ExpectOneRecord(program, recordAt);
    EXPECT_NE(program[recordAt + Record::kUnbrandedFlag], 0) << "the built program is unbranded";
#else
    GTEST_SKIP() << "the program is not built without the GUI";
#endif
}

TEST(BrandingInTheProgramFile, UnpatchedProbePrintsTheDefaults) {
    EXPECT_EQ(RunProbe(QUILLORA_PROBE_FILE), ProbeOutput(kDefaults.name, kDefaults.address, ""));
}

TEST(BrandingInTheProgramFile, PatchedCopyPrintsTheTextsWrittenIntoIt) {
    testing::ScratchFolder folder;
    std::string probe = testing::ScratchFolder::Read(QUILLORA_PROBE_FILE);
    std::size_t recordAt = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectOneRecord(probe, recordAt));

    // What the branding tool does: clear the flag and write each text, with its NUL, in place.
    const std::string title = "Acme Pages", name = "Acme Reseller", address = "http://acme.example/articles";
    for (std::size_t i = 0; i < 4; ++i) probe[recordAt + Record::kUnbrandedFlag + i] = '\0';
    auto put = [&](std::size_t offset, const std::string& text) { probe.replace(recordAt + offset, text.size() + 1, text.c_str(), text.size() + 1); };
    put(Record::kWindowTitle, title);
    put(Record::kResellerName, name);
    put(Record::kResellerAddress, address);

    const std::string copy = folder / ("branded_probe" + std::filesystem::path(QUILLORA_PROBE_FILE).extension().string());
    testing::ScratchFolder::Write(copy, probe);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    EXPECT_EQ(RunProbe(copy), ProbeOutput(name, address, title));
}

#ifdef QUILLORA_BRAND_PATH
// --- The branding tool on the built programs ---

testing::ProcessResult RunBrandingTool(const std::vector<std::string>& arguments) {
    return testing::RunProcess(QUILLORA_BRAND_PATH, arguments, {});
}

struct ToolCase {
    const char* what;
    std::string name, address, title;
};

TEST(BrandingInTheProgramFile, ProbeBrandedByTheToolPrintsTheTextsWhole) {
    const std::string e = "\xC3\xA9";
    const std::vector<ToolCase> cases = {
        {"plain texts", "Lantern Press", "http://lantern-press.example/", "Lantern Press Publisher"},
        {"no title", "Lantern Press", "https://lantern-press.example/", ""},
        {"every field at its limit", std::string(97, 'n') + e, "http://" + std::string(788, 'a'), std::string(57, 't') + e},
        {"characters of every length", "Caf" + e + " \xE2\x82\xAC \xF0\x9F\x93\xB0", "http://xn--caf-dma.example/",
         "\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9"},
    };
    testing::ScratchFolder folder;
    const std::string copy = folder / "branded_probe";
    for (const ToolCase& test : cases) {
        SCOPED_TRACE(test.what);
        const testing::ProcessResult set = RunBrandingTool({"set", QUILLORA_PROBE_FILE, "--name", test.name, "--address",
                                                            test.address, "--title", test.title, "--output", copy,
                                                            "--overwrite"});
        ASSERT_EQ(set.status, 0) << set.errors;
        EXPECT_EQ(RunProbe(copy), ProbeOutput(test.name, test.address, test.title));
    }
    const testing::ProcessResult reset = RunBrandingTool({"reset", copy, "--in-place"});
    ASSERT_EQ(reset.status, 0) << reset.errors;
    EXPECT_EQ(RunProbe(copy), ProbeOutput(kDefaults.name, kDefaults.address, ""));
    EXPECT_EQ(testing::ScratchFolder::Read(copy), testing::ScratchFolder::Read(QUILLORA_PROBE_FILE));
}

TEST(BrandingInTheProgramFile, ProgramBrandedByTheToolCarriesTheTextsAndStillStarts) {
#ifdef QUILLORA_PROGRAM_FILE
    testing::ScratchFolder folder;
    const std::string copy = folder / "quillora-lantern";
    const testing::ProcessResult set =
        RunBrandingTool({"set", QUILLORA_PROGRAM_FILE, "--name", "Lantern Press", "--address",
                         "http://lantern-press.example/", "--title", "Lantern Press Publisher", "--output", copy});
    ASSERT_EQ(set.status, 0) << set.errors;

    // The program's own reading of the record, on the bytes of the branded file.
    const std::string program = testing::ScratchFolder::Read(QUILLORA_PROGRAM_FILE);
    const std::string branded = testing::ScratchFolder::Read(copy);
    ASSERT_EQ(branded.size(), program.size());
    std::size_t recordAt = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectOneRecord(branded, recordAt));
    const BrandingTexts texts = LoadBrandingFrom(reinterpret_cast<const unsigned char*>(branded.data() + recordAt));
    EXPECT_EQ(texts.resellerName.Bytes(), "Lantern Press");
    EXPECT_EQ(texts.resellerAddress.Bytes(), "http://lantern-press.example/");
    EXPECT_EQ(texts.windowTitle.Bytes(), "Lantern Press Publisher");
    EXPECT_EQ(branded.substr(0, recordAt), program.substr(0, recordAt));
    EXPECT_EQ(branded.substr(recordAt + Record::kSize), program.substr(recordAt + Record::kSize));

    // The branded program shows its window and ends when it is closed, on a private X server,
    // its terms accepted in a scratch settings folder.
    const testing::ProcessResult started =
        testing::RunProcess(QUILLORA_START_WINDOW, {copy, folder / "window"}, {"HOME=" + folder.Path().string()});
    EXPECT_EQ(started.status, 0) << started.errors;

    const testing::ProcessResult show = RunBrandingTool({"show", copy});
    EXPECT_EQ(show.status, 0) << show.errors;
    EXPECT_NE(show.output.find("\nBranded: yes\nTitle: Lantern Press Publisher\nName: Lantern Press\n"
                               "Address: http://lantern-press.example/\nChecksum: matches"),
              std::string::npos)
        << show.output;

    const testing::ProcessResult reset = RunBrandingTool({"reset", copy, "--in-place"});
    ASSERT_EQ(reset.status, 0) << reset.errors;
    EXPECT_TRUE(testing::ScratchFolder::Read(copy) == program) << "reset gives back the program as built";
#else
    GTEST_SKIP() << "the program is not built without the GUI";
#endif
}
#endif

}  // namespace
}  // namespace quillora
