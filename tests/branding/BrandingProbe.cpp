// Prints what LoadBranding finds in this program's own branding record, one field a line.
#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "branding/BrandingRecord.h"

int main() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // lines end as they do everywhere else
#endif
    quillora::LoadBranding();
    const quillora::BrandingTexts& branding = quillora::BrandingInfo;
    std::printf("name=%s\naddress=%s\ntitle=%s\n", branding.resellerName.CString(), branding.resellerAddress.CString(),
                branding.windowTitle.CString());
    return 0;
}
