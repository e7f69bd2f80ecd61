// Opening a file with the program the user chose for its type: the shell's result codes.
#include "adapters/win32/Win32Shell.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::ScratchFolder;

// A file type of this test's own, opened by the test child, which records the path it was
// given; removed again at the end. Written through HKEY_CLASSES_ROOT, which Windows keeps per
// user for a type that only the user has.
class RegisteredFileType {
public:
    RegisteredFileType(const std::string& extension, const std::string& record) : extension_(extension) {
        type_ = "QuilloraTest" + std::to_string(GetCurrentProcessId());
        char child[MAX_PATH];
        GetFullPathNameA(QUILLORA_TEST_CHILD, sizeof child, child, nullptr);
        Set(extension_, type_);
        Set(type_ + "\\shell\\open\\command", "\"" + std::string(child) + "\" record \"" + record + "\" \"%1\"");
    }
    ~RegisteredFileType() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, extension_.c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, type_.c_str());
    }
    RegisteredFileType(const RegisteredFileType&) = delete;
    RegisteredFileType& operator=(const RegisteredFileType&) = delete;

private:
    static void Set(const std::string& key, const std::string& value) {
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &opened, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(opened);
    }

    std::string extension_;
    std::string type_;
};

TEST(Win32Shell, AFileOfARegisteredTypeIsAcceptedAndOpenedByItsProgram) {
    ScratchFolder folder;
    const std::string extension = ".quillora-test-" + std::to_string(GetCurrentProcessId());
    const std::string document = folder / ("help page" + extension);
    const std::string record = folder / "opened.txt";
    ScratchFolder::Write(document, "<html></html>");
    RegisteredFileType type(extension, record);

    Win32Shell shell;
    const int result = shell.OpenWithDefaultProgram(document);
    EXPECT_GT(result, Shell::kRefusedAtMost);
    EXPECT_TRUE(Shell::Accepted(result));
    // The shell returns without waiting for the program.
    for (int wait = 0; wait < 200 && GetFileAttributesA(record.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait) Sleep(50);
    EXPECT_EQ(ScratchFolder::Read(record), document);
}

TEST(Win32Shell, RefusalsAreValuesOf32OrLess) {
    ScratchFolder folder;
    const std::string unregistered = folder / "page.quillora-unregistered";
    ScratchFolder::Write(unregistered, "x");
    Win32Shell shell;
    EXPECT_EQ(shell.OpenWithDefaultProgram(unregistered), Shell::kNoProgram);
    for (const std::string& missing : {folder / "missing.html", folder / "missing/page.html"}) {
        const int result = shell.OpenWithDefaultProgram(missing);
        EXPECT_TRUE(result == SE_ERR_FNF || result == SE_ERR_PNF) << missing << ": " << result;
        EXPECT_FALSE(Shell::Accepted(result)) << missing;
    }
}

}  // namespace
}  // namespace quillora
