// The device's drawing entry points: the fixed-function renderer, which owns
// the OpenGL side, draws from the device's own states (what the Get methods
// return), and the Set methods store through it so it notes what changed.
// Resources reach the renderer as OpenGL names, prepared (uploaded) just
// before each draw.
#include <algorithm>

// The Windows types come first: they define APIENTRY for OpenGL's header.
#include "platform/d3d8/device_internal.h"
#include "platform/d3d8/draw_renderer.h"
#include "platform/win/win_types.h"

namespace d3d8 {

namespace {

constexpr DWORD kTransformCount = d3d8draw::kTransformSlotCount;
constexpr UINT kStreamCount = 16;

bool SameBytes(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

// Whole vertices of the current format (fvfSize bytes each, 0 for none)
// that stream 0 holds: the last one may end the buffer without the padding a
// larger stride would add.
uint64_t StreamVertexCount(const StreamSlot& stream, UINT fvfSize) {
  if (stream.buffer == nullptr || stream.stride == 0) return 0;
  const uint64_t size = stream.buffer->data.size();
  const uint64_t vertexSize = fvfSize > 0 ? uint64_t(fvfSize) : uint64_t(stream.stride);
  if (size < vertexSize) return 0;
  return (size - vertexSize) / stream.stride + 1;
}

// The largest index of the range. Remembered on the buffer until it is
// locked again: a draw while it is locked scans every time, since the
// caller may still be writing.
uint64_t LargestIndex(IndexBuffer& indices, uint64_t start, uint64_t count) {
  IndexBuffer::RangeMax& memo = indices.rangeMax;
  const bool cacheable = indices.lockCount == 0;
  if (cacheable && memo.valid && memo.lockSerial == indices.lockSerial && memo.start == start && memo.count == count) {
    return memo.largest;
  }
  const bool wide = indices.format == D3DFMT_INDEX32;
  const uint8_t* p = indices.data.data() + start * (wide ? 4 : 2);
  uint64_t largest = 0;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t index;
    if (wide) {
      index = uint64_t(p[0]) | (uint64_t(p[1]) << 8) | (uint64_t(p[2]) << 16) | (uint64_t(p[3]) << 24);
      p += 4;
    } else {
      index = uint64_t(p[0]) | (uint64_t(p[1]) << 8);
      p += 2;
    }
    largest = std::max(largest, index);
  }
  if (cacheable) memo = {indices.lockSerial, start, count, largest, true};
  return largest;
}

}  // namespace

struct DrawState {
  explicit DrawState(Device* device) : renderer(&device->state), resetSerial(device->resetSerial) {}

  // Draws from the device's own states.
  d3d8draw::Renderer renderer;
  // The device's OpenGL epoch last seen: when it moves, other code changed
  // OpenGL state.
  uint64_t epoch = 0;
  // The device's Reset count last seen: when it moves, every state went back
  // to its default behind the renderer's back.
  uint64_t resetSerial;
  D3DVIEWPORT8 viewport = {0, 0, 0, 0, 0.0f, 0.0f};
};

namespace {

// Everything a draw needs from the device: current context, prepared
// resources, render target and viewport. False when nothing can be drawn.
bool BeginDraw(Device* device, DrawState* draw, bool indexed, bool userPointer) {
  device->MakeCurrent();
  d3d8draw::Renderer& r = draw->renderer;
  DeviceState& s = device->state;
  // Textures of the stages in use, which end at the first disabled stage;
  // preparing may upload and so move the epoch. The context is current from
  // here to the end of the draw.
  for (DWORD stage = 0; stage < D3D8_TEXTURE_STAGE_COUNT; ++stage) {
    if (s.stageStates[stage][D3DTSS_COLOROP] == D3DTOP_DISABLE) {
      r.SetTexture(stage, 0, 0);
      break;
    }
    BaseTexture* texture = s.textures[stage];
    GLenum target = GL_TEXTURE_2D;
    const GLuint name = texture != nullptr ? texture->PrepareInContext(&target) : 0;
    r.SetTexture(stage, name, target);
  }
  if (!userPointer) {
    VertexBuffer* buffer = s.streams[0].buffer;
    if (buffer == nullptr) return false;
    r.SetStreamSource(buffer->PrepareInContext(), s.streams[0].stride);
    if (indexed) {
      IndexBuffer* indices = s.indices;
      if (indices == nullptr) return false;
      const UINT indexSize = indices->format == D3DFMT_INDEX32 ? 4 : 2;
      r.SetIndices(indices->PrepareInContext(), indexSize, s.baseVertexIndex, indices->data.data(),
                   indices->data.size() / indexSize);
    }
  }
  if (draw->resetSerial != device->resetSerial) {
    r.StatesChanged();
    draw->resetSerial = device->resetSerial;
  }
  if (draw->epoch != device->glStateEpoch) {
    r.InvalidateGlState();
    draw->epoch = device->glStateEpoch;
  }
  if (!SameBytes(&draw->viewport, &s.viewport, sizeof(D3DVIEWPORT8))) {
    draw->viewport = s.viewport;
    r.SetViewport(s.viewport);
  }
  return true;
}

// Drawing from user memory leaves stream 0 and the indices unset.
void ClearStreamZeroAndIndices(DeviceState& s) {
  if (s.streams[0].buffer != nullptr) s.streams[0].buffer->Release();
  s.streams[0].buffer = nullptr;
  s.streams[0].stride = 0;
  if (s.indices != nullptr) s.indices->Release();
  s.indices = nullptr;
  s.baseVertexIndex = 0;
}

}  // namespace

DrawState* CreateDrawState(Device* device) {
  auto* draw = new DrawState(device);
  device->MakeCurrent();
  draw->renderer.Open();
  return draw;
}

size_t DrawProgramsCompiled(const DrawState* draw) { return draw != nullptr ? draw->renderer.ProgramsCompiled() : 0; }

void DestroyDrawState(Device* device, DrawState* draw) {
  if (draw == nullptr) return;
  device->MakeCurrent();
  draw->renderer.Close();
  delete draw;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX* matrix) {
  recorder.Record("SetTransform", {RecArg(uint32_t(which)), RecArg(matrix)});
  if (matrix == nullptr || uint32_t(which) >= kTransformCount) return D3DERR_INVALIDCALL;
  // The renderer stores the matrices it draws with; the others only here.
  if (draw != nullptr && uint32_t(which) < d3d8draw::kTransformStateCount) {
    return draw->renderer.SetTransform(which, matrix);
  }
  state.transforms[which] = *matrix;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE which, D3DMATRIX* matrix) {
  if (matrix == nullptr || uint32_t(which) >= kTransformCount) return D3DERR_INVALIDCALL;
  *matrix = state.transforms[which];
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  recorder.Record("SetMaterial", {RecArg(material)});
  if (material == nullptr) return D3DERR_INVALIDCALL;
  if (draw != nullptr) return draw->renderer.SetMaterial(material);
  state.material = *material;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  *material = state.material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
  recorder.Record("SetLight", {index, RecArg(light)});
  if (draw != nullptr) return draw->renderer.SetLight(index, light);
  return state.SetLight(index, light) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
  if (light == nullptr || index >= state.lights.size() || !state.lights[index].set) return D3DERR_INVALIDCALL;
  *light = state.lights[index].light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  recorder.Record("LightEnable", {index, RecArg(int32_t(enable))});
  if (draw != nullptr) return draw->renderer.LightEnable(index, enable);
  return state.EnableLight(index, enable != FALSE) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  if (enable == nullptr || index >= state.lights.size() || !state.lights[index].set) return D3DERR_INVALIDCALL;
  *enable = state.lights[index].enabled ? TRUE : FALSE;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE which, DWORD value) {
  recorder.Record("SetRenderState", {RecArg(uint32_t(which)), value});
  if (uint32_t(which) >= D3D8_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
  if (draw != nullptr) return draw->renderer.SetRenderState(which, value);
  state.renderStates[which] = value;
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE which, DWORD* value) {
  if (value == nullptr || uint32_t(which) >= D3D8_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
  *value = state.renderStates[which];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  recorder.Record("SetTextureStageState", {stage, RecArg(uint32_t(type)), value});
  if (stage >= D3D8_TEXTURE_STAGE_COUNT || uint32_t(type) >= D3D8_TEXTURE_STAGE_STATE_COUNT) {
    return D3DERR_INVALIDCALL;
  }
  if (draw != nullptr) return draw->renderer.SetTextureStageState(stage, type, value);
  state.stageStates[stage][type] = value;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (value == nullptr || stage >= D3D8_TEXTURE_STAGE_COUNT || uint32_t(type) >= D3D8_TEXTURE_STAGE_STATE_COUNT) {
    return D3DERR_INVALIDCALL;
  }
  *value = state.stageStates[stage][type];
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  recorder.Record("DrawPrimitive", {RecArg(uint32_t(type)), startVertex, primitiveCount});
  if (draw == nullptr) return D3DERR_INVALIDCALL;
  if (lost || primitiveCount == 0) return D3D_OK;
  // A draw past the end of the vertex buffer is refused rather than read.
  const uint64_t count = d3d8draw::ElementCount(type, primitiveCount);
  if (count == 0 || uint64_t(startVertex) + count > StreamVertexCount(state.streams[0], state.vertexSize)) {
    return D3DERR_INVALIDCALL;
  }
  if (!BeginDraw(this, draw, false, false)) return D3DERR_INVALIDCALL;
  return draw->renderer.DrawPrimitive(type, startVertex, primitiveCount);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                     UINT primitiveCount) {
  recorder.Record("DrawIndexedPrimitive", {RecArg(uint32_t(type)), minIndex, vertexCount, startIndex, primitiveCount});
  if (draw == nullptr) return D3DERR_INVALIDCALL;
  if (lost || primitiveCount == 0) return D3D_OK;
  // Indices past the end of the index buffer are refused rather than read.
  const uint64_t count = d3d8draw::ElementCount(type, primitiveCount);
  if (state.indices == nullptr || count == 0) return D3DERR_INVALIDCALL;
  const uint64_t indexSize = state.indices->format == D3DFMT_INDEX32 ? 4 : 2;
  if ((uint64_t(startIndex) + count) * indexSize > state.indices->data.size()) return D3DERR_INVALIDCALL;
  // So are indices that name a vertex past the end of the vertex buffer.
  if (uint64_t(state.baseVertexIndex) + LargestIndex(*state.indices, startIndex, count) >=
      StreamVertexCount(state.streams[0], state.vertexSize)) {
    return D3DERR_INVALIDCALL;
  }
  if (!BeginDraw(this, draw, true, false)) return D3DERR_INVALIDCALL;
  return draw->renderer.DrawIndexedPrimitive(type, minIndex, vertexCount, startIndex, primitiveCount);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
  recorder.Record("DrawPrimitiveUP", {RecArg(uint32_t(type)), primitiveCount, RecArg(vertices), stride});
  if (draw == nullptr || vertices == nullptr || stride == 0) return D3DERR_INVALIDCALL;
  ClearStreamZeroAndIndices(state);
  if (lost || primitiveCount == 0) return D3D_OK;
  if (!BeginDraw(this, draw, false, true)) return D3DERR_INVALIDCALL;
  return draw->renderer.DrawPrimitiveUP(type, primitiveCount, vertices, stride);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride) {
  recorder.Record("DrawIndexedPrimitiveUP", {RecArg(uint32_t(type)), minIndex, vertexCount, primitiveCount,
                                             RecArg(indices), RecArg(uint32_t(indexFormat)), RecArg(vertices), stride});
  if (draw == nullptr || vertices == nullptr || indices == nullptr || stride == 0 ||
      (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  ClearStreamZeroAndIndices(state);
  if (lost || primitiveCount == 0) return D3D_OK;
  if (!BeginDraw(this, draw, false, true)) return D3DERR_INVALIDCALL;
  return draw->renderer.DrawIndexedPrimitiveUP(type, minIndex, vertexCount, primitiveCount, indices,
                                               indexFormat == D3DFMT_INDEX32 ? 4 : 2, vertices, stride);
}

HRESULT Device::SetVertexShader(DWORD handle) {
  recorder.Record("SetVertexShader", {handle});
  // Only flexible vertex formats: no vertex shader is ever created, so a
  // handle (bit 0 set) or an undecodable code is refused.
  if ((handle & 1) != 0 || !d3d8draw::DecodeFvf(handle).valid) return D3DERR_INVALIDCALL;
  state.vertexShader = handle;
  state.vertexSize = UINT(d3d8draw::FvfVertexSize(handle));
  if (draw != nullptr) draw->renderer.SetVertexShader(handle);
  return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
  if (handle == nullptr) return D3DERR_INVALIDCALL;
  *handle = state.vertexShader;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  recorder.Record("SetStreamSource", {stream, RecArg(buffer), stride});
  if (stream >= kStreamCount) return D3DERR_INVALIDCALL;
  VertexBuffer* vb = static_cast<VertexBuffer*>(buffer);
  if (vb != nullptr && vb->device != this) return D3DERR_INVALIDCALL;
  if (vb != nullptr) vb->AddRef();
  if (state.streams[stream].buffer != nullptr) state.streams[stream].buffer->Release();
  state.streams[stream].buffer = vb;
  state.streams[stream].stride = stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) {
  if (stream >= kStreamCount || buffer == nullptr || stride == nullptr) return D3DERR_INVALIDCALL;
  *buffer = state.streams[stream].buffer;
  if (*buffer != nullptr) (*buffer)->AddRef();
  *stride = state.streams[stream].stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
  recorder.Record("SetIndices", {RecArg(buffer), baseVertexIndex});
  IndexBuffer* ib = static_cast<IndexBuffer*>(buffer);
  if (ib != nullptr && ib->device != this) return D3DERR_INVALIDCALL;
  if (ib != nullptr) ib->AddRef();
  if (state.indices != nullptr) state.indices->Release();
  state.indices = ib;
  state.baseVertexIndex = baseVertexIndex;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) {
  if (buffer == nullptr || baseVertexIndex == nullptr) return D3DERR_INVALIDCALL;
  *buffer = state.indices;
  if (*buffer != nullptr) (*buffer)->AddRef();
  *baseVertexIndex = state.baseVertexIndex;
  return D3D_OK;
}

// Pixel shaders: the device reports no pixel-shader version, so none can be
// created; only "no shader" (0) can be set.
HRESULT Device::CreatePixelShader(const DWORD* function, DWORD* handle) {
  recorder.Record("CreatePixelShader", {RecArg(function), RecArg(handle)});
  return D3DERR_INVALIDCALL;
}

HRESULT Device::SetPixelShader(DWORD handle) {
  recorder.Record("SetPixelShader", {handle});
  return handle == 0 ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetPixelShader(DWORD* handle) {
  if (handle == nullptr) return D3DERR_INVALIDCALL;
  *handle = 0;
  return D3D_OK;
}

HRESULT Device::DeletePixelShader(DWORD handle) {
  recorder.Record("DeletePixelShader", {handle});
  return D3DERR_INVALIDCALL;
}

HRESULT Device::SetPixelShaderConstant(DWORD reg, const void* data, DWORD count) {
  recorder.Record("SetPixelShaderConstant", {reg, RecArg(data), count});
  return D3DERR_INVALIDCALL;
}

}  // namespace d3d8
