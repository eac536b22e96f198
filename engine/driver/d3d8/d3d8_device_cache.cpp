// The cached wrappers over the device: shaders, stream and indices, draws,
// transforms, material, lights, pixel shaders and format checks. Each keeps
// the value last sent so that repeated settings cost no device call.
#include <cstring>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8_render_state.h"

namespace {

constexpr RwUInt32 kTransformEntriesPerBlock = 15;
constexpr RwUInt32 kTransformAlignment = 16;
constexpr RwUInt32 kPixelShadersPerBlock = 40;
constexpr RwUInt32 kPixelShaderAlignment = 4;

const D3DMATRIX kIdentity = {
    {{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}}};

IDirect3DDevice8* Device() { return _rwD3D8Driver.device; }

// Primitives drawn by a count of vertices or indices.
UINT PrimitiveCount(RwUInt32 primitiveType, RwUInt32 count) {
  switch (primitiveType) {
    case D3DPT_POINTLIST:
      return count;
    case D3DPT_LINELIST:
      return count / 2;
    case D3DPT_LINESTRIP:
      return count > 0 ? count - 1 : 0;
    case D3DPT_TRIANGLELIST:
      return count / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return count > 1 ? count - 2 : 0;
    default:
      return 0;
  }
}

RwBool MatricesEqual(const D3DMATRIX& a, const D3DMATRIX& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

RwBool ColorsEqual(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

RwBool VectorsEqual(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

void TransformEntriesFree() {
  RwD3D8Driver& driver = _rwD3D8Driver;
  for (D3DMATRIX*& entry : driver.transforms) {
    if (entry != nullptr) {
      RwFreeListEntryFree(driver.transformFreeList, entry);
      entry = nullptr;
    }
  }
  if (driver.worldMatrix != nullptr) {
    RwFreeListEntryFree(driver.transformFreeList, driver.worldMatrix);
    driver.worldMatrix = nullptr;
  }
}

// The world matrix sent by RwD3D8SetTransformWorld, in the per-state cache,
// so that RwD3D8SetTransform compares with what the device holds.
// The transform cache's world entry follows RwD3D8SetTransformWorld too, so
// that RwD3D8GetTransform answers the world matrix the device holds even
// when no RwD3D8SetTransform of the world came first.
void KeepWorldState(const D3DMATRIX& world) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  D3DMATRIX*& cached = driver.transforms[D3DTS_WORLD];
  if (cached == nullptr && driver.transformFreeList != nullptr) {
    cached = static_cast<D3DMATRIX*>(RwFreeListEntryAlloc(driver.transformFreeList));
  }
  if (cached != nullptr) {
    *cached = world;
  }
}

// A channel of an RwRGBA, four bytes: red, green, blue, alpha.
RwReal ColorChannel(const RwRGBA* color, RwInt32 index) {
  return static_cast<RwReal>(reinterpret_cast<const RwUInt8*>(color)[index]);
}

}  // namespace

RwBool _rwD3D8TransformCacheOpen(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.transformFreeList == nullptr) {
    driver.transformFreeList = RwFreeListCreate(sizeof(D3DMATRIX), kTransformEntriesPerBlock, kTransformAlignment);
    if (driver.transformFreeList == nullptr) {
      return FALSE;
    }
  } else {
    TransformEntriesFree();
    RwFreeListPurge(driver.transformFreeList);
  }
  std::memset(driver.transforms, 0, sizeof driver.transforms);
  driver.worldMatrix = static_cast<D3DMATRIX*>(RwFreeListEntryAlloc(driver.transformFreeList));
  if (driver.worldMatrix == nullptr) {
    return FALSE;
  }
  *driver.worldMatrix = kIdentity;
  return TRUE;
}

void _rwD3D8TransformCacheClose(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.transformFreeList == nullptr) {
    return;
  }
  TransformEntriesFree();
  RwFreeListDestroy(driver.transformFreeList);
  driver.transformFreeList = nullptr;
}

RwBool RwD3D8TransformCacheReset(void) {
  _rwD3D8Driver.worldIsIdentity = FALSE;
  return _rwD3D8TransformCacheOpen();
}

void _rwD3D8LightCacheFree(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.lights != nullptr) {
    RwFree(driver.lights);
    driver.lights = nullptr;
  }
  driver.numLights = 0;
}

RwBool RwD3D8SetVertexShader(RwUInt32 handle) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.vertexShader == handle) {
    return TRUE;
  }
  if (FAILED(Device()->SetVertexShader(handle))) {
    driver.vertexShader = kRwD3D8Unknown;
    return FALSE;
  }
  driver.vertexShader = handle;
  return TRUE;
}

RwBool RwD3D8SetPixelShader(RwUInt32 handle) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.pixelShader == handle) {
    return TRUE;
  }
  if (FAILED(Device()->SetPixelShader(handle))) {
    driver.pixelShader = kRwD3D8Unknown;
    return FALSE;
  }
  driver.pixelShader = handle;
  return TRUE;
}

RwBool RwD3D8SetStreamSource(RwUInt32 stream, IDirect3DVertexBuffer8* buffer, RwUInt32 stride) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.streamBuffer == buffer && driver.streamStride == stride) {
    return TRUE;
  }
  if (FAILED(Device()->SetStreamSource(stream, buffer, stride))) {
    driver.streamBuffer = reinterpret_cast<IDirect3DVertexBuffer8*>(static_cast<uintptr_t>(kRwD3D8Unknown));
    driver.streamStride = 0;
    return FALSE;
  }
  driver.streamBuffer = buffer;
  driver.streamStride = stride;
  return TRUE;
}

RwBool RwD3D8SetIndices(IDirect3DIndexBuffer8* buffer, RwUInt32 baseVertexIndex) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.indexBuffer == buffer && driver.baseVertexIndex == baseVertexIndex) {
    return TRUE;
  }
  if (FAILED(Device()->SetIndices(buffer, baseVertexIndex))) {
    driver.indexBuffer = reinterpret_cast<IDirect3DIndexBuffer8*>(static_cast<uintptr_t>(kRwD3D8Unknown));
    driver.baseVertexIndex = 0;
    return FALSE;
  }
  driver.indexBuffer = buffer;
  driver.baseVertexIndex = baseVertexIndex;
  return TRUE;
}

RwBool RwD3D8DrawIndexedPrimitive(RwUInt32 primitiveType, RwUInt32 minIndex, RwUInt32 numVertices, RwUInt32 startIndex,
                                  RwUInt32 numIndices) {
  RwD3D8RenderStateFlush();
  const UINT primitives = primitiveType == D3DPT_POINTLIST ? 0 : PrimitiveCount(primitiveType, numIndices);
  return SUCCEEDED(Device()->DrawIndexedPrimitive(static_cast<D3DPRIMITIVETYPE>(primitiveType), minIndex, numVertices,
                                                  startIndex, primitives));
}

RwBool RwD3D8DrawPrimitive(RwUInt32 primitiveType, RwUInt32 startVertex, RwUInt32 numVertices) {
  RwD3D8RenderStateFlush();
  return SUCCEEDED(Device()->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(primitiveType), startVertex,
                                           PrimitiveCount(primitiveType, numVertices)));
}

RwBool RwD3D8SetTransform(RwUInt32 state, const D3DMATRIX* matrix) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (state >= static_cast<RwUInt32>(kRwD3D8TransformStateCount) || driver.transformFreeList == nullptr) {
    return FALSE;
  }
  const D3DMATRIX& wanted = matrix != nullptr ? *matrix : kIdentity;
  D3DMATRIX*& cached = driver.transforms[state];
  if (cached != nullptr && MatricesEqual(*cached, wanted)) {
    return TRUE;
  }
  if (cached == nullptr) {
    cached = static_cast<D3DMATRIX*>(RwFreeListEntryAlloc(driver.transformFreeList));
    if (cached == nullptr) {
      return FALSE;
    }
  }
  *cached = wanted;
  if (state == static_cast<RwUInt32>(D3DTS_WORLD)) {
    driver.worldIsIdentity = matrix == nullptr || MatricesEqual(wanted, kIdentity);
    // The world record must say what the device holds, or a later world
    // matrix equal to the old record would not be sent.
    if (driver.worldMatrix != nullptr) {
      *driver.worldMatrix = wanted;
    }
  }
  return SUCCEEDED(Device()->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), &wanted));
}

void RwD3D8GetTransform(RwUInt32 state, D3DMATRIX* matrix) {
  const RwD3D8Driver& driver = _rwD3D8Driver;
  if (matrix == nullptr) {
    return;
  }
  if (state < static_cast<RwUInt32>(kRwD3D8TransformStateCount) && driver.transforms[state] != nullptr) {
    *matrix = *driver.transforms[state];
  } else {
    *matrix = kIdentity;
  }
}

RwBool RwD3D8SetTransformWorld(const RwMatrix* matrix) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.worldMatrix == nullptr) {
    return FALSE;
  }
  if (matrix == nullptr || (matrix->flags & kRwMatrixInternalIdentity) != 0) {
    if (driver.worldIsIdentity) {
      return TRUE;
    }
    driver.worldIsIdentity = TRUE;
    KeepWorldState(kIdentity);
    return SUCCEEDED(Device()->SetTransform(D3DTS_WORLD, &kIdentity));
  }
  const D3DMATRIX world = {
      {{matrix->right.x, matrix->right.y, matrix->right.z, 0.0f, matrix->up.x, matrix->up.y, matrix->up.z, 0.0f,
        matrix->at.x, matrix->at.y, matrix->at.z, 0.0f, matrix->pos.x, matrix->pos.y, matrix->pos.z, 1.0f}}};
  if (!driver.worldIsIdentity && MatricesEqual(*driver.worldMatrix, world)) {
    return TRUE;
  }
  *driver.worldMatrix = world;
  driver.worldIsIdentity = FALSE;
  KeepWorldState(world);
  return SUCCEEDED(Device()->SetTransform(D3DTS_WORLD, &world));
}

void RwD3D8SetAmbientLightColor(const D3DCOLORVALUE* color) {
  if (color != nullptr) {
    _rwD3D8Driver.ambientLight = *color;
  }
}

RwBool RwD3D8SetSurfaceProperties(const RwRGBA* color, const RwSurfaceProperties* surfaceProperties, RwBool modulate) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (color == nullptr || surfaceProperties == nullptr) {
    return FALSE;
  }
  const RwReal red = ColorChannel(color, 0);
  const RwReal green = ColorChannel(color, 1);
  const RwReal blue = ColorChannel(color, 2);
  const RwReal alpha = ColorChannel(color, 3);
  const D3DCOLORVALUE& ambientLight = driver.ambientLight;
  const RwReal diffuse = surfaceProperties->diffuse;
  const RwReal ambient = surfaceProperties->ambient;
  const RwBool opaqueWhite = red == 255.0f && green == 255.0f && blue == 255.0f && alpha == 255.0f;
  D3DMATERIAL8 material;
  std::memset(&material, 0, sizeof material);
  if (!modulate || opaqueWhite) {
    material.Diffuse = {diffuse, diffuse, diffuse, 1.0f};
    if (ambient == 1.0f) {
      material.Ambient = {ambientLight.r, ambientLight.g, ambientLight.b, 1.0f};
    } else {
      material.Ambient = {ambientLight.r * ambient, ambientLight.g * ambient, ambientLight.b * ambient, 1.0f};
    }
  } else {
    const RwReal scale = 1.0f / 255.0f;
    material.Diffuse = {red * diffuse * scale, green * diffuse * scale, blue * diffuse * scale, alpha * scale};
    material.Ambient = {red * ambientLight.r * ambient * scale, green * ambientLight.g * ambient * scale,
                        blue * ambientLight.b * ambient * scale, alpha * scale};
  }
  if (ColorsEqual(material.Diffuse, driver.material.Diffuse) &&
      ColorsEqual(material.Ambient, driver.material.Ambient)) {
    return TRUE;
  }
  driver.material = material;
  return SUCCEEDED(Device()->SetMaterial(&material));
}

RwBool RwD3D8LightsEqual(const D3DLIGHT8* a, const D3DLIGHT8* b) {
  if (a->Type != b->Type || a->Diffuse.r != b->Diffuse.r || a->Diffuse.g != b->Diffuse.g ||
      a->Diffuse.b != b->Diffuse.b) {
    return FALSE;
  }
  switch (a->Type) {
    case D3DLIGHT_POINT:
      return VectorsEqual(a->Position, b->Position) && a->Range == b->Range;
    case D3DLIGHT_SPOT:
      return VectorsEqual(a->Position, b->Position) && VectorsEqual(a->Direction, b->Direction) &&
             a->Range == b->Range && a->Theta == b->Theta && a->Phi == b->Phi;
    case D3DLIGHT_DIRECTIONAL:
      return VectorsEqual(a->Direction, b->Direction);
    default:
      return TRUE;
  }
}

RwBool RwD3D8SetLight(RwInt32 index, const D3DLIGHT8* light) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (index < 0 || light == nullptr) {
    return FALSE;
  }
  if (index < driver.numLights && RwD3D8LightsEqual(&driver.lights[index].light, light)) {
    return TRUE;
  }
  if (index >= driver.numLights) {
    const size_t bytes = (static_cast<size_t>(index) + 1) * sizeof(RwD3D8LightCacheEntry);
    RwD3D8LightCacheEntry* grown = static_cast<RwD3D8LightCacheEntry*>(
        driver.lights != nullptr ? RwRealloc(driver.lights, bytes) : RwMalloc(bytes));
    if (grown == nullptr) {
      return FALSE;
    }
    for (RwInt32 i = driver.numLights; i <= index; i++) {
      std::memset(&grown[i], 0, sizeof grown[i]);
    }
    driver.lights = grown;
    driver.numLights = index + 1;
  }
  if (FAILED(Device()->SetLight(static_cast<DWORD>(index), light))) {
    return FALSE;
  }
  driver.lights[index].light = *light;
  return TRUE;
}

RwBool RwD3D8EnableLight(RwInt32 index, RwBool enable) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  const RwUInt32 flag = enable ? 1u : 0u;
  if (index < 0 || index >= driver.numLights || driver.lights[index].enabled == flag) {
    return TRUE;
  }
  if (FAILED(Device()->LightEnable(static_cast<DWORD>(index), flag))) {
    return FALSE;
  }
  driver.lights[index].enabled = flag;
  return TRUE;
}

RwBool RwD3D8LightsRestore(void) {
  const RwD3D8Driver& driver = _rwD3D8Driver;
  RwBool result = TRUE;
  for (RwInt32 i = 0; i < driver.numLights; i++) {
    Device()->SetLight(static_cast<DWORD>(i), &driver.lights[i].light);
    result = SUCCEEDED(Device()->LightEnable(static_cast<DWORD>(i), driver.lights[i].enabled));
  }
  return result;
}

RwBool RwD3D8IndexBufferCreate(RwUInt32 numIndices, IDirect3DIndexBuffer8** buffer) {
  // Native data read on a display device without Direct3D makes no buffers.
  if (Device() == nullptr) {
    return FALSE;
  }
  return SUCCEEDED(Device()->CreateIndexBuffer(numIndices * sizeof(RwUInt16), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                               D3DPOOL_MANAGED, buffer));
}

RwBool RwD3D8CreatePixelShader(const RwUInt32* function, RwUInt32* handle) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (function == nullptr || handle == nullptr) {
    return FALSE;
  }
  if (FAILED(Device()->CreatePixelShader(reinterpret_cast<const DWORD*>(function), reinterpret_cast<DWORD*>(handle)))) {
    return FALSE;
  }
  if (driver.pixelShaderFreeList == nullptr) {
    driver.pixelShaderFreeList =
        RwFreeListCreate(sizeof(RwD3D8PixelShader), kPixelShadersPerBlock, kPixelShaderAlignment);
  }
  RwD3D8PixelShader* node = driver.pixelShaderFreeList != nullptr
                                ? static_cast<RwD3D8PixelShader*>(RwFreeListEntryAlloc(driver.pixelShaderFreeList))
                                : nullptr;
  if (node == nullptr) {
    Device()->DeletePixelShader(*handle);
    *handle = 0;
    return FALSE;
  }
  node->function = function;
  node->handle = handle;
  node->next = driver.pixelShaders;
  driver.pixelShaders = node;
  return TRUE;
}

void RwD3D8DeletePixelShader(RwUInt32 handle) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  Device()->DeletePixelShader(handle);
  for (RwD3D8PixelShader** link = &driver.pixelShaders; *link != nullptr; link = &(*link)->next) {
    RwD3D8PixelShader* node = *link;
    if (*node->handle == handle) {
      *link = node->next;
      RwFreeListEntryFree(driver.pixelShaderFreeList, node);
      break;
    }
  }
  if (driver.pixelShader == handle) {
    driver.pixelShader = kRwD3D8Unknown;
  }
}

RwBool RwD3D8SetPixelShaderConstant(RwUInt32 reg, const void* data, RwUInt32 count) {
  return SUCCEEDED(Device()->SetPixelShaderConstant(reg, data, count));
}

void RwD3D8PixelShadersRelease(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  for (RwD3D8PixelShader* node = driver.pixelShaders; node != nullptr; node = node->next) {
    if (*node->handle != 0) {
      Device()->DeletePixelShader(*node->handle);
      *node->handle = 0;
    }
  }
  driver.vertexShader = kRwD3D8Unknown;
  driver.pixelShader = kRwD3D8Unknown;
}

RwBool RwD3D8PixelShadersRestore(void) {
  for (RwD3D8PixelShader* node = _rwD3D8Driver.pixelShaders; node != nullptr; node = node->next) {
    if (*node->handle == 0 && FAILED(Device()->CreatePixelShader(reinterpret_cast<const DWORD*>(node->function),
                                                                 reinterpret_cast<DWORD*>(node->handle)))) {
      return FALSE;
    }
  }
  return TRUE;
}

void _rwD3D8PixelShadersClose(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  while (driver.pixelShaders != nullptr) {
    RwD3D8PixelShader* node = driver.pixelShaders;
    driver.pixelShaders = node->next;
    if (*node->handle != 0) {
      Device()->DeletePixelShader(*node->handle);
      *node->handle = 0;
    }
    RwFreeListEntryFree(driver.pixelShaderFreeList, node);
  }
  if (driver.pixelShaderFreeList != nullptr) {
    RwFreeListDestroy(driver.pixelShaderFreeList);
    driver.pixelShaderFreeList = nullptr;
  }
}

RwBool RwD3D8CheckZBufferFormat(RwUInt32 format) {
  const RwD3D8Driver& driver = _rwD3D8Driver;
  const D3DFORMAT display = driver.displayMode.format;
  return SUCCEEDED(driver.d3d->CheckDeviceFormat(driver.adapter, driver.deviceType, display, D3DUSAGE_DEPTHSTENCIL,
                                                 D3DRTYPE_SURFACE, static_cast<D3DFORMAT>(format))) &&
         SUCCEEDED(driver.d3d->CheckDepthStencilMatch(driver.adapter, driver.deviceType, display, display,
                                                      static_cast<D3DFORMAT>(format)));
}

RwBool RwD3D8CheckTextureFormat(RwUInt32 format) {
  const RwD3D8Driver& driver = _rwD3D8Driver;
  return SUCCEEDED(driver.d3d->CheckDeviceFormat(driver.adapter, driver.deviceType, driver.displayMode.format, 0,
                                                 D3DRTYPE_TEXTURE, static_cast<D3DFORMAT>(format)));
}

RwBool RwD3D8CheckRenderTargetFormat(RwUInt32 format) {
  const RwD3D8Driver& driver = _rwD3D8Driver;
  const D3DFORMAT display = driver.displayMode.format;
  return SUCCEEDED(driver.d3d->CheckDeviceFormat(driver.adapter, driver.deviceType, display, D3DUSAGE_RENDERTARGET,
                                                 D3DRTYPE_TEXTURE, static_cast<D3DFORMAT>(format))) &&
         SUCCEEDED(driver.d3d->CheckDepthStencilMatch(driver.adapter, driver.deviceType, display,
                                                      static_cast<D3DFORMAT>(format), driver.depthStencilFormat));
}
