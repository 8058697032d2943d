// LeakSanitizer asks for this when the tests are built with it: fontconfig, which Qt uses,
// keeps a cache of its own for the life of the process, which is not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
