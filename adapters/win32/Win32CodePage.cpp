#include "adapters/win32/Win32CodePage.h"

#include <windows.h>

#include <vector>

namespace quillora::Win32CodePage {

CodePage Of(unsigned codePage) {
    if (codePage == CP_UTF8) return CodePage(CodePageKind::Utf8);
    CPINFO info{};
    if (!GetCPInfo(codePage, &info)) return CodePage::SingleByte(codePage);
    // The lead bytes come as pairs of first and last byte, ended by a pair of zeros.
    std::vector<ByteRange> leadBytes;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
        leadBytes.push_back(ByteRange{info.LeadByte[i], info.LeadByte[i + 1]});
    }
    if (leadBytes.empty()) return CodePage::SingleByte(codePage);
    return CodePage::DoubleByte(codePage, leadBytes);
}

CodePage OfSystem() { return Of(GetACP()); }

}  // namespace quillora::Win32CodePage
