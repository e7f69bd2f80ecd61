// The temporary folder on Windows, its fallback on drive C, and the help files that go there.
#include "adapters/win32/Win32TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/win32/Win32FileSystem.h"
#include "branding/HelpPage.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/ScratchFolder.h"
#include "resources/Resources.h"

namespace quillora {
namespace {

// The system's answer replaced by a chosen one, as GetTempPathA gives it.
class AnsweredTempFolder : public Win32TempFolder {
public:
    explicit AnsweredTempFolder(std::string folder, unsigned long result) : folder_(std::move(folder)), result_(result) {}

protected:
    unsigned long QueryTempPath(unsigned long size, char* buffer) override {
        if (folder_.size() < size) folder_.copy(buffer, folder_.size());
        return result_;
    }

private:
    std::string folder_;
    unsigned long result_;
};

// An environment variable of this process set for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        char former[32768];
        DWORD length = GetEnvironmentVariableA(name, former, sizeof former);
        had_ = length > 0 && length < sizeof former;
        if (had_) former_.assign(former, length);
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, had_ ? former_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string former_;
};

TEST(Win32TempFolder, IsTheSystemsTemporaryFolderWithItsBackslash) {
    char expected[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof expected, expected);
    ASSERT_GT(length, 0u);
    Win32TempFolder folder;
    EXPECT_EQ(folder.Folder(), std::string(expected, length));
    EXPECT_EQ(folder.Folder().back(), '\\');

    // The folder follows the user's TMP variable, read again on every use.
    testing::ScratchFolder scratch;
    ScopedVariable tmp("TMP", scratch.Path().string());
    EXPECT_EQ(folder.Folder(), scratch.Path().string() + "\\");
}

TEST(Win32TempFolder, FallsBackToTheRootOfDriveCWhenTheSystemGivesNoFolder) {
    struct Case {
        const char* what;
        std::string answer;
        unsigned long result;
        std::string folder;
    };
    const std::string longest(Win32TempFolder::kBufferSize - 2, 't');
    const Case cases[] = {
        {"the query fails", "", 0, "c:\\"},
        {"the folder does not fit the buffer", "", Win32TempFolder::kBufferSize + 40, "c:\\"},
        {"the longest folder that fits", longest + "\\", Win32TempFolder::kBufferSize - 1, longest + "\\"},
        {"a folder", "D:\\Temp\\", 8, "D:\\Temp\\"},
    };
    for (const Case& c : cases) {
        AnsweredTempFolder folder(c.answer, c.result);
        EXPECT_EQ(folder.Folder(), c.folder) << c.what;
    }
}

// With the temporary-folder query failing, the page and the picture lie in the root folder of
// drive C, and the page finds the picture there by its bare name.
TEST(Win32TempFolder, HelpWithoutATemporaryFolderWritesBothFilesToTheRootOfDriveC) {
    const std::string page = std::string("c:\\") + kHelpPageFileName;
    const std::string picture = std::string("c:\\") + kHelpPictureFileName;
    AnsweredTempFolder failing("", 0);
    Win32FileSystem files;
    testing::FakeMessageBoxes boxes;
    testing::FakeShell shell;
    TextBuffer caption("Quillora");
    Messages messages(boxes, caption);
    FileIo fileIo(files, messages);
    BrowserLauncher launcher(fileIo, shell, failing);
    HelpPage help(fileIo, messages, launcher);
    TextBuffer pagePath, picturePath;

    EXPECT_TRUE(help.Show("Quillora", "Corvalis", "http://www.corvalis.example/", pagePath, picturePath));
    EXPECT_EQ(pagePath.Bytes(), page);
    EXPECT_EQ(picturePath.Bytes(), picture);
    EXPECT_EQ(shell.opened, std::vector<std::string>{page});
    EXPECT_NE(testing::ScratchFolder::Read(page).find("<IMG SRC=\"temp_vodadir_box.gif\">"), std::string::npos);
    EXPECT_EQ(testing::ScratchFolder::Read(picture), std::string(resources::HelpPicture()));
    EXPECT_TRUE(boxes.shown.empty());
    DeleteFileA(page.c_str());
    DeleteFileA(picture.c_str());
}

}  // namespace
}  // namespace quillora
