#pragma once

#include "engine/TextBuffer.h"

namespace quillora {

// The reseller's branding for this run.
struct BrandingTexts {
    TextBuffer resellerName;
    TextBuffer resellerAddress;
    TextBuffer windowTitle;  // empty when the record gives none, until the main window sets it
};

// Process-wide: empty until LoadBranding fills it once, at the main window's start-up.
extern BrandingTexts BrandingInfo;

}  // namespace quillora
