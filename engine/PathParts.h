#pragma once

#include "engine/TextBuffer.h"

namespace quillora {

// The platform's one folder separator.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Splits a path into folder, file name and extension. Each rule returns a new text and never
// changes the path; the separator is a parameter so that both platforms' forms can be checked.
namespace PathParts {

// The folder with its trailing separator; empty when the path holds no separator.
TextBuffer DirWithSlash(const TextBuffer& path, char separator = kPathSeparator);
// The folder without its trailing separator; empty when the path holds no separator.
TextBuffer DirWithoutSlash(const TextBuffer& path, char separator = kPathSeparator);
// The bytes after the last separator (the whole path when there is none), lowercased.
TextBuffer FileNameOf(const TextBuffer& path, char separator = kPathSeparator);
// From the last dot of the file name to the end, dot included, lowercased; empty when the
// file name holds no dot.
TextBuffer ExtensionOf(const TextBuffer& path, char separator = kPathSeparator);

}  // namespace PathParts
}  // namespace quillora
