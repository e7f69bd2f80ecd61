// Fontconfig keeps caches that it allocated for Qt's font database until the process ends, and
// LeakSanitizer counts them as leaks. Only its allocations are exempt.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
