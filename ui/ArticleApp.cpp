#include "ui/ArticleApp.h"

#include "ui/MainWindow.h"

namespace quillora {

ArticleApp::ArticleApp(const Platform& platform, const volatile unsigned char* brandingRecord)
    : platform_(platform), brandingRecord_(brandingRecord) {}

void ArticleApp::SetApplicationName(const TextBuffer& name) {
    applicationName_ = name;
    messages_.SetCaption(name);
}

int ArticleApp::StartUp() {
    registryKey_ = kCompanyKey;
    profileName_ = applicationName_;  // still the product name: the settings never follow a reseller's title
    settings_.SetHome(registryKey_, profileName_);

    MainWindow window(*this, brandingRecord_, platform_.dialogHost, platform_.fileDialogs, platform_.fileSystem,
                      platform_.clock, platform_.shell, platform_.tempFolder, settings_, messages_, fileIo_);
    mainWindow_ = &window;
    platform_.dialogHost.RunModal(window);
    mainWindow_ = nullptr;
    return window.TermsDeclined() ? 1 : 0;
}

}  // namespace quillora
