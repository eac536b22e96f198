// The Direct3D 8 driver's state, shared by its modules (device, caches,
// vertex buffers, render states, immediate-mode 2D), and the hooks tests use.
#pragma once

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/src/plcore/memory.h"

struct RwRaster;

// The driver's hooks (installed by RwD3D8DriverInstall): the device record
// the core copies at open, and the attach of the driver's plugins at init.
RwDevice* RwD3D8DeviceRecordGet(void);
RwBool RwD3D8DriverPluginAttach(void);

// The Direct3D primitive type of an engine primitive type (1 line list to
// 6 point list); false for any other value.
RwBool _rwD3D8PrimitiveType(RwInt32 primitiveType, D3DPRIMITIVETYPE* d3dType);

constexpr RwInt32 kRwD3D8TransformStateCount = 260;
constexpr RwInt32 kRwD3D8SharedVertexBufferCount = 4;
constexpr RwUInt32 kRwD3D8SharedVertexBufferSize = 0x40000;
constexpr RwUInt32 kRwD3D8Unknown = 0xFFFFFFFFu;
// Locks of the dynamic buffers: a fresh start that discards what the device
// may still be drawing, or an append behind it.
constexpr DWORD kRwD3D8LockDiscard = D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK;
constexpr DWORD kRwD3D8LockAppend = D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK;

// The selected display mode.
struct RwD3D8DisplayMode {
  RwUInt32 width;
  RwUInt32 height;
  RwUInt32 refreshRate;
  D3DFORMAT format;
  RwInt32 depth;   // 32, 16 or 0
  RwUInt32 flags;  // kRwVideoModeExclusive for full screen
};

struct RwD3D8LightCacheEntry {
  D3DLIGHT8 light;
  RwUInt32 enabled;
};

struct RwD3D8DynamicVertexBuffer {
  RwUInt32 fvf;
  RwUInt32 size;  // bytes
  RwUInt32 inUse;
  IDirect3DVertexBuffer8* buffer;
  IDirect3DVertexBuffer8** owner;  // the slot that holds the buffer, cleared when it goes
  RwD3D8DynamicVertexBuffer* next;
};

struct RwD3D8SharedVertexBuffer {
  RwUInt32 used;  // bytes
  RwUInt32 size;  // bytes
  IDirect3DVertexBuffer8* buffer;
};

struct RwD3D8PixelShader {
  const RwUInt32* function;  // kept to recreate the shader after a Reset
  RwUInt32* handle;
  RwD3D8PixelShader* next;
};

struct RwD3D8Driver {
  IDirect3D8* d3d;
  IDirect3DDevice8* device;
  HWND window;
  UINT adapter;
  D3DDEVTYPE deviceType;
  D3DCAPS8 caps;
  D3DPRESENT_PARAMETERS present;
  RwD3D8DisplayMode displayMode;
  RwInt32 currentMode;
  UINT adapterModeCount;

  RwD3D8VideoMode* videoModes;
  RwInt32 numVideoModes;

  RwBool started;
  RwInt32 displayDepth;  // of the back buffer: 32 or 16
  RwBool zBufferHasStencil;
  D3DFORMAT depthStencilFormat;
  // Fetched after creation and every Reset and released at once: the driver
  // holds no reference.
  IDirect3DSurface8* renderTarget;
  IDirect3DSurface8* depthStencilSurface;

  // Last values sent.
  RwUInt32 vertexShader;
  RwUInt32 pixelShader;
  IDirect3DVertexBuffer8* streamBuffer;
  RwUInt32 streamStride;
  IDirect3DIndexBuffer8* indexBuffer;
  RwUInt32 baseVertexIndex;
  RwBool worldIsIdentity;
  RwFreeList* transformFreeList;
  D3DMATRIX* transforms[kRwD3D8TransformStateCount];
  D3DMATRIX* worldMatrix;
  D3DMATERIAL8 material;
  D3DCOLORVALUE ambientLight;
  RwD3D8LightCacheEntry* lights;
  RwInt32 numLights;

  RwFreeList* dynamicBufferFreeList;
  RwD3D8DynamicVertexBuffer* dynamicBuffers;
  RwD3D8SharedVertexBuffer shared[kRwD3D8SharedVertexBufferCount];
  RwInt32 currentShared;

  RwFreeList* pixelShaderFreeList;
  RwD3D8PixelShader* pixelShaders;

  RwBool hasSSE;
  RwUInt32 resetCount;  // successful restores after a Reset since the device was made
};

extern RwD3D8Driver _rwD3D8Driver;

// Whether the device transforms and lights in hardware (four shared buffers
// in default memory) or not (one shared buffer in system memory).
inline RwBool _rwD3D8HasHardwareTnL() { return (_rwD3D8Driver.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0; }

// The device's destruction (stop).
RwBool RwD3D8DeviceStop(void);

// Processor settings made when the engine has started and undone at stop:
// flush-to-zero for SSE arithmetic.
void _rwD3D8ProcessorSettingsApply(void);
void _rwD3D8ProcessorSettingsRestore(void);

// Depth of a display format: 32, 16 or 0.
RwInt32 _rwD3D8FormatDepth(D3DFORMAT format);

// Transform cache and dynamic-buffer list set-up and teardown at start and stop.
RwBool _rwD3D8TransformCacheOpen(void);
void _rwD3D8TransformCacheClose(void);
void _rwD3D8LightCacheFree(void);
RwBool _rwD3D8DynamicVertexBuffersOpen(void);
void _rwD3D8DynamicVertexBuffersClose(void);
void _rwD3D8PixelShadersClose(void);
// Marks the stream-0 and index-buffer caches unknown.
void _rwD3D8ForgetStreamAndIndices(void);
// Marks the shader, stream and index caches unknown and the world transform
// not known to be the identity: after device creation and before a Reset.
void _rwD3D8ForgetDeviceCaches(void);
// Fetches the device's render target and depth-stencil surface (held without
// a reference): after device creation and every Reset.
void _rwD3D8FetchTargetSurfaces(void);

// The Direct3D texture behind a raster, as the raster extension keeps it.
struct RwD3D8RasterTexture {
  IDirect3DBaseTexture8* texture;
  RwBool hasAlpha;
  RwInt32 palette;  // palette number, or -1 without a palette
  RwUInt8 maxAnisotropy;
};
// False when the raster has no texture.
RwBool _rwD3D8RasterGetTexture(RwRaster* raster, RwD3D8RasterTexture* out);

// Tests: replaces Direct3DCreate8 for the next opens (null restores it).
typedef IDirect3D8* (*RwD3D8Direct3DCreateFunction)(UINT sdkVersion);
void _rwD3D8SetDirect3DCreate(RwD3D8Direct3DCreateFunction create);
