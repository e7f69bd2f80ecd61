#pragma once

#include "engine/CodePage.h"

namespace quillora::Win32CodePage {

// The kind of a Windows ANSI code page: 65001 is UTF-8; 932, 936, 949, 950 and 1361 are
// double-byte; every other page has one byte per character.
CodePageKind KindOf(unsigned codePage);

// The kind of the system's ANSI code page (GetACP), which the composition roots make the
// active one before any text is handled.
CodePageKind OfSystem();

}  // namespace quillora::Win32CodePage
