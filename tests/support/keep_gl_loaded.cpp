#include <dlfcn.h>

// Keeps the system's OpenGL driver libraries mapped until the process ends.
// SDL unloads them when video shuts down, and LeakSanitizer can then no
// longer name the library behind the driver's own unfreed blocks, so the
// suppressions in tools/lsan.supp could not match them.
// Compiled into every test program (see cmake/TkTargets.cmake).
namespace {

struct KeepGlLoaded {
  KeepGlLoaded() {
    const char* const libraries[] = {"libEGL_mesa.so.0", "libGLX_mesa.so.0", "libglapi.so.0", "swrast_dri.so",
                                     "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libEGL.so.1", "libGL.so.1"};
    for (const char* name : libraries) {
      dlopen(name, RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
    }
  }
};

const KeepGlLoaded keepGlLoaded;

}  // namespace

