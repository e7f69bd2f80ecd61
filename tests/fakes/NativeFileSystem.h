#pragma once

// The file system of the platform the tests run on.
#ifdef _WIN32
#include "adapters/win32/Win32FileSystem.h"
namespace quillora::testing {
using NativeFileSystem = Win32FileSystem;
}  // namespace quillora::testing
#else
#include "adapters/posix/PosixFileSystem.h"
namespace quillora::testing {
using NativeFileSystem = PosixFileSystem;
}  // namespace quillora::testing
#endif
