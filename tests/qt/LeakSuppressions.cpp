// Fontconfig keeps caches that it allocated for Qt's font database until the process ends, and
// libdbus, which Qt's X11 platform loads, keeps a buffer of its own; LeakSanitizer counts both
// as leaks. Only their allocations are exempt. Programs started by the tests get the same list
// from desktop-libraries.supp.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
