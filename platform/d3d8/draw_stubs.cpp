// Placeholder drawing entry points: they keep the state the device holds and
// draw nothing. The drawing code replaces this file with its own.
#include "platform/d3d8/device_internal.h"

namespace d3d8 {

struct DrawState {};

DrawState* CreateDrawState(Device*) { return new DrawState; }
void DestroyDrawState(Device*, DrawState* state) { delete state; }

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX* matrix) {
  recorder.Record("SetTransform", {RecArg(uint32_t(which)), RecArg(matrix)});
  if (matrix == nullptr || uint32_t(which) >= 512) return D3DERR_INVALIDCALL;
  state.transforms[which] = *matrix;
  return D3D_OK;
}
HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE which, D3DMATRIX* matrix) {
  if (matrix == nullptr || uint32_t(which) >= 512) return D3DERR_INVALIDCALL;
  *matrix = state.transforms[which];
  return D3D_OK;
}
HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  recorder.Record("SetMaterial", {RecArg(material)});
  if (material == nullptr) return D3DERR_INVALIDCALL;
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
  if (light == nullptr) return D3DERR_INVALIDCALL;
  if (index >= state.lights.size()) state.lights.resize(index + 1);
  state.lights[index].light = *light;
  state.lights[index].set = true;
  return D3D_OK;
}
HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
  if (light == nullptr || index >= state.lights.size() || !state.lights[index].set) return D3DERR_INVALIDCALL;
  *light = state.lights[index].light;
  return D3D_OK;
}
HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  recorder.Record("LightEnable", {index, RecArg(int32_t(enable))});
  if (index >= state.lights.size()) state.lights.resize(index + 1);
  state.lights[index].enabled = enable != 0;
  return D3D_OK;
}
HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  if (enable == nullptr || index >= state.lights.size()) return D3DERR_INVALIDCALL;
  *enable = state.lights[index].enabled;
  return D3D_OK;
}
HRESULT Device::SetRenderState(D3DRENDERSTATETYPE which, DWORD value) {
  recorder.Record("SetRenderState", {RecArg(uint32_t(which)), value});
  if (uint32_t(which) >= D3D8_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
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
  return D3D_OK;
}
HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                     UINT primitiveCount) {
  recorder.Record("DrawIndexedPrimitive", {RecArg(uint32_t(type)), minIndex, vertexCount, startIndex, primitiveCount});
  return D3D_OK;
}
HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
  recorder.Record("DrawPrimitiveUP", {RecArg(uint32_t(type)), primitiveCount, RecArg(vertices), stride});
  return vertices == nullptr ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride) {
  recorder.Record("DrawIndexedPrimitiveUP", {RecArg(uint32_t(type)), minIndex, vertexCount, primitiveCount,
                                             RecArg(indices), RecArg(uint32_t(indexFormat)), RecArg(vertices), stride});
  return vertices == nullptr || indices == nullptr ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT Device::SetVertexShader(DWORD handle) {
  recorder.Record("SetVertexShader", {handle});
  state.vertexShader = handle;
  return D3D_OK;
}
HRESULT Device::GetVertexShader(DWORD* handle) {
  if (handle == nullptr) return D3DERR_INVALIDCALL;
  *handle = state.vertexShader;
  return D3D_OK;
}
HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  recorder.Record("SetStreamSource", {stream, RecArg(buffer), stride});
  if (stream >= 16) return D3DERR_INVALIDCALL;
  VertexBuffer* vb = static_cast<VertexBuffer*>(buffer);
  if (vb != nullptr) vb->AddRef();
  if (state.streams[stream].buffer != nullptr) state.streams[stream].buffer->Release();
  state.streams[stream].buffer = vb;
  state.streams[stream].stride = stride;
  return D3D_OK;
}
HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) {
  if (stream >= 16 || buffer == nullptr || stride == nullptr) return D3DERR_INVALIDCALL;
  *buffer = state.streams[stream].buffer;
  if (*buffer != nullptr) (*buffer)->AddRef();
  *stride = state.streams[stream].stride;
  return D3D_OK;
}
HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
  recorder.Record("SetIndices", {RecArg(buffer), baseVertexIndex});
  IndexBuffer* ib = static_cast<IndexBuffer*>(buffer);
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
