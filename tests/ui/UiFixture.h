#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes/BrandingImage.h"
#include "fakes/FakeDialogHost.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedClock.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"
#include "ui/ArticleApp.h"
#include "ui/MainWindow.h"

namespace quillora::testing {

inline constexpr char kSettingsKey[] = "Software\\Tessaline\\Quillora\\LU";

// The program on the test platform: the application object over fakes, run through StartUp.
class UiFixture : public ::testing::Test {
protected:
    // Runs the program; `user` acts while the window is open. Returns the exit status.
    int Run(const std::function<void(MainWindow&, FakeDialogHost&)>& user = {}) {
        ArticleApp app(Platform{files, registry, clock, boxes, dialogs, host, shell, tempFolder}, branding.Data());
        host.whileOpen = [&](FakeDialogHost& open) {
            if (user) user(*app.Window(), open);
        };
        int status = app.StartUp();
        applicationName = std::string(app.ApplicationName().Bytes());
        profileName = std::string(app.ProfileName().Bytes());
        return status;
    }

    void PutInt(const std::string& name, std::int32_t value) {
        registry.Put(kSettingsKey, name, RegistryType::Dword, Dword(value));
    }
    void PutText(const std::string& name, const std::string& text) {
        registry.Put(kSettingsKey, name, RegistryType::Sz, text + '\0');
    }
    bool Stored(const std::string& name) const {
        RegistryType type{};
        std::string data;
        return registry.Get(kSettingsKey, name, type, data);
    }
    std::string StoredData(const std::string& name) const {
        RegistryType type{};
        std::string data;
        return registry.Get(kSettingsKey, name, type, data) ? data : "<absent>";
    }
    // A user who accepted the terms of use on an earlier run.
    void AcceptedEarlier() { PutInt("Terms", 1); }

    FaultyFileSystem files;
    MemoryRegistry registry;
    FixedClock clock{2024, 5, 6, 1};
    FakeMessageBoxes boxes;
    FakeFileDialogs dialogs;
    FakeDialogHost host;
    FakeShell shell;
    ScratchFolder temporary;
    FixedTempFolder tempFolder{temporary.Path().string() + kSep};
    BrandingImage branding;
    std::string applicationName;
    std::string profileName;
};

}  // namespace quillora::testing
