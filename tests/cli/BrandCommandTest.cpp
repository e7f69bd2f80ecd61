// quillora-brand on real files: the built command on copies of the branding probe, and the
// command's write path over a file system that fails at a chosen step.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "branding/BrandingRecord.h"
#include "cli/brand/BrandCommand.h"
#include "adapters/posix/PosixFilePermissions.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

namespace Record = BrandingRecord;
using testing::ScratchFolder;

std::string Signature() {
    auto signature = Record::Signature();
    return std::string(signature.begin(), signature.end());
}

std::size_t RecordAt(const std::string& file) { return file.find(Signature()); }

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0xFFFFu;
}

// A small Windows program file around this test program's own record, which is as built.
std::string PeFile() {
    std::string file(0x80, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    file[0x3C] = static_cast<char>(0x80);
    file += std::string("PE\0\0", 4) + std::string(200, '\x01');
    const volatile unsigned char* record = Record::Bytes();
    for (std::size_t i = 0; i < Record::kSize; ++i) file += static_cast<char>(record[i]);
    return file + std::string(100, '\x02');
}

class BrandCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        probe = ScratchFolder::Read(QUILLORA_PROBE_FILE);
        ASSERT_NE(RecordAt(probe), std::string::npos);
        program = folder / "quillora";
        Put(program, probe, 0755);
    }

    static void Put(const std::string& path, const std::string& bytes, unsigned mode) {
        ScratchFolder::Write(path, bytes);
        std::filesystem::permissions(path, static_cast<std::filesystem::perms>(mode));
    }

    testing::ProcessResult Run(const std::vector<std::string>& arguments) {
        return testing::RunProcess(QUILLORA_BRAND_PATH, arguments, {}, "", folder.Path().string());
    }

    // As a user who may not write the scratch folder (root may write everywhere).
    testing::ProcessResult RunAsOtherUser(const std::vector<std::string>& arguments) {
        if (::geteuid() != 0) return Run(arguments);
        std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", QUILLORA_BRAND_PATH};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return testing::RunProcess("/usr/bin/setpriv", all, {}, "", folder.Path().string());
    }

    // What the branded probe prints: its texts as the program reads them.
    std::string RunCopy(const std::string& path) {
        testing::ProcessResult run = testing::RunProcess(path, {}, {});
        return run.status == 0 ? run.output : "<exit " + std::to_string(run.status) + "> " + run.errors;
    }

    static std::string ProbeOutput(const std::string& name, const std::string& address, const std::string& title) {
        return "name=" + name + "\naddress=" + address + "\ntitle=" + title + "\n";
    }

    std::string ShowOutput(const std::string& path, const std::string& branded, const std::string& title,
                           const std::string& name, const std::string& address, const std::string& checksum) {
        return "Program: " + path + "\nKind: Linux program, texts in UTF-8\nRecord: at byte " +
               std::to_string(RecordAt(probe)) + "\nBranded: " + branded + "\nTitle: " + title + "\nName: " + name +
               "\nAddress: " + address + "\nChecksum: " + checksum + "\n";
    }

    ScratchFolder folder;
    std::string probe;    // the branding probe as built
    std::string program;  // its copy in the scratch folder, mode 0755
};

TEST_F(BrandCommandTest, SetWritesABrandedCopyThatTheProgramReadsAndShowReports) {
    const testing::ProcessResult set = Run({"set", "quillora", "--name", "Lantern Press", "--address",
                                            "http://lantern-press.example/", "--title", "Lantern Press Publisher",
                                            "--output", "quillora-lantern"});
    ASSERT_EQ(set.status, 0) << set.errors;
    EXPECT_EQ(set.output, "quillora-lantern: branded\n");
    EXPECT_EQ(set.errors, "");
    EXPECT_EQ(RunCopy(folder / "quillora-lantern"),
              ProbeOutput("Lantern Press", "http://lantern-press.example/", "Lantern Press Publisher"));
    EXPECT_EQ(ModeOf(folder / "quillora-lantern"), 0755u);
    EXPECT_EQ(ScratchFolder::Read(program), probe) << "the original is untouched";
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"quillora", "quillora-lantern"}));

    const testing::ProcessResult show = Run({"show", "quillora-lantern"});
    EXPECT_EQ(show.status, 0) << show.errors;
    EXPECT_EQ(show.output, ShowOutput("quillora-lantern", "yes", "Lantern Press Publisher", "Lantern Press",
                                      "http://lantern-press.example/", "matches (written by quillora-brand)"));

    const testing::ProcessResult original = Run({"show", "quillora"});
    EXPECT_EQ(original.status, 0) << original.errors;
    EXPECT_EQ(original.output,
              ShowOutput("quillora", "no (the program shows its defaults)", "(none; the window keeps the title Quillora)",
                         "Corvalis", "http://www.corvalis.example/", "none (the record is as built)"));
}

TEST_F(BrandCommandTest, TextsAtTheirLimitsAreStoredWholeAndOneByteMoreIsRefused) {
    const std::string title(59, 't'), address = "https://" + std::string(787, 'a');
    const std::string name = std::string(97, 'n') + "\xC3\xA9";  // 99 bytes, the last character two of them
    testing::ProcessResult set =
        Run({"set", "quillora", "--name", name, "--address", address, "--title", title, "--output", "limits"});
    ASSERT_EQ(set.status, 0) << set.errors;
    EXPECT_EQ(RunCopy(folder / "limits"), ProbeOutput(name, address, title));

    struct TooLong {
        std::string option, value, message;
    };
    const std::vector<TooLong> cases = {
        {"--title", title + "t", "the window title takes 60 bytes in UTF-8; its field holds at most 59"},
        {"--name", "n" + name, "the reseller's name takes 100 bytes in UTF-8; its field holds at most 99"},
        {"--address", address + "a", "the reseller's web address takes 796 bytes in UTF-8; its field holds at most 795"},
    };
    for (const TooLong& test : cases) {
        SCOPED_TRACE(test.option);
        std::vector<std::string> arguments = {"set", "quillora", "--output", "too-long"};
        for (const char* option : {"--title", "--name", "--address"}) {
            arguments.push_back(option);
            arguments.push_back(option == test.option ? test.value
                                : option == std::string("--address") ? address
                                                                     : std::string("x"));
        }
        const testing::ProcessResult refused = Run(arguments);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.errors, "quillora-brand: " + test.message + "; nothing was written\n");
        EXPECT_EQ(refused.output, "");
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"limits", "quillora"}));
    }
}

TEST_F(BrandCommandTest, TheCopyTakesTheProgramsPermissions) {
    for (unsigned mode : {0755u, 0750u, 0711u, 0500u}) {
        SCOPED_TRACE(mode);
        std::filesystem::permissions(program, static_cast<std::filesystem::perms>(mode));
        const std::string copy = "copy-" + std::to_string(mode);
        const testing::ProcessResult set = Run({"set", "quillora", "--name", "N", "--address", "http://n", "--output", copy});
        ASSERT_EQ(set.status, 0) << set.errors;
        EXPECT_EQ(ModeOf(folder / copy), mode);
        const testing::ProcessResult reset = Run({"reset", copy, "--output", copy + "-reset"});
        ASSERT_EQ(reset.status, 0) << reset.errors;
        EXPECT_EQ(ModeOf(folder / (copy + "-reset")), mode);
    }
}

TEST_F(BrandCommandTest, ResetGivesBackTheProgramAsBuilt) {
    ASSERT_EQ(Run({"set", "quillora", "--name", "N", "--address", "http://n", "--title", "T", "--output", "branded"}).status, 0);
    const testing::ProcessResult reset = Run({"reset", "branded", "--output", "plain"});
    ASSERT_EQ(reset.status, 0) << reset.errors;
    EXPECT_EQ(reset.output, "plain: unbranded\n");
    EXPECT_EQ(ScratchFolder::Read(folder / "plain"), probe);
    EXPECT_EQ(RunCopy(folder / "plain"), ProbeOutput("Corvalis", "http://www.corvalis.example/", ""));
}

TEST_F(BrandCommandTest, OverwriteAndInPlaceReplaceTheFileWhole) {
    Put(folder / "old-copy", "an older copy", 0700);
    testing::ProcessResult refused = Run({"set", "quillora", "--name", "N", "--address", "http://n", "--output", "old-copy"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "quillora-brand: old-copy already exists; use --overwrite to replace it\n");
    EXPECT_EQ(ScratchFolder::Read(folder / "old-copy"), "an older copy");

    testing::ProcessResult replaced =
        Run({"set", "quillora", "--name", "N", "--address", "http://n", "--output", "old-copy", "--overwrite"});
    ASSERT_EQ(replaced.status, 0) << replaced.errors;
    EXPECT_EQ(RunCopy(folder / "old-copy"), ProbeOutput("N", "http://n", ""));
    EXPECT_EQ(ModeOf(folder / "old-copy"), 0700u) << "a replaced file stays what it was";

    testing::ProcessResult inPlace = Run({"set", "quillora", "--name", "Here", "--address", "https://here", "--in-place"});
    ASSERT_EQ(inPlace.status, 0) << inPlace.errors;
    EXPECT_EQ(inPlace.output, "quillora: branded\n");
    EXPECT_EQ(RunCopy(program), ProbeOutput("Here", "https://here", ""));
    EXPECT_EQ(ModeOf(program), 0755u);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"old-copy", "quillora"}));

    ASSERT_EQ(Run({"reset", "quillora", "--in-place"}).status, 0);
    EXPECT_EQ(ScratchFolder::Read(program), probe);
}

// The old recipe of the README, with grep and dd, run as a reseller ran it.
TEST_F(BrandCommandTest, ShowReadsACopyBrandedByHandAndReportsItsChecksum) {
    const char kRecipe[] = R"(program=$1 signature=$2
record=$(grep -obUaF -- "$signature" "$program" | head -n 1 | cut -d: -f1)
put() {  # put <offset in the record> <size of the field> <text>
  head -c "$2" /dev/zero | dd of="$program" bs=1 seek=$((record + $1)) conv=notrunc status=none
  printf '%s' "$3" | head -c $(($2 - 1)) | dd of="$program" bs=1 seek=$((record + $1)) conv=notrunc status=none
}
put 60 4 ''
put 100 60 'Lantern Press Publisher'
put 160 100 'Lantern Press'
put 260 796 'http://lantern-press.example/'
)";
    struct Start {
        const char* what;
        std::vector<std::string> brand;  // how the copy is made before the recipe runs
        std::string checksum;
    };
    const std::vector<Start> starts = {
        {"from a copy as built", {"reset", "quillora", "--output", "by-hand"},
         "does not match: none was recorded, so the record was written by hand or by another tool"},
        {"over a copy branded by the tool",
         {"set", "quillora", "--name", "Old", "--address", "http://old", "--output", "by-hand"},
         "does not match: the record was changed after quillora-brand wrote it"},
    };
    for (const Start& start : starts) {
        SCOPED_TRACE(start.what);
        std::filesystem::remove(folder / "by-hand");
        ASSERT_EQ(Run(start.brand).status, 0);
        const testing::ProcessResult recipe =
            testing::RunProcess("/bin/bash", {"-c", kRecipe, "bash", folder / "by-hand", Signature()}, {});
        ASSERT_EQ(recipe.status, 0) << recipe.errors;
        ASSERT_EQ(RunCopy(folder / "by-hand"),
                  ProbeOutput("Lantern Press", "http://lantern-press.example/", "Lantern Press Publisher"));

        const testing::ProcessResult show = Run({"show", "by-hand"});
        EXPECT_EQ(show.status, 0) << show.errors;
        EXPECT_EQ(show.output, ShowOutput("by-hand", "yes", "Lantern Press Publisher", "Lantern Press",
                                          "http://lantern-press.example/", start.checksum));
    }
}

// Every refusal leaves the folder as it was: no copy, no temporary file, the program untouched.
TEST_F(BrandCommandTest, RefusesBadInputWithAClearMessageAndWritesNothing) {
    const std::string signature = Signature();
    const std::size_t at = RecordAt(probe);
    std::string once = probe;
    once[at + Record::kClosingSignature] ^= 0x01;
    Put(folder / "once", once, 0755);
    Put(folder / "thrice", probe + signature, 0755);
    Put(folder / "apart", once + std::string(100, '\0') + signature, 0755);
    Put(folder / "text", "#!/bin/sh\necho hello\n", 0755);
    std::filesystem::create_directory(folder / "a-folder");
    std::filesystem::create_directory(folder / "closed");
    std::filesystem::permissions(folder / "closed", std::filesystem::perms::owner_all);
    Put(folder / "secret", probe, 0700);
    Put(folder / "exists", "mine", 0644);
    const std::size_t apart = once.size() + 100 - at;

    struct Refusal {
        const char* what;
        std::vector<std::string> arguments;
        std::string errors;
        bool asOtherUser = false;
    };
    const std::vector<std::string> texts = {"--name", "N", "--address", "http://n"};
    auto set = [&](std::vector<std::string> head) {
        head.insert(head.end(), texts.begin(), texts.end());
        return head;
    };
    const std::vector<Refusal> cases = {
        {"missing program", set({"set", "missing", "--output", "out"}), "missing does not exist"},
        {"a folder as program", {"show", "a-folder"}, "a-folder cannot be read (it is not a regular file, or a read failed)"},
        {"unreadable program", set({"set", "secret", "--output", "out"}), "secret cannot be opened for reading", true},
        {"no record", set({"set", "text", "--output", "out"}), "text: no branding record: the file is not a copy of Quillora"},
        {"signature once", set({"set", "once", "--output", "out"}),
         "once: the branding record's signature occurs once instead of twice: the record cannot be told apart"},
        {"signature three times", {"reset", "thrice", "--output", "out"},
         "thrice: the branding record's signature occurs 3 times instead of twice: the record cannot be told apart"},
        {"signature twice at the wrong distance", {"show", "apart"},
         "apart: the branding record's signature occurs twice, but " + std::to_string(apart) +
             " bytes apart instead of 1060: the record is damaged"},
        {"output exists", set({"set", "quillora", "--output", "exists"}), "exists already exists; use --overwrite to replace it"},
        {"output in a missing folder", set({"set", "quillora", "--output", "no-such-folder/out"}),
         "Failed to write file no-such-folder/out"},
        {"output in a folder that cannot be written", set({"set", "quillora", "--output", "closed/out"}),
         "Failed to write file closed/out", true},
        {"in place in a folder that cannot be written", set({"set", "quillora", "--in-place"}),
         "Failed to write file quillora", true},
        {"empty name", {"set", "quillora", "--name", "", "--address", "http://n", "--output", "out"},
         "the reseller's name is empty; nothing was written"},
        {"empty address", {"set", "quillora", "--name", "N", "--address", "", "--output", "out"},
         "the reseller's web address is empty; nothing was written"},
        {"address without its scheme", {"set", "quillora", "--name", "N", "--address", "lantern.example", "--output", "out"},
         "the reseller's web address must begin with http:// or https://, as in http://www.example.com/; nothing was written"},
        {"a control character", {"set", "quillora", "--name", "N", "--address", "http://n", "--title", "a\rb", "--output", "out"},
         "the window title holds the control character U+000D at byte 2; nothing was written"},
        {"a text that is not UTF-8", {"set", "quillora", "--name", "Caf\xE9", "--address", "http://n", "--output", "out"},
         "the reseller's name is not valid UTF-8: byte 0xE9 at byte 4; nothing was written"},
    };
    const std::vector<std::string> before = folder.Entries();
    for (const Refusal& test : cases) {
        SCOPED_TRACE(test.what);
        const testing::ProcessResult run = test.asOtherUser ? RunAsOtherUser(test.arguments) : Run(test.arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.errors, "quillora-brand: " + test.errors + "\n");
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(folder.Entries(), before);
        EXPECT_TRUE(std::filesystem::is_empty(folder / "closed"));
        EXPECT_EQ(ScratchFolder::Read(program), probe);
        EXPECT_EQ(ScratchFolder::Read(folder / "exists"), "mine");
    }
}

TEST_F(BrandCommandTest, AWrongCommandLineEndsWithStatusTwo) {
    struct Usage {
        std::vector<std::string> arguments;
        std::string problem;
    };
    const std::vector<Usage> cases = {
        {{}, "no command: give show, set or reset"},
        {{"brand", "quillora"}, "unknown command brand: give show, set or reset"},
        {{"show"}, "show needs PROGRAM, the program file"},
        {{"show", "quillora", "extra"}, "unexpected argument extra"},
        {{"show", "quillora", "--name", "N"}, "show takes no --name"},
        {{"show", "quillora", "--output", "out"}, "show takes no --output"},
        {{"reset", "quillora", "--title", "T", "--output", "out"}, "reset takes no --title"},
        {{"reset", "quillora", "--code-page", "1252", "--output", "out"}, "reset takes no --code-page"},
        {{"set", "quillora", "--address", "http://n", "--output", "out"}, "--name is missing"},
        {{"set", "quillora", "--name", "N", "--output", "out"}, "--address is missing"},
        {{"set", "quillora", "--name", "N", "--address", "http://n"}, "--output COPY or --in-place is missing"},
        {{"reset", "quillora", "--output", "out", "--in-place"}, "--output and --in-place exclude each other"},
        {{"reset", "quillora", "--in-place", "--overwrite"}, "--overwrite goes with --output only"},
        {{"set", "quillora", "--name", "N", "--name", "M"}, "--name given more than once"},
        {{"set", "quillora", "--name"}, "--name needs a value"},
        {{"show", "quillora", "--colour"}, "unknown option --colour"},
        {{"show", "quillora", "--code-page", "932"},
         "code page 932 is not supported: texts are stored in code page 1252 (Western European) only"},
        {{"show", "quillora", "--code-page", "latin1"}, "--code-page takes the number of a code page, such as 1252"},
        {{"show", "quillora", "--code-page", "1252"},
         "--code-page is for Windows programs; quillora is a Linux program, whose texts are UTF-8"},
    };
    for (const Usage& test : cases) {
        SCOPED_TRACE(test.problem);
        const testing::ProcessResult run = Run(test.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.errors, "quillora-brand: " + test.problem + "\nTry 'quillora-brand --help'.\n");
        EXPECT_EQ(run.output, "");
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"quillora"});
    }
    const testing::ProcessResult help = Run({"set", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("Usage: quillora-brand show PROGRAM", 0), 0u) << help.output;
    const testing::ProcessResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("quillora-brand ", 0), 0u) << version.output;
}

TEST_F(BrandCommandTest, AWindowsProgramKeepsItsTextsInCodePage1252) {
    Put(folder / "quillora.exe", PeFile(), 0644);
    const testing::ProcessResult set =
        Run({"set", "quillora.exe", "--name", "Caf\xC3\xA9 \xE2\x82\xAC", "--address", "http://caf\xC3\xA9.example/",
             "--title", "\xC5\xB8", "--output", "branded.exe", "--code-page", "1252"});
    ASSERT_EQ(set.status, 0) << set.errors;
    const std::string branded = ScratchFolder::Read(folder / "branded.exe");
    const std::size_t at = RecordAt(branded);
    EXPECT_EQ(branded.substr(at + Record::kResellerName, 7), std::string("Caf\xE9 \x80\0", 7));
    EXPECT_EQ(branded.substr(at + Record::kWindowTitle, 2), std::string("\x9F\0", 2));

    const testing::ProcessResult show = Run({"show", "branded.exe"});
    EXPECT_EQ(show.status, 0) << show.errors;
    EXPECT_EQ(show.output, "Program: branded.exe\nKind: Windows program, texts in code page 1252\nRecord: at byte " +
                               std::to_string(at) + "\nBranded: yes\nTitle: \xC5\xB8\nName: Caf\xC3\xA9 \xE2\x82\xAC\n"
                               "Address: http://caf\xC3\xA9.example/\nChecksum: matches (written by quillora-brand)\n");

    const testing::ProcessResult refused =
        Run({"set", "quillora.exe", "--name", "\xE3\x81\x82\xE3\x82\x8B", "--address", "http://n", "--output", "jp.exe"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "quillora-brand: the reseller's name holds \"\xE3\x81\x82\" (U+3042) at byte 1, which code "
                              "page 1252 cannot store; nothing was written\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "jp.exe"));

    // Bytes that are no printable character are shown, not sent to the terminal.
    std::string odd = branded;
    odd.replace(at + Record::kResellerName, 4, std::string("A\x1B[B", 4));
    Put(folder / "odd.exe", odd, 0644);
    const testing::ProcessResult shown = Run({"show", "odd.exe"});
    EXPECT_NE(shown.output.find("\nName: A\\x1B[B \xE2\x82\xAC\n"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("\nChecksum: does not match: the record was changed after quillora-brand wrote it\n"),
              std::string::npos);
}

// --- The write path, step by step ---

// Fails to give the copy its permissions on request, and otherwise gives them.
class FailingPermissions : public FilePermissions {
public:
    bool Copy(const std::string& from, const std::string& to) override { return !fail && real.Copy(from, to); }
    bool fail = false;
    PosixFilePermissions real;
};

TEST_F(BrandCommandTest, AFailedWriteLeavesNoFileBehind) {
    using Step = testing::FaultyFileSystem::Step;
    struct Failure {
        const char* what;
        std::optional<Step> step;  // none: giving the copy its permissions fails
        int nthCall = 1;
    };
    const std::vector<Failure> failures = {
        {"look at the target", Step::Inspect}, {"create", Step::CreateBeside}, {"write", Step::Write},
        {"disk full", Step::ShortWrite},       {"flush", Step::Flush},         {"put in place", Step::PutInPlace},
        {"permissions", std::nullopt},
    };
    Put(folder / "old-copy", "an older copy", 0755);
    for (const bool replace : {false, true}) {
        for (const Failure& failure : failures) {
            if (replace && !failure.step) continue;  // a replaced file keeps its own permissions
            SCOPED_TRACE(std::string(failure.what) + (replace ? ", replacing" : ", new copy"));
            testing::FaultyFileSystem files;
            if (failure.step) files.FailAt(*failure.step, failure.nthCall);
            FailingPermissions permissions;
            permissions.fail = !failure.step;
            std::ostringstream output, errors;
            BrandPlatform platform{files, permissions, output, errors};
            const std::string target = replace ? folder / "old-copy" : folder / "new-copy";
            const int status = RunBrandCommand(
                {"set", program, "--name", "N", "--address", "http://n", "--output", target, "--overwrite"}, platform);
            EXPECT_EQ(status, 1);
            EXPECT_EQ(errors.str(), "quillora-brand: Failed to write file " + target + "\n");
            EXPECT_EQ(output.str(), "");
            EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"old-copy", "quillora"}));
            EXPECT_EQ(ScratchFolder::Read(folder / "old-copy"), "an older copy");
        }
    }
}

}  // namespace
}  // namespace quillora
