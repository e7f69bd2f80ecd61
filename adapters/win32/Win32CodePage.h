#pragma once

#include "engine/CodePage.h"

namespace quillora::Win32CodePage {

// A Windows ANSI code page as the system describes it: 65001 is UTF-8; a page for which the
// system names lead bytes (GetCPInfo) is double-byte, with exactly those lead bytes; every other
// page, and a page the system does not know, has one byte per character.
CodePage Of(unsigned codePage);

// The system's ANSI code page (GetACP), which the composition roots make the active one before
// any text is handled.
CodePage OfSystem();

}  // namespace quillora::Win32CodePage
