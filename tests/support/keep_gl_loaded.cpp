#include <dlfcn.h>
#include <stdlib.h>

// Keeps the system's OpenGL driver libraries mapped until the process ends.
// SDL unloads them when video shuts down, and LeakSanitizer can then no
// longer name the library behind the driver's own unfreed blocks, so the
// suppressions in tools/lsan.supp could not match them.
// Compiled into every test program (see cmake/TkTargets.cmake). It also sets
// the software renderer's options for tests before any driver loads.
namespace {

struct KeepGlLoaded {
  KeepGlLoaded() {
    // Software rendering without worker threads: tests draw little and run
    // many at once, and LeakSanitizer's exit scan has been seen to crash on
    // the rasteriser's threads. Pictures are the same either way. A program
    // started by hand keeps no shader cache; CTest names one in the build
    // folder (cmake/TkTargets.cmake).
    setenv("LP_NUM_THREADS", "0", 0);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    // The debugger output on stderr, where tests capture it.
    setenv("TK_DEBUG_OUTPUT", "stderr", 0);
    const char* const libraries[] = {"libEGL_mesa.so.0", "libGLX_mesa.so.0", "libglapi.so.0", "swrast_dri.so",
                                     "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libEGL.so.1", "libGL.so.1"};
    for (const char* name : libraries) {
      dlopen(name, RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
    }
  }
};

const KeepGlLoaded keepGlLoaded;

}  // namespace

