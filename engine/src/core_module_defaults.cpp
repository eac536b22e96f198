// Pass-through defaults for the core modules' engine-plugin constructors and
// destructors and for the set-up calls RwEngineInit and RwEngineStart make.
// They are weak: the source file of each module defines the real function,
// which replaces the default whenever that module is linked. A module that is
// not linked is used by nothing, so its default keeps no state.
#include "engine/src/engine_internal.h"

#define TK_DEFAULT_MODULE_PAIR(openName, closeName)                                                               \
  __attribute__((weak)) void* openName(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) { return instance; } \
  __attribute__((weak)) void* closeName(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) { return instance; }

TK_DEFAULT_MODULE_PAIR(_rwVectorOpen, _rwVectorClose)
TK_DEFAULT_MODULE_PAIR(_rwMatrixOpen, _rwMatrixClose)
TK_DEFAULT_MODULE_PAIR(_rwFrameOpen, _rwFrameClose)
TK_DEFAULT_MODULE_PAIR(_rwStreamModuleOpen, _rwStreamModuleClose)
TK_DEFAULT_MODULE_PAIR(_rwCameraOpen, _rwCameraClose)
TK_DEFAULT_MODULE_PAIR(RwImageOpen, RwImageClose)
TK_DEFAULT_MODULE_PAIR(RwRasterOpen, RwRasterClose)
TK_DEFAULT_MODULE_PAIR(RwTextureOpen, RwTextureClose)
TK_DEFAULT_MODULE_PAIR(RwPipelinePluginOpen, RwPipelinePluginClose)
TK_DEFAULT_MODULE_PAIR(RwIm3DOpen, RwIm3DClose)
TK_DEFAULT_MODULE_PAIR(_rwResourcesOpen, _rwResourcesClose)

__attribute__((weak)) RwBool RwImageSetGamma(RwReal /*gamma*/) { return TRUE; }
__attribute__((weak)) RwBool RwStringFunctionsInstall(void) { return TRUE; }
__attribute__((weak)) RwBool RwFileFunctionsInstallStdio(void) { return TRUE; }
