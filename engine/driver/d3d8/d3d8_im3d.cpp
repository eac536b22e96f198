// The Direct3D 8 side of immediate-mode 3D: the shared dynamic index buffer
// and the draw of a prepared submission through the driver's cached
// wrappers, unlit, falling back to drawing straight from the caller's
// vertices when buffer room or the draw call fails.
#include <cstring>

#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/pipe/p2/im3d.h"

namespace {

constexpr UINT kIndexBufferBytes = kRwIm3DIndexBufferIndices * sizeof(RwUInt16);

struct Im3DDriverState {
  IDirect3DIndexBuffer8* indexBuffer;
  RwBool wanted;  // the immediate-mode module is open: the buffer is remade after a Reset
};

Im3DDriverState sIm3D = {nullptr, FALSE};

IDirect3DDevice8* Device() { return _rwD3D8Driver.device; }

void SetDrawStates(const RwIm3DSubmission* submission) {
  RwD3D8RenderStateVertexAlphaEnable(submission->vertexAlpha);
  RwD3D8SetTransformWorld(submission->state->matrix);
  RwD3D8SetRenderState(D3DRS_LIGHTING, FALSE);
  RwD3D8SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  RwD3D8SetRenderState(D3DRS_CLIPPING, submission->clipping ? TRUE : FALSE);
  RwD3D8SetPixelShader(0);
  RwD3D8SetVertexShader(submission->fvf);
}

// Copies count vertices with the given writer into dynamic vertex room.
RwBool FillVertices(const RwIm3DSubmission* submission, RwUInt32 count,
                    void (*write)(void* dest, const RwIm3DSubmission* submission), IDirect3DVertexBuffer8** buffer,
                    RwUInt32* baseVertex) {
  void* memory = nullptr;
  if (count == 0 || !RwD3D8DynamicVertexBufferLock(submission->stride, count, buffer, &memory, baseVertex) ||
      memory == nullptr) {
    return FALSE;
  }
  write(memory, submission);
  RwD3D8DynamicVertexBufferUnlock(*buffer);
  return RwD3D8SetStreamSource(0, *buffer, submission->stride);
}

RwBool FillIndices(const RwIm3DSubmission* submission) {
  const RwIm3DState* state = submission->state;
  BYTE* memory = nullptr;
  const UINT offset = submission->indexStart * sizeof(RwUInt16);
  const UINT bytes = state->numIndices * sizeof(RwUInt16);
  const DWORD flags = submission->discardIndexBuffer ? kRwD3D8LockDiscard : kRwD3D8LockAppend;
  if (sIm3D.indexBuffer == nullptr || FAILED(sIm3D.indexBuffer->Lock(offset, bytes, &memory, flags)) ||
      memory == nullptr) {
    return FALSE;
  }
  std::memcpy(memory, state->indices, bytes);
  sIm3D.indexBuffer->Unlock();
  return TRUE;
}

// Draws from the caller's 36-byte vertices when the buffered road failed.
void DrawFromCallerVertices(const RwIm3DSubmission* submission) {
  const RwIm3DState* state = submission->state;
  RwD3D8SetVertexShader(kRwIm3DFvfCallerVertex);
  RwD3D8SetStreamSource(0, nullptr, 0);
  RwD3D8SetIndices(nullptr, 0);
  RwD3D8RenderStateFlush();
  const D3DPRIMITIVETYPE type = static_cast<D3DPRIMITIVETYPE>(submission->d3dPrimType);
  if (state->indices != nullptr) {
    Device()->DrawIndexedPrimitiveUP(type, 0, state->numVertices, submission->numPrimitives, state->indices,
                                     D3DFMT_INDEX16, state->vertices, sizeof(RwIm3DVertex));
  } else {
    Device()->DrawPrimitiveUP(type, submission->numPrimitives, state->vertices, sizeof(RwIm3DVertex));
  }
}

RwBool Im3DOpenIndexBuffer(void) {
  sIm3D.wanted = TRUE;
  return RwD3D8Im3DIndexBufferCreate();
}

void Im3DCloseIndexBuffer(void) {
  RwD3D8Im3DIndexBufferRelease();
  sIm3D.wanted = FALSE;
}

RwBool Im3DDraw(const RwIm3DSubmission* submission) {
  const RwIm3DState* state = submission->state;
  if (Device() == nullptr || state == nullptr) {
    return FALSE;
  }
  SetDrawStates(submission);
  IDirect3DVertexBuffer8* buffer = nullptr;
  RwUInt32 baseVertex = 0;
  switch (submission->path) {
    case kRwIm3DSubmitVertices:
      if (FillVertices(submission, state->numVertices, RwIm3DCopyVertices, &buffer, &baseVertex) &&
          RwD3D8DrawPrimitive(submission->d3dPrimType, baseVertex, state->numVertices)) {
        return FALSE;
      }
      break;
    case kRwIm3DSubmitExpanded:
      if (FillVertices(submission, state->numIndices, RwIm3DCopyIndexedVertices, &buffer, &baseVertex) &&
          RwD3D8DrawPrimitive(submission->d3dPrimType, baseVertex, state->numIndices)) {
        return FALSE;
      }
      break;
    case kRwIm3DSubmitIndexed:
      if (sIm3D.indexBuffer != nullptr &&
          FillVertices(submission, state->numVertices, RwIm3DCopyVertices, &buffer, &baseVertex) &&
          FillIndices(submission) && RwD3D8SetIndices(sIm3D.indexBuffer, baseVertex) &&
          RwD3D8DrawIndexedPrimitive(submission->d3dPrimType, 0, state->numVertices, submission->indexStart,
                                     state->numIndices)) {
        return TRUE;
      }
      break;
    default:
      break;
  }
  DrawFromCallerVertices(submission);
  return FALSE;
}

const RwIm3DSubmitDevice kSubmitDevice = {Im3DOpenIndexBuffer, Im3DCloseIndexBuffer, Im3DDraw};

}  // namespace

RwBool RwD3D8Im3DIndexBufferCreate(void) {
  if (!sIm3D.wanted || sIm3D.indexBuffer != nullptr) {
    return TRUE;
  }
  if (Device() == nullptr) {
    return FALSE;
  }
  const D3DPOOL pool = _rwD3D8HasHardwareTnL() ? D3DPOOL_DEFAULT : D3DPOOL_SYSTEMMEM;
  if (FAILED(Device()->CreateIndexBuffer(kIndexBufferBytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, pool,
                                         &sIm3D.indexBuffer))) {
    sIm3D.indexBuffer = nullptr;
    return FALSE;
  }
  return TRUE;
}

void RwD3D8Im3DIndexBufferRelease(void) {
  if (sIm3D.indexBuffer != nullptr) {
    if (_rwD3D8Driver.indexBuffer == sIm3D.indexBuffer) {
      RwD3D8SetIndices(nullptr, 0);
    }
    sIm3D.indexBuffer->Release();
    sIm3D.indexBuffer = nullptr;
  }
}

const RwIm3DSubmitDevice* RwD3D8Im3DSubmitDeviceGet(void) { return &kSubmitDevice; }
