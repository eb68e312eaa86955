// fontconfig keeps a block from parsing its configuration that no pointer
// reaches any more; it is fontconfig's, made once per process, and not a
// leak of the code under test.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
