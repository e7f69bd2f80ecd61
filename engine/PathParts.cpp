#include "engine/PathParts.h"

namespace quillora::PathParts {

TextBuffer DirWithSlash(const TextBuffer& path, char separator) {
    std::int32_t k = path.FindLast(separator);
    return k < 0 ? TextBuffer() : path.Left(k + 1);
}

TextBuffer DirWithoutSlash(const TextBuffer& path, char separator) {
    std::int32_t k = path.FindLast(separator);
    return k < 0 ? TextBuffer() : path.Left(k);
}

TextBuffer FileNameOf(const TextBuffer& path, char separator) {
    std::int32_t k = path.FindLast(separator);
    TextBuffer name = k < 0 ? path : path.Right(path.Length() - k - 1);
    name.ToLower();
    return name;
}

TextBuffer ExtensionOf(const TextBuffer& path, char separator) {
    std::int32_t dot = path.FindLast('.');
    if (dot < 0 || dot < path.FindLast(separator)) return TextBuffer();
    TextBuffer extension = path.Right(path.Length() - dot);
    extension.ToLower();
    return extension;
}

}  // namespace quillora::PathParts
