// Engine internals shared between the lifecycle and the modules: the seam
// through which a display driver and the modules above the core meet the
// core, and the core modules' engine-plugin constructors and destructors.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/plugin_registry.h"

// The display driver: the only way the core meets one. A program installs
// its driver's table before RwEngineInit (the Direct3D 8 driver through
// RwD3D8DriverInstall; core tests a fake device).
struct RwDriverHooks {
  RwDevice* (*deviceRecordGet)(void);  // the driver's device record, or null
  RwBool (*pluginAttach)(void);        // attaches the driver's plugins at init; may be null
};

// Makes RwEngineInit and RwEngineOpen use these hooks; null leaves the engine
// without a driver (it initialises, but cannot open).
void _rwEngineSetDriverHooks(const RwDriverHooks* hooks);

// An engine module registered by RwEngineInit at its place in the core's
// module order.
struct RwEngineModule {
  RwInt32 size;  // bytes of engine-instance data
  RwUInt32 pluginID;
  RwPluginObjectConstructor open;
  RwPluginObjectDestructor close;
};

// Fills the slot that the core's module order keeps for a module living above
// the core (the pipeline and immediate-mode 3D modules); call before
// RwEngineInit. False for an id without such a slot, or once the engine is
// initialised. A slot left empty is passed over at init.
RwBool _rwEngineInstallModule(const RwEngineModule* module);

// The template the engine pointer uses while no engine is open.
extern RwEngineRecord _rwEngineTemplate;
// Successful opens minus closes; plugins register only while it is 0.
extern RwInt32 _rwEngineOpenCount;

// Core modules, registered by RwEngineInit as engine plugins in this order.
// Each constructor takes (engine instance, offset, size) and returns the
// instance or null; each destructor returns the instance.
constexpr RwUInt32 kRwPluginIdErrorModule = 0x40F;
constexpr RwUInt32 kRwPluginIdVectorModule = 0x401;
constexpr RwUInt32 kRwPluginIdColorModule = 0x40D;
constexpr RwUInt32 kRwPluginIdMatrixModule = 0x402;
constexpr RwUInt32 kRwPluginIdFrameModule = 0x403;
constexpr RwUInt32 kRwPluginIdStreamModule = 0x404;
constexpr RwUInt32 kRwPluginIdCameraModule = 0x405;
constexpr RwUInt32 kRwPluginIdImageModule = 0x406;
constexpr RwUInt32 kRwPluginIdRasterModule = 0x407;
constexpr RwUInt32 kRwPluginIdTextureModule = 0x408;
constexpr RwUInt32 kRwPluginIdPipelineModule = 0x409;
constexpr RwUInt32 kRwPluginIdIm3DModule = 0x40A;
constexpr RwUInt32 kRwPluginIdResourcesModule = 0x40B;

// Bytes of engine-instance data each core module gets. They leave room for
// the modules' records with 64-bit pointers; a module checks its record
// against its size with a static_assert.
constexpr RwInt32 kRwErrorModuleDataSize = 8;
constexpr RwInt32 kRwVectorModuleDataSize = 32;
constexpr RwInt32 kRwColorModuleDataSize = 0;
constexpr RwInt32 kRwMatrixModuleDataSize = 40;
constexpr RwInt32 kRwFrameModuleDataSize = 8;
constexpr RwInt32 kRwStreamModuleDataSize = 8;
constexpr RwInt32 kRwCameraModuleDataSize = 8;
constexpr RwInt32 kRwImageModuleDataSize = 1088;
constexpr RwInt32 kRwRasterModuleDataSize = 200;
constexpr RwInt32 kRwTextureModuleDataSize = 96;
constexpr RwInt32 kRwPipelineModuleDataSize = 192;
constexpr RwInt32 kRwIm3DModuleDataSize = 232;
constexpr RwInt32 kRwResourcesModuleDataSize = 80;

void* _rwErrorOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwErrorClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwVectorOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwVectorClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwColorOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwColorClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwMatrixOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwMatrixClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwFrameOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwFrameClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwStreamModuleOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwStreamModuleClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwCameraOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwCameraClose(void* instance, RwInt32 offset, RwInt32 size);
void* RwImageOpen(void* instance, RwInt32 offset, RwInt32 size);
void* RwImageClose(void* instance, RwInt32 offset, RwInt32 size);
void* RwRasterOpen(void* instance, RwInt32 offset, RwInt32 size);
void* RwRasterClose(void* instance, RwInt32 offset, RwInt32 size);
void* RwTextureOpen(void* instance, RwInt32 offset, RwInt32 size);
void* RwTextureClose(void* instance, RwInt32 offset, RwInt32 size);
void* _rwResourcesOpen(void* instance, RwInt32 offset, RwInt32 size);
void* _rwResourcesClose(void* instance, RwInt32 offset, RwInt32 size);

// Sets the image gamma table at start (images module; a default does nothing).
RwBool RwImageSetGamma(RwReal gamma);

// Ends the error record's validity (called when the engine closes).
void _rwErrorRecordInvalidate(void);

// Install the engine's string functions and the C-runtime file functions
// into the instance (streams module; defaults leave the tables empty).
RwBool RwStringFunctionsInstall(void);
RwBool RwFileFunctionsInstallStdio(void);
