#include "adapters/win32/Win32CodePage.h"

#include <windows.h>

namespace quillora::Win32CodePage {

CodePageKind KindOf(unsigned codePage) {
    switch (codePage) {
    case CP_UTF8:
        return CodePageKind::Utf8;
    case 932:   // Japanese
    case 936:   // Simplified Chinese
    case 949:   // Korean
    case 950:   // Traditional Chinese
    case 1361:  // Korean (Johab)
        return CodePageKind::DoubleByte;
    default:
        return CodePageKind::SingleByte;
    }
}

CodePageKind OfSystem() { return KindOf(GetACP()); }

}  // namespace quillora::Win32CodePage
