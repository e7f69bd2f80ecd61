#pragma once

#include "branding/BrandingRecord.h"
#include "engine/TextBuffer.h"
#include "platform/Platform.h"
#include "storage/FileIo.h"
#include "storage/Messages.h"
#include "storage/SettingsStore.h"

namespace quillora {

class MainWindow;

inline constexpr char kProductName[] = "Quillora";
inline constexpr char kCompanyKey[] = "Tessaline";

// The first-run terms of use: the disclaimer, then the question.
inline constexpr char kTermsDisclaimer[] =
    "The terms of using this software include your agreement to a standard software liability disclaimer as "
    "follows: \n\nThis software is distributed \"as is\" and with no warranties of any kind, whether express or "
    "implied. including and without limitation, any warranty of merchantability or fitness for a particular "
    "purpose.  In no event shall any individual, company or organisation involved in any way in the development, "
    "sale or distribution of this software be liable for any damages whatsoever relating to the use, misuse, or "
    "inability to use this software (including, without limitation, damages for loss of profits, business "
    "interruption, loss of information, or any other loss). This Agreement shall be governed by the laws of the "
    "England (United Kingdom). Exclusive jurisdiction and venue for all matters relating to this Agreement shall "
    "be in courts located in England, and you consent to such jurisdiction and venue.";
inline constexpr char kTermsQuestion[] =
    "\n\n\nDo you accept these terms of use ?  (If you click Yes this message will not appear again)";

// The application object: the application name that captions every message box, the home of
// the settings, and the run of the main window.
class ArticleApp {
public:
    // brandingRecord: the record image the window's start-up reads, the program's own by default.
    explicit ArticleApp(const Platform& platform,
                        const volatile unsigned char* brandingRecord = BrandingRecord::Bytes());
    ArticleApp(const ArticleApp&) = delete;
    ArticleApp& operator=(const ArticleApp&) = delete;

    // Fixes the settings' home, runs the main window modally and returns the process's exit
    // status: 1 when the terms of use were declined, otherwise 0.
    int StartUp();

    const TextBuffer& ApplicationName() const { return applicationName_; }
    // The name that captions every message box from now on.
    void SetApplicationName(const TextBuffer& name);
    const TextBuffer& RegistryKey() const { return registryKey_; }
    const TextBuffer& ProfileName() const { return profileName_; }
    // The main window while StartUp runs it; null before and after.
    MainWindow* Window() const { return mainWindow_; }

private:
    TextBuffer applicationName_{kProductName};
    TextBuffer registryKey_;
    TextBuffer profileName_;
    MainWindow* mainWindow_ = nullptr;

    Platform platform_;
    const volatile unsigned char* brandingRecord_;
    Messages messages_{platform_.messageBoxes, applicationName_};
    SettingsStore settings_{platform_.registry, registryKey_, profileName_};
    FileIo fileIo_{platform_.fileSystem, messages_};
};

}  // namespace quillora
