// Pass-through defaults for the engine-plugin constructors and destructors of
// the pipeline and immediate-mode 3D modules, which live in their own library
// outside the core. They are weak: the source file of each module defines the
// real function beside the functions its users call, so it replaces the
// default whenever the module is linked; a module that is not linked is used
// by nothing and needs no state. The other modules the engine opens live in
// the core's own libraries and are always linked with it.
#include "engine/src/engine_internal.h"

#define TK_DEFAULT_MODULE_PAIR(openName, closeName)                                                               \
  __attribute__((weak)) void* openName(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) { return instance; } \
  __attribute__((weak)) void* closeName(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) { return instance; }

TK_DEFAULT_MODULE_PAIR(RwPipelinePluginOpen, RwPipelinePluginClose)
TK_DEFAULT_MODULE_PAIR(RwIm3DOpen, RwIm3DClose)
