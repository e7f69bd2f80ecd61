#include "ui/ArticleApp.h"

#include "ui/MainWindow.h"

namespace quillora {

ArticleApp::ArticleApp(const Platform& platformObjects, const volatile unsigned char* brandingRecordImage)
    : platform(platformObjects), brandingRecord(brandingRecordImage) {}

int ArticleApp::StartUp() {
    registryKey = kCompanyKey;
    profileName = applicationName;  // still the product name: the settings never follow a reseller's title

    MainWindow window(*this);
    mainWindow = &window;
    platform.dialogHost.RunModal(window);
    mainWindow = nullptr;
    return window.TermsDeclined() ? 1 : 0;
}

}  // namespace quillora
