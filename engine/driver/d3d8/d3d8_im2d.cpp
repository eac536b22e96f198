// Immediate-mode 2D: the engine's entry points, which forward through the
// device record, and the driver's side, which appends the vertices to a
// dynamic vertex buffer (the 2D path's own, or the shared ones) and draws.
#include "engine/driver/d3d8/d3d8_im2d.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/src/camera.h"
#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr DWORD kIm2DVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr RwUInt32 kIm2DStride = sizeof(RwIm2DVertex);
constexpr RwUInt32 kOwnBufferBytes = 0x40000;
constexpr RwUInt32 kOwnBufferVertices = kOwnBufferBytes / kIm2DStride;  // 9362
constexpr RwUInt32 kIndexBufferIndices = 10000;
constexpr UINT kAvailableMemoryForOwnBuffer = 0x800000;
constexpr DWORD kIm2DUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_DONOTCLIP;

static_assert(sizeof(RwIm2DVertex) == 28, "the 2D vertex format is 28 bytes");

struct Im2DState {
  RwBool ownBuffer;
  IDirect3DVertexBuffer8* vertexBuffer;  // the own buffer, or the shared one last locked
  RwUInt32 nextVertex;
  IDirect3DIndexBuffer8* indexBuffer;
  RwUInt32 nextIndex;
};

Im2DState sIm2D;

// A reservation of vertices in the vertex buffer.
struct Im2DVertices {
  IDirect3DVertexBuffer8* buffer;
  RwIm2DVertex* memory;
  RwUInt32 baseVertex;
};

// Primitives drawn from a count of vertices or indices; 2D point lists draw
// one point per vertex.
RwInt32 PrimitiveCount(RwInt32 primitiveType, RwInt32 count) {
  switch (primitiveType) {
    case kRwPrimTypeLineList:
      return count / 2;
    case kRwPrimTypePolyLine:
      return count - 1;
    case kRwPrimTypeTriList:
      return count / 3;
    case kRwPrimTypeTriStrip:
    case kRwPrimTypeTriFan:
      return count - 2;
    case kRwPrimTypePointList:
      return count;
    default:
      return 0;
  }
}

// Where the target raster lies within its parent; the vertices move with it.
// The target is the frame buffer of the camera in update, else the current
// raster context.
void TargetOffset(RwReal* x, RwReal* y) {
  const RwCamera* camera = RwEngineInstance != nullptr ? RwEngineInstance->currentCamera : nullptr;
  const RwRaster* raster = camera != nullptr ? RwCameraGetRaster(camera) : _rwD3D8RasterGetContext();
  *x = raster != nullptr ? static_cast<RwReal>(raster->offsetX) : 0.0f;
  *y = raster != nullptr ? static_cast<RwReal>(raster->offsetY) : 0.0f;
}

RwBool Reserve(RwUInt32 count, Im2DVertices* out) {
  if (count == 0) {
    return FALSE;
  }
  void* memory = nullptr;
  if (!sIm2D.ownBuffer) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    RwUInt32 base = 0;
    if (!RwD3D8DynamicVertexBufferLock(kIm2DStride, count, &buffer, &memory, &base)) {
      return FALSE;
    }
    sIm2D.vertexBuffer = buffer;
    *out = {buffer, static_cast<RwIm2DVertex*>(memory), base};
    return TRUE;
  }
  // The own buffer holds a fixed number of vertices: a larger primitive is
  // refused rather than written past its end.
  if (sIm2D.vertexBuffer == nullptr || count > kOwnBufferVertices) {
    return FALSE;
  }
  BYTE* locked = nullptr;
  HRESULT result;
  if (sIm2D.nextVertex + count <= kOwnBufferVertices) {
    result = sIm2D.vertexBuffer->Lock(sIm2D.nextVertex * kIm2DStride, count * kIm2DStride, &locked, kRwD3D8LockAppend);
  } else {
    sIm2D.nextVertex = 0;
    result = sIm2D.vertexBuffer->Lock(0, count * kIm2DStride, &locked, kRwD3D8LockDiscard);
  }
  if (FAILED(result) || locked == nullptr) {
    return FALSE;
  }
  *out = {sIm2D.vertexBuffer, reinterpret_cast<RwIm2DVertex*>(locked), sIm2D.nextVertex};
  return TRUE;
}

void CopyVertex(RwIm2DVertex* destination, const RwIm2DVertex& source, RwReal offsetX, RwReal offsetY) {
  *destination = source;
  destination->x += offsetX;
  destination->y += offsetY;
}

void CopyVertices(RwIm2DVertex* destination, const RwIm2DVertex* source, RwUInt32 count) {
  RwReal offsetX, offsetY;
  TargetOffset(&offsetX, &offsetY);
  if (offsetX == 0.0f && offsetY == 0.0f) {
    std::memcpy(destination, source, count * sizeof *source);
    return;
  }
  for (RwUInt32 i = 0; i < count; i++) {
    CopyVertex(&destination[i], source[i], offsetX, offsetY);
  }
}

// Copies vertices[indices[k]] in order.
void CopyIndexedVertices(RwIm2DVertex* destination, const RwIm2DVertex* vertices, const RwUInt16* indices,
                         RwUInt32 count) {
  RwReal offsetX, offsetY;
  TargetOffset(&offsetX, &offsetY);
  for (RwUInt32 i = 0; i < count; i++) {
    CopyVertex(&destination[i], vertices[indices[i]], offsetX, offsetY);
  }
}

// The device set-up every 2D draw shares, after the vertices are unlocked.
void PrepareDraw(IDirect3DVertexBuffer8* buffer) {
  buffer->Unlock();
  RwD3D8SetVertexShader(kIm2DVertexFormat);
  RwD3D8SetPixelShader(0);
  RwD3D8SetRenderState(D3DRS_CLIPPING, 0);
  RwD3D8SetRenderState(D3DRS_LIGHTING, 0);
  RwD3D8SetStreamSource(0, buffer, kIm2DStride);
  RwD3D8RenderStateFlush();
}

RwBool DrawVertices(D3DPRIMITIVETYPE type, RwUInt32 vertexCount, RwUInt32 primitives, const Im2DVertices& reserved) {
  PrepareDraw(reserved.buffer);
  const HRESULT result = _rwD3D8Driver.device->DrawPrimitive(type, reserved.baseVertex, primitives);
  if (sIm2D.ownBuffer) {
    sIm2D.nextVertex += vertexCount;
  }
  return SUCCEEDED(result);
}

RwBool IndicesInRange(const RwUInt16* indices, RwInt32 numIndices, RwInt32 numVertices) {
  for (RwInt32 i = 0; i < numIndices; i++) {
    if (indices[i] >= numVertices) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool DriverReady() { return _rwD3D8Driver.device != nullptr; }

}  // namespace

RwBool _rwD3D8PrimitiveType(RwInt32 primitiveType, D3DPRIMITIVETYPE* d3dType) {
  switch (primitiveType) {
    case kRwPrimTypeLineList:
      *d3dType = D3DPT_LINELIST;
      return TRUE;
    case kRwPrimTypePolyLine:
      *d3dType = D3DPT_LINESTRIP;
      return TRUE;
    case kRwPrimTypeTriList:
      *d3dType = D3DPT_TRIANGLELIST;
      return TRUE;
    case kRwPrimTypeTriStrip:
      *d3dType = D3DPT_TRIANGLESTRIP;
      return TRUE;
    case kRwPrimTypeTriFan:
      *d3dType = D3DPT_TRIANGLEFAN;
      return TRUE;
    case kRwPrimTypePointList:
      *d3dType = D3DPT_POINTLIST;
      return TRUE;
    default:
      return FALSE;
  }
}

RwBool RwD3D8Im2DRenderOpen(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  std::memset(&sIm2D, 0, sizeof sIm2D);
  if (!_rwD3D8HasHardwareTnL() && driver.device->GetAvailableTextureMem() > kAvailableMemoryForOwnBuffer) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (SUCCEEDED(driver.device->CreateVertexBuffer(kOwnBufferBytes, kIm2DUsage, kIm2DVertexFormat, D3DPOOL_DEFAULT,
                                                    &buffer)) &&
        buffer != nullptr) {
      sIm2D.ownBuffer = TRUE;
      sIm2D.vertexBuffer = buffer;
      sIm2D.nextVertex = 0;
    }
  }
  if (FAILED(driver.device->CreateIndexBuffer(kIndexBufferIndices * sizeof(RwUInt16), kIm2DUsage, D3DFMT_INDEX16,
                                              D3DPOOL_DEFAULT, &sIm2D.indexBuffer)) ||
      sIm2D.indexBuffer == nullptr) {
    sIm2D.indexBuffer = nullptr;
    RwD3D8Im2DRenderClose();
    return FALSE;
  }
  sIm2D.nextIndex = 0;
  return TRUE;
}

void RwD3D8Im2DRenderClose(void) {
  _rwD3D8ForgetStreamAndIndices();
  if (sIm2D.ownBuffer && sIm2D.vertexBuffer != nullptr) {
    sIm2D.vertexBuffer->Release();
  }
  if (sIm2D.indexBuffer != nullptr) {
    sIm2D.indexBuffer->Release();
  }
  std::memset(&sIm2D, 0, sizeof sIm2D);
}

RwBool RwD3D8Im2DRenderLine(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2) {
  if (!DriverReady() || vertices == nullptr || vertex1 < 0 || vertex2 < 0 || vertex1 >= numVertices ||
      vertex2 >= numVertices) {
    return FALSE;
  }
  Im2DVertices reserved;
  if (!Reserve(2, &reserved)) {
    return FALSE;
  }
  RwReal offsetX, offsetY;
  TargetOffset(&offsetX, &offsetY);
  CopyVertex(&reserved.memory[0], vertices[vertex1], offsetX, offsetY);
  CopyVertex(&reserved.memory[1], vertices[vertex2], offsetX, offsetY);
  return DrawVertices(D3DPT_LINELIST, 2, 1, reserved);
}

RwBool RwD3D8Im2DRenderTriangle(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2,
                                RwInt32 vertex3) {
  const RwInt32 corners[3] = {vertex1, vertex2, vertex3};
  if (!DriverReady() || vertices == nullptr) {
    return FALSE;
  }
  for (RwInt32 corner : corners) {
    if (corner < 0 || corner >= numVertices) {
      return FALSE;
    }
  }
  Im2DVertices reserved;
  if (!Reserve(3, &reserved)) {
    return FALSE;
  }
  RwReal offsetX, offsetY;
  TargetOffset(&offsetX, &offsetY);
  for (RwInt32 i = 0; i < 3; i++) {
    CopyVertex(&reserved.memory[i], vertices[corners[i]], offsetX, offsetY);
  }
  return DrawVertices(D3DPT_TRIANGLELIST, 3, 1, reserved);
}

RwBool RwD3D8Im2DRenderPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices) {
  D3DPRIMITIVETYPE type;
  if (!DriverReady() || vertices == nullptr || numVertices <= 0 || !_rwD3D8PrimitiveType(primitiveType, &type)) {
    return FALSE;
  }
  const RwInt32 primitives = PrimitiveCount(primitiveType, numVertices);
  if (primitives <= 0) {
    return FALSE;
  }
  Im2DVertices reserved;
  if (!Reserve(static_cast<RwUInt32>(numVertices), &reserved)) {
    return FALSE;
  }
  CopyVertices(reserved.memory, vertices, static_cast<RwUInt32>(numVertices));
  return DrawVertices(type, static_cast<RwUInt32>(numVertices), static_cast<RwUInt32>(primitives), reserved);
}

RwBool RwD3D8Im2DRenderIndexedPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices,
                                        RwUInt16* indices, RwInt32 numIndices) {
  D3DPRIMITIVETYPE type;
  if (!DriverReady() || vertices == nullptr || indices == nullptr || numVertices <= 0 || numIndices <= 0 ||
      !_rwD3D8PrimitiveType(primitiveType, &type)) {
    return FALSE;
  }
  const RwInt32 primitives = PrimitiveCount(primitiveType, numIndices);
  // An index past the caller's vertices would read beyond them.
  if (primitives <= 0 || !IndicesInRange(indices, numIndices, numVertices)) {
    return FALSE;
  }
  Im2DVertices reserved;
  if (numVertices >= numIndices) {
    // Fewer indices than vertices: the primitive is expanded.
    if (!Reserve(static_cast<RwUInt32>(numIndices), &reserved)) {
      return FALSE;
    }
    CopyIndexedVertices(reserved.memory, vertices, indices, static_cast<RwUInt32>(numIndices));
    return DrawVertices(type, static_cast<RwUInt32>(numIndices), static_cast<RwUInt32>(primitives), reserved);
  }
  if (sIm2D.indexBuffer == nullptr || numIndices > static_cast<RwInt32>(kIndexBufferIndices)) {
    return FALSE;
  }
  if (!Reserve(static_cast<RwUInt32>(numVertices), &reserved)) {
    return FALSE;
  }
  CopyVertices(reserved.memory, vertices, static_cast<RwUInt32>(numVertices));
  const RwUInt32 indexBytes = static_cast<RwUInt32>(numIndices) * sizeof(RwUInt16);
  BYTE* lockedIndices = nullptr;
  HRESULT locked;
  if (sIm2D.nextIndex + static_cast<RwUInt32>(numIndices) <= kIndexBufferIndices) {
    locked = sIm2D.indexBuffer->Lock(sIm2D.nextIndex * sizeof(RwUInt16), indexBytes, &lockedIndices, kRwD3D8LockAppend);
  } else {
    sIm2D.nextIndex = 0;
    locked = sIm2D.indexBuffer->Lock(0, indexBytes, &lockedIndices, kRwD3D8LockDiscard);
  }
  if (FAILED(locked) || lockedIndices == nullptr) {
    reserved.buffer->Unlock();
    return FALSE;
  }
  std::memcpy(lockedIndices, indices, indexBytes);
  sIm2D.indexBuffer->Unlock();
  PrepareDraw(reserved.buffer);
  RwD3D8SetIndices(sIm2D.indexBuffer, reserved.baseVertex);
  const HRESULT result = _rwD3D8Driver.device->DrawIndexedPrimitive(type, 0, static_cast<UINT>(numVertices),
                                                                    sIm2D.nextIndex, static_cast<UINT>(primitives));
  sIm2D.nextIndex += static_cast<RwUInt32>(numIndices);
  if (sIm2D.ownBuffer) {
    sIm2D.nextVertex += static_cast<RwUInt32>(numVertices);
  }
  return SUCCEEDED(result);
}

RwReal RwIm2DGetNearScreenZ(void) { return RwEngineInstance->device.zBufferNear; }

RwReal RwIm2DGetFarScreenZ(void) { return RwEngineInstance->device.zBufferFar; }

RwBool RwRenderStateSet(RwInt32 state, void* value) {
  if (RwEngineInstance == nullptr || RwEngineInstance->currentCamera == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRenderStateOutsideUpdate);
    return FALSE;
  }
  RwRenderStateSetFunction set = RwEngineInstance->device.fpRenderStateSet;
  return set != nullptr && set(state, value);
}

RwBool RwRenderStateGet(RwInt32 state, void* value) {
  RwRenderStateGetFunction get = RwEngineInstance != nullptr ? RwEngineInstance->device.fpRenderStateGet : nullptr;
  return get != nullptr && get(state, value);
}

RwBool RwIm2DRenderLine(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2) {
  RwIm2DRenderLineFunction line = RwEngineInstance->device.fpIm2DRenderLine;
  return line != nullptr && line(vertices, numVertices, vertex1, vertex2);
}

RwBool RwIm2DRenderTriangle(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2,
                            RwInt32 vertex3) {
  RwIm2DRenderTriangleFunction triangle = RwEngineInstance->device.fpIm2DRenderTriangle;
  return triangle != nullptr && triangle(vertices, numVertices, vertex1, vertex2, vertex3);
}

RwBool RwIm2DRenderPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices) {
  RwIm2DRenderPrimitiveFunction primitive = RwEngineInstance->device.fpIm2DRenderPrimitive;
  return primitive != nullptr && primitive(primitiveType, vertices, numVertices);
}

RwBool RwIm2DRenderIndexedPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices,
                                    RwUInt16* indices, RwInt32 numIndices) {
  RwIm2DRenderIndexedPrimitiveFunction primitive = RwEngineInstance->device.fpIm2DRenderIndexedPrimitive;
  return primitive != nullptr && primitive(primitiveType, vertices, numVertices, indices, numIndices);
}
