// The sanitizer run-time's default options for every program of a sanitised
// build (linked in by tk_sanitizer_defaults in TkTargets.cmake); ASAN_OPTIONS
// from the environment still adds to and overrides them.
//
// intercept_tls_get_addr=0: the run-time watches __tls_get_addr to learn
// where each thread's dynamic thread-local blocks lie. The blocks of
// libraries loaded later (the OpenGL driver's LLVM, libz3, libelf) come from
// the sanitiser's own malloc, and its size guess takes a block that starts 16
// bytes into a page for an old C library's aligned block: it reads the
// allocator's chunk header as a start and a size, and the leak checker's exit
// scan then reads that bogus range and dies ("Tracer caught signal 11").
// Which block lands there depends on the heap's layout, so any test could hit
// it. Whenever the guess does not misfire it records a size of zero, so the
// watch adds nothing to the scan: without it the blocks are still found
// through each thread's block table, what they point to counts as reachable,
// and leaks of our own code are still reported.
//
// quarantine_size_mb=64 (fuzz build only): the fuzz targets run under
// libFuzzer's -rss_limit_mb=512, and a target whose inputs allocate large
// blocks (models, particle buffers) churns the default quarantine of 256 MB
// of freed blocks into more than that in size classes that are never handed
// back. 64 MB of freed blocks still spans many inputs for use-after-free.
#ifdef TK_FUZZ_DEFAULTS
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0:quarantine_size_mb=64"; }
#else
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
#endif
