// Pass-through defaults for the engine-plugin constructors and destructors of
// the core modules that live outside the core (cameras, images, rasters,
// textures, pipelines, immediate-mode 3D, resource arena) and for the image
// gamma set at start. They are weak: the source file of each module defines
// the real function beside the functions its users call, so it replaces the
// default whenever the module is linked; a module that is not linked is used
// by nothing and needs no state.
#include "engine/src/engine_internal.h"

#define TK_DEFAULT_MODULE_PAIR(openName, closeName)                                                               \
  __attribute__((weak)) void* openName(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) { return instance; } \
  __attribute__((weak)) void* closeName(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) { return instance; }

TK_DEFAULT_MODULE_PAIR(_rwCameraOpen, _rwCameraClose)
TK_DEFAULT_MODULE_PAIR(RwImageOpen, RwImageClose)
TK_DEFAULT_MODULE_PAIR(RwRasterOpen, RwRasterClose)
TK_DEFAULT_MODULE_PAIR(RwTextureOpen, RwTextureClose)
TK_DEFAULT_MODULE_PAIR(RwPipelinePluginOpen, RwPipelinePluginClose)
TK_DEFAULT_MODULE_PAIR(RwIm3DOpen, RwIm3DClose)
TK_DEFAULT_MODULE_PAIR(_rwResourcesOpen, _rwResourcesClose)

__attribute__((weak)) RwBool RwImageSetGamma(RwReal /*gamma*/) { return TRUE; }
