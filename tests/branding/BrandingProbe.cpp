// Prints what LoadBranding finds in this program's own branding record, one field a line.
#include <cstdio>

#include "branding/BrandingRecord.h"

int main() {
    quillora::LoadBranding();
    const quillora::BrandingTexts& branding = quillora::BrandingInfo;
    std::printf("name=%s\naddress=%s\ntitle=%s\n", branding.resellerName.CString(), branding.resellerAddress.CString(),
                branding.windowTitle.CString());
    return 0;
}
