// Built with the sanitizers, a test program or fuzz target reports leaks at
// its end. Fontconfig keeps the patterns of its caches to the end of the
// process, without frame pointers that would name Qt as their owner: not ours
// to fix.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
