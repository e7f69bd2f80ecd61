// The installer as a user's silent installation runs it: quillora-<version>-setup.exe /S puts
// the programs into Program Files with a Start-menu folder and an entry in the system's list
// of programs; the uninstaller, also with /S, takes all of them away again.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/ProcessRunner.h"

namespace quillora {
namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillora";

std::string Folder(int which) {
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string UninstallValue(const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

bool UninstallKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class Installation {
public:
    Installation()
        : folder(Folder(CSIDL_PROGRAM_FILES) + "\\Quillora"), menu(Folder(CSIDL_COMMON_PROGRAMS) + "\\Quillora") {}

    // Silently, as "uninstall.exe /S" does it: the uninstaller copies itself to the temporary
    // folder, starts the copy and returns at once, so its work is waited for.
    bool Uninstall() const {
        const std::string uninstaller = folder + "\\uninstall.exe";
        if (Exists(uninstaller) && testing::RunProcess(uninstaller, {"/S"}, {}).status != 0) return false;
        for (int wait = 0; wait < 200; ++wait) {
            if (!Exists(folder) && !Exists(menu) && !UninstallKeyExists()) return true;
            Sleep(50);
        }
        return false;
    }

    const std::string folder;
    const std::string menu;
};

TEST(Installer, InstallsSilentlyAndUninstallsWithoutATrace) {
    Installation installation;
    ASSERT_FALSE(installation.folder.empty());
    ASSERT_TRUE(installation.Uninstall()) << "an earlier installation is in the way";

    const testing::ProcessResult setup = testing::RunProcess(QUILLORA_INSTALLER, {"/S"}, {});
    ASSERT_EQ(setup.status, 0);

    std::vector<std::string> files = {"quillora-create.exe", "README.txt", "uninstall.exe"};
    std::vector<std::string> shortcuts = {"Quillora command prompt.lnk", "Uninstall Quillora.lnk"};
    if (QUILLORA_WITH_WINDOW) {
        files.push_back("quillora.exe");
        shortcuts.push_back("Quillora.lnk");
    }
    for (const std::string& file : files) EXPECT_TRUE(Exists(installation.folder + "\\" + file)) << file;
    for (const std::string& shortcut : shortcuts) EXPECT_TRUE(Exists(installation.menu + "\\" + shortcut)) << shortcut;
    EXPECT_EQ(UninstallValue("DisplayName"), "Quillora");
    EXPECT_EQ(UninstallValue("DisplayVersion"), QUILLORA_VERSION);
    EXPECT_EQ(UninstallValue("UninstallString"), "\"" + installation.folder + "\\uninstall.exe\"");
    EXPECT_EQ(UninstallValue("QuietUninstallString"), "\"" + installation.folder + "\\uninstall.exe\" /S");

    // The installed command runs from its new place.
    const testing::ProcessResult version = testing::RunProcess(installation.folder + "\\quillora-create.exe", {"--version"}, {});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, std::string("quillora-create ") + QUILLORA_VERSION + "\n");

    EXPECT_TRUE(installation.Uninstall()) << "the uninstaller left its folder, its menu or its key";
    EXPECT_FALSE(Exists(installation.folder));
    EXPECT_FALSE(Exists(installation.menu));
    EXPECT_FALSE(UninstallKeyExists());
}

}  // namespace
}  // namespace quillora
