// The fixed-function drawing engine over OpenGL (see draw_renderer.h).
#include "platform/d3d8/draw_renderer.h"

#include <GL/glext.h>

#include <cmath>
#include <cstring>

#include "platform/d3d8/d3d8.h"

namespace d3d8draw {

namespace {

constexpr GLsizeiptr kStreamBufferSize = 4 << 20;
constexpr GLenum kMaxAnisotropyParameter = 0x84FE;  // GL_TEXTURE_MAX_ANISOTROPY
// The inner cone's cosine of a light without a cone: below every angle's.
constexpr float kNoCone = -2.0f;

float BitsFloat(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

// Row-vector product a * b.
void Multiply(const float* a, const float* b, float* out) {
  float r[16];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r[i * 4 + j] = a[i * 4 + 0] * b[0 * 4 + j] + a[i * 4 + 1] * b[1 * 4 + j] + a[i * 4 + 2] * b[2 * 4 + j] +
                     a[i * 4 + 3] * b[3 * 4 + j];
    }
  }
  std::memcpy(out, r, sizeof(r));
}

void ColorToFloats(DWORD color, float* out) {
  out[0] = ((color >> 16) & 0xFF) / 255.0f;
  out[1] = ((color >> 8) & 0xFF) / 255.0f;
  out[2] = (color & 0xFF) / 255.0f;
  out[3] = ((color >> 24) & 0xFF) / 255.0f;
}

GLenum CompareFunction(DWORD func) {
  switch (func) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

GLenum BlendFactor(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

GLenum StencilOperation(DWORD op) {
  switch (op) {
    case D3DSTENCILOP_ZERO:
      return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
      return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
      return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
      return GL_DECR;
    case D3DSTENCILOP_INVERT:
      return GL_INVERT;
    case D3DSTENCILOP_INCR:
      return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
      return GL_DECR_WRAP;
    default:
      return GL_KEEP;
  }
}

GLenum AddressMode(DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
      return GL_MIRROR_CLAMP_TO_EDGE;
    default:
      return GL_REPEAT;
  }
}

bool IsSamplerState(DWORD type) {
  switch (type) {
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_ADDRESSW:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MAXANISOTROPY:
      return true;
    default:
      return false;
  }
}

// Render states that only reach uniforms, never the program or GL state.
bool IsUniformOnlyState(DWORD state) {
  switch (state) {
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_ALPHAREF:
    case D3DRS_AMBIENT:
    case D3DRS_POINTSIZE:
      return true;
    default:
      return false;
  }
}

}  // namespace

uint64_t ElementCount(DWORD type, UINT primitiveCount) {
  const uint64_t n = primitiveCount;
  switch (type) {
    case D3DPT_POINTLIST:
      return n;
    case D3DPT_LINELIST:
      return n * 2;
    case D3DPT_LINESTRIP:
      return n + 1;
    case D3DPT_TRIANGLELIST:
      return n * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return n + 2;
    default:
      return 0;
  }
}

Renderer::Renderer(FixedStates* shared) : states_(shared) {
  std::memset(&key_, 0, sizeof(key_));
  if (states_ == nullptr) {
    ownStates_.reset(new FixedStates);
    states_ = ownStates_.get();
    states_->SetDefaults(true);
  }
  StatesChanged();
}

Renderer::~Renderer() = default;

bool Renderer::Open() {
  if (upVertexBuffer_ == 0) glGenBuffers(1, &upVertexBuffer_);
  if (upIndexBuffer_ == 0) glGenBuffers(1, &upIndexBuffer_);
  glValid_ = false;
  return upVertexBuffer_ != 0 && upIndexBuffer_ != 0;
}

void Renderer::Close() {
  programs_.Clear();
  program_ = nullptr;
  warming_.clear();
  for (auto& entry : vertexArrays_) glDeleteVertexArrays(1, &entry.second);
  vertexArrays_.clear();
  fvfVertexArray_ = 0;
  for (auto& entry : samplers_) glDeleteSamplers(1, &entry.second);
  samplers_.clear();
  if (upVertexBuffer_ != 0) glDeleteBuffers(1, &upVertexBuffer_);
  if (upIndexBuffer_ != 0) glDeleteBuffers(1, &upIndexBuffer_);
  upVertexBuffer_ = upIndexBuffer_ = 0;
  upVertexCapacity_ = upIndexCapacity_ = 0;
  upVertexCursor_ = upIndexCursor_ = 0;
  keyDirty_ = true;
  glValid_ = false;
}

void Renderer::StatesChanged() {
  for (int stage = 0; stage < D3D8_TEXTURE_STAGE_COUNT; ++stage) samplerDirty_[stage] = true;
  keyDirty_ = fixedDirty_ = transformsDirty_ = lightsDirty_ = true;
  ++fixedSerial_;
  ++textureMatrixSerial_;
  ++materialSerial_;
}

void Renderer::InvalidateGlState() {
  glValid_ = false;
  fixedDirty_ = true;
  boundProgram_ = 0;
  boundVertexArray_ = 0;
  boundArrayBuffer_ = 0;
  boundElementBuffer_ = 0;
  for (int i = 0; i < D3D8_TEXTURE_STAGE_COUNT; ++i) {
    boundTextures_[i] = ~0u;
    boundSamplers_[i] = ~0u;
  }
}

HRESULT Renderer::SetRenderState(DWORD state, DWORD value) {
  if (state >= D3D8_RENDER_STATE_COUNT) return D3DERR_INVALIDCALL;
  if (states_->renderStates[state] == value) return D3D_OK;
  states_->renderStates[state] = value;
  ++fixedSerial_;
  if (!IsUniformOnlyState(state)) {
    keyDirty_ = true;
    fixedDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Renderer::SetTextureStageState(DWORD stage, DWORD type, DWORD value) {
  if (stage >= D3D8_TEXTURE_STAGE_COUNT || type >= D3D8_TEXTURE_STAGE_STATE_COUNT) return D3DERR_INVALIDCALL;
  if (states_->stageStates[stage][type] == value) return D3D_OK;
  states_->stageStates[stage][type] = value;
  if (IsSamplerState(type)) {
    samplerDirty_[stage] = true;
  } else {
    keyDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Renderer::SetTransform(DWORD state, const D3DMATRIX* matrix) {
  if (state >= kTransformStateCount || matrix == nullptr) return D3DERR_INVALIDCALL;
  states_->transforms[state] = *matrix;
  if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
    ++textureMatrixSerial_;
  } else if (state == D3DTS_VIEW || state == D3DTS_PROJECTION || state == 256) {
    transformsDirty_ = true;
    if (state == D3DTS_VIEW) lightsDirty_ = true;
    // Table fog measures depth differently for orthographic projections.
    if (state == D3DTS_PROJECTION) keyDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Renderer::SetMaterial(const D3DMATERIAL8* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  // Meshes set their material draw after draw, mostly the same one: the
  // uniforms are sent again only for a different one.
  if (std::memcmp(&states_->material, material, sizeof(D3DMATERIAL8)) == 0) return D3D_OK;
  states_->material = *material;
  ++materialSerial_;
  return D3D_OK;
}

HRESULT Renderer::SetLight(DWORD index, const D3DLIGHT8* light) {
  // The engine sets its lights again for every object it draws, mostly as
  // they were.
  const bool same = light != nullptr && index < states_->lights.size() && states_->lights[index].set &&
                    std::memcmp(&states_->lights[index].light, light, sizeof(D3DLIGHT8)) == 0;
  if (same) return D3D_OK;
  if (!states_->SetLight(index, light)) return D3DERR_INVALIDCALL;
  if (states_->lights[index].enabled) lightsDirty_ = true;
  return D3D_OK;
}

HRESULT Renderer::LightEnable(DWORD index, BOOL enable) {
  const bool on = enable != FALSE;
  const bool wasOn = index < states_->lights.size() && states_->lights[index].enabled;
  if (!states_->EnableLight(index, on)) return D3DERR_INVALIDCALL;
  if (wasOn != on) {
    lightsDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Renderer::SetVertexShader(DWORD fvf) {
  if (fvf & 1) return D3DERR_INVALIDCALL;  // a shader handle: none is ever created
  const FvfLayout layout = DecodeFvf(fvf);
  if (!layout.valid) return D3DERR_INVALIDCALL;
  if (fvf != fvf_) {
    fvf_ = fvf;
    layout_ = layout;
    keyDirty_ = true;
    fvfVertexArray_ = 0;
  }
  return D3D_OK;
}

void Renderer::SetTexture(DWORD stage, GLuint texture, GLenum target) {
  if (stage >= D3D8_TEXTURE_STAGE_COUNT) return;
  if (texture == 0) target = 0;
  if (textureTargets_[stage] != target) keyDirty_ = true;
  textures_[stage] = texture;
  textureTargets_[stage] = target;
}

void Renderer::SetStreamSource(GLuint buffer, UINT stride) {
  streamBuffer_ = buffer;
  streamStride_ = stride;
}

void Renderer::SetIndices(GLuint buffer, UINT indexSize, UINT baseVertexIndex, const void* indices, size_t indexCount) {
  indexBuffer_ = buffer;
  indexSize_ = indexSize == 4 ? 4 : 2;
  baseVertexIndex_ = baseVertexIndex;
  indexMemory_ = static_cast<const uint8_t*>(indices);
  indexMemoryCount_ = indices != nullptr ? indexCount : 0;
}

void Renderer::SetViewport(const D3DVIEWPORT8& viewport) {
  viewport_ = viewport;
  fixedDirty_ = true;
  ++viewportSerial_;
}

void Renderer::BuildKey(ShaderKey* key) const {
  std::memset(key, 0, sizeof(*key));
  const DWORD* rs = states_->renderStates;
  const FvfLayout& layout = layout_;
  key->fvf = fvf_;
  const bool hasDiffuse = layout.diffuseOffset >= 0;
  const bool hasSpecular = layout.specularOffset >= 0;
  key->lighting = rs[D3DRS_LIGHTING] != 0 && !layout.transformed;
  if (key->lighting) {
    key->directionalLights = static_cast<uint8_t>(directionalLightCount_);
    key->localLights = localLights_;
    auto source = [&](DWORD value) -> uint8_t {
      if (rs[D3DRS_COLORVERTEX] == 0) return 0;
      if (value == D3DMCS_COLOR1 && hasDiffuse) return 1;
      if (value == D3DMCS_COLOR2 && hasSpecular) return 2;
      return 0;
    };
    key->diffuseSource = source(rs[D3DRS_DIFFUSEMATERIALSOURCE]);
    key->ambientSource = source(rs[D3DRS_AMBIENTMATERIALSOURCE]);
    key->specularSource = source(rs[D3DRS_SPECULARMATERIALSOURCE]);
    key->emissiveSource = source(rs[D3DRS_EMISSIVEMATERIALSOURCE]);
    key->normalizeNormals = rs[D3DRS_NORMALIZENORMALS] != 0;
    key->localViewer = rs[D3DRS_LOCALVIEWER] != 0;
  }
  key->specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
  if (rs[D3DRS_FOGENABLE] != 0) {
    const DWORD table = rs[D3DRS_FOGTABLEMODE];
    const DWORD vertex = rs[D3DRS_FOGVERTEXMODE];
    if (table >= D3DFOG_EXP && table <= D3DFOG_LINEAR) {
      key->fogSource = kFogTable;
      key->fogFormula = static_cast<uint8_t>(table);
      // An orthographic projection gives no usable w: fog follows depth.
      const D3DMATRIX& p = states_->transforms[D3DTS_PROJECTION];
      key->fogUseZ = !layout.transformed && p._34 == 0.0f && p._44 == 1.0f;
    } else if (vertex >= D3DFOG_EXP && vertex <= D3DFOG_LINEAR && !layout.transformed) {
      key->fogSource = kFogVertex;
      key->fogFormula = static_cast<uint8_t>(vertex);
      key->rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
    } else if (hasSpecular || (key->lighting && key->specularEnable)) {
      key->fogSource = kFogSpecularAlpha;
    }
  }
  if (rs[D3DRS_ALPHATESTENABLE] != 0) {
    const DWORD func = rs[D3DRS_ALPHAFUNC];
    key->alphaFunc = static_cast<uint8_t>(func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? func : DWORD{D3DCMP_ALWAYS});
  }
  key->flatShade = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  int count = 0;
  for (int s = 0; s < kMaxStages; ++s) {
    const DWORD* ts = states_->stageStates[s];
    const DWORD colorOp = ts[D3DTSS_COLOROP];
    if (colorOp == D3DTOP_DISABLE || colorOp == 0 || colorOp > D3DTOP_LERP) break;
    StageKey& st = key->stages[s];
    st.colorOp = static_cast<uint8_t>(colorOp);
    const DWORD alphaOp = ts[D3DTSS_ALPHAOP];
    st.alphaOp =
        static_cast<uint8_t>(alphaOp >= D3DTOP_DISABLE && alphaOp <= D3DTOP_LERP ? alphaOp : DWORD{D3DTOP_DISABLE});
    st.colorArg[0] = static_cast<uint8_t>(ts[D3DTSS_COLORARG0] & 0x3F);
    st.colorArg[1] = static_cast<uint8_t>(ts[D3DTSS_COLORARG1] & 0x3F);
    st.colorArg[2] = static_cast<uint8_t>(ts[D3DTSS_COLORARG2] & 0x3F);
    if (st.alphaOp != D3DTOP_DISABLE) {
      st.alphaArg[0] = static_cast<uint8_t>(ts[D3DTSS_ALPHAARG0] & 0x3F);
      st.alphaArg[1] = static_cast<uint8_t>(ts[D3DTSS_ALPHAARG1] & 0x3F);
      st.alphaArg[2] = static_cast<uint8_t>(ts[D3DTSS_ALPHAARG2] & 0x3F);
    }
    st.resultTemp = ts[D3DTSS_RESULTARG] == D3DTA_TEMP;
    if (textures_[s] != 0) {
      st.texture = textureTargets_[s] == GL_TEXTURE_CUBE_MAP ? kTextureCube : kTexture2D;
      const DWORD index = ts[D3DTSS_TEXCOORDINDEX];
      st.texCoordSet = static_cast<uint8_t>((index & 0xFFFF) < kMaxTexCoordSets ? (index & 0xFFFF) : 0);
      st.inputSize =
          static_cast<uint8_t>(st.texCoordSet < layout.texCoordCount ? layout.texCoordSize[st.texCoordSet] : 0);
      const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS];
      st.projected = (flags & D3DTTFF_PROJECTED) != 0;
      if (!layout.transformed) {
        st.texGen = static_cast<uint8_t>((index >> 16) <= 3 ? (index >> 16) : 0);
        st.transformCount = static_cast<uint8_t>((flags & 0xFF) <= 4 ? (flags & 0xFF) : 0);
      } else if (st.projected) {
        // Pre-transformed coordinates are divided by their last one as given.
        st.transformCount = 0;
      }
    }
    count = s + 1;
  }
  key->stageCount = static_cast<uint8_t>(count);
}

void Renderer::UpdateDerivedTransforms() {
  const float* world = &states_->transforms[256].m[0][0];
  const float* view = &states_->transforms[D3DTS_VIEW].m[0][0];
  const float* projection = &states_->transforms[D3DTS_PROJECTION].m[0][0];
  float* worldViewProjection = &transforms_[0];
  float* worldView = &transforms_[28];
  Multiply(world, view, worldView);
  Multiply(worldView, projection, worldViewProjection);
  // Normals use the inverse transpose of the upper 3x3 of world * view; in
  // row-vector form that matrix is uploaded as it stands, its rows the
  // columns OpenGL reads.
  const float* m = worldView;
  const float a = m[0], b = m[1], c = m[2];
  const float d = m[4], e = m[5], f = m[6];
  const float g = m[8], h = m[9], i = m[10];
  const float c00 = e * i - f * h, c01 = f * g - d * i, c02 = d * h - e * g;
  const float c10 = c * h - b * i, c11 = a * i - c * g, c12 = b * g - a * h;
  const float c20 = b * f - c * e, c21 = c * d - a * f, c22 = a * e - b * d;
  const float det = a * c00 + b * c01 + c * c02;
  const float inv = std::fabs(det) > 1e-30f ? 1.0f / det : 0.0f;
  // (M^-1)^T = cofactor matrix / det.
  const float n[12] = {c00 * inv, c01 * inv, c02 * inv, 0.0f,      c10 * inv, c11 * inv,
                       c12 * inv, 0.0f,      c20 * inv, c21 * inv, c22 * inv, 0.0f};
  std::memcpy(&transforms_[16], n, sizeof(n));
  transformsDirty_ = false;
  ++transformSerial_;
}

void Renderer::UpdateLights() {
  // The first kMaxLights enabled lights, the directional ones first (the
  // programs write them out), each kind in the order of their indices.
  int enabled[kMaxLights];
  int count = 0;
  for (size_t i = 0; i < states_->lights.size() && count < kMaxLights; ++i) {
    if (states_->lights[i].enabled) enabled[count++] = static_cast<int>(i);
  }
  int order[kMaxLights];
  int directional = 0;
  for (int n = 0; n < count; ++n) {
    if (states_->lights[enabled[n]].light.Type == D3DLIGHT_DIRECTIONAL) order[directional++] = enabled[n];
  }
  for (int n = 0, next = directional; n < count; ++n) {
    if (states_->lights[enabled[n]].light.Type != D3DLIGHT_DIRECTIONAL) order[next++] = enabled[n];
  }
  uint8_t local = kLocalLightsNone;
  float data[kLightArrays][kMaxLights * 4] = {};
  const D3DMATRIX& v = states_->transforms[D3DTS_VIEW];
  for (int n = 0; n < count; ++n) {
    const D3DLIGHT8& light = states_->lights[order[n]].light;
    std::memcpy(&data[kLightDiffuse][n * 4], &light.Diffuse, 16);
    std::memcpy(&data[kLightSpecular][n * 4], &light.Specular, 16);
    std::memcpy(&data[kLightAmbient][n * 4], &light.Ambient, 16);
    const D3DVECTOR& dd = light.Direction;
    float dx = dd.x * v._11 + dd.y * v._21 + dd.z * v._31;
    float dy = dd.x * v._12 + dd.y * v._22 + dd.z * v._32;
    float dz = dd.x * v._13 + dd.y * v._23 + dd.z * v._33;
    const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (length > 0.0f) {
      dx /= length;
      dy /= length;
      dz /= length;
    }
    float* direction = &data[kLightDirection][n * 3];
    direction[0] = dx;
    direction[1] = dy;
    direction[2] = dz;
    if (light.Type == D3DLIGHT_DIRECTIONAL) continue;
    const D3DVECTOR& p = light.Position;
    float* position = &data[kLightPosition][n * 3];
    position[0] = p.x * v._11 + p.y * v._21 + p.z * v._31 + v._41;
    position[1] = p.x * v._12 + p.y * v._22 + p.z * v._32 + v._42;
    position[2] = p.x * v._13 + p.y * v._23 + p.z * v._33 + v._43;
    float* attenuation = &data[kLightAttenuation][n * 4];
    attenuation[0] = light.Attenuation0;
    attenuation[1] = light.Attenuation1;
    attenuation[2] = light.Attenuation2;
    attenuation[3] = light.Range;
    float* spot = &data[kLightSpot][n * 4];
    if (light.Type == D3DLIGHT_SPOT) {
      spot[0] = std::cos(light.Theta * 0.5f);
      spot[1] = std::cos(light.Phi * 0.5f);
      spot[2] = light.Falloff;
      local = kLocalLightsSpot;
    } else {
      // A cone wider than every angle: the whole light everywhere.
      spot[0] = kNoCone;
      spot[1] = kNoCone - 1.0f;
      spot[2] = 1.0f;
      if (local == kLocalLightsNone) local = kLocalLightsPoint;
    }
  }
  lightsDirty_ = false;
  // Engines set their lights again for every object they draw, mostly as
  // they were: the uniforms are sent again only when they changed.
  if (count == lightCount_ && directional == directionalLightCount_ && local == localLights_ &&
      std::memcmp(data, lightData_, sizeof(data)) == 0) {
    return;
  }
  std::memcpy(lightData_, data, sizeof(data));
  lightCount_ = count;
  directionalLightCount_ = directional;
  localLights_ = local;
  ++lightingSerial_;
  if (key_.lighting && (key_.directionalLights != directional || key_.localLights != local)) keyDirty_ = true;
}

void Renderer::UploadUniforms(Program* program) {
  const ProgramUniforms& u = program->uniforms;
  if (program->transformSerial != transformSerial_) {
    program->transformSerial = transformSerial_;
    glUniform4fv(u.transforms, kTransformVectors, transforms_);
  }
  if (program->viewportSerial != viewportSerial_) {
    program->viewportSerial = viewportSerial_;
    const float width = viewport_.Width > 0 ? static_cast<float>(viewport_.Width) : 1.0f;
    const float height = viewport_.Height > 0 ? static_cast<float>(viewport_.Height) : 1.0f;
    glUniform4f(u.viewport, static_cast<float>(viewport_.X), static_cast<float>(viewport_.Y), 1.0f / width,
                1.0f / height);
  }
  if (program->fixedSerial != fixedSerial_) {
    program->fixedSerial = fixedSerial_;
    const DWORD* rs = states_->renderStates;
    float color[4];
    if (u.textureFactor >= 0) {
      ColorToFloats(rs[D3DRS_TEXTUREFACTOR], color);
      glUniform4fv(u.textureFactor, 1, color);
    }
    if (u.fog >= 0) {
      glUniform4f(u.fog, BitsFloat(rs[D3DRS_FOGSTART]), BitsFloat(rs[D3DRS_FOGEND]), BitsFloat(rs[D3DRS_FOGDENSITY]),
                  0.0f);
    }
    if (u.fogColor >= 0) {
      ColorToFloats(rs[D3DRS_FOGCOLOR], color);
      glUniform3fv(u.fogColor, 1, color);
    }
    if (u.alphaRef >= 0) glUniform1f(u.alphaRef, static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF));
    if (u.ambient >= 0) {
      ColorToFloats(rs[D3DRS_AMBIENT], color);
      glUniform4fv(u.ambient, 1, color);
    }
    if (u.pointSize >= 0) glUniform1f(u.pointSize, BitsFloat(rs[D3DRS_POINTSIZE]));
  }
  if (program->materialSerial != materialSerial_) {
    program->materialSerial = materialSerial_;
    if (u.material >= 0) {
      const D3DMATERIAL8& m = states_->material;
      const float material[kMaterialVectors * 4] = {
          m.Diffuse.r,  m.Diffuse.g,  m.Diffuse.b,  m.Diffuse.a,  m.Ambient.r,  m.Ambient.g,  m.Ambient.b,
          m.Ambient.a,  m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a, m.Specular.r, m.Specular.g,
          m.Specular.b, m.Specular.a, m.Power,      0.0f,         0.0f,         0.0f};
      glUniform4fv(u.material, kMaterialVectors, material);
    }
  }
  if (program->lightingSerial != lightingSerial_) {
    program->lightingSerial = lightingSerial_;
    // Every slot: those without a light hold zeros.
    const GLsizei n = kMaxLights;
    if (u.lightDiffuse >= 0) glUniform4fv(u.lightDiffuse, n, lightData_[kLightDiffuse]);
    if (u.lightSpecular >= 0) glUniform4fv(u.lightSpecular, n, lightData_[kLightSpecular]);
    if (u.lightAmbient >= 0) glUniform4fv(u.lightAmbient, n, lightData_[kLightAmbient]);
    if (u.lightDirection >= 0) glUniform3fv(u.lightDirection, n, lightData_[kLightDirection]);
    if (u.lightPosition >= 0) glUniform3fv(u.lightPosition, n, lightData_[kLightPosition]);
    if (u.lightAttenuation >= 0) glUniform4fv(u.lightAttenuation, n, lightData_[kLightAttenuation]);
    if (u.lightSpot >= 0) glUniform4fv(u.lightSpot, n, lightData_[kLightSpot]);
  }
  if (program->textureMatrixSerial != textureMatrixSerial_) {
    program->textureMatrixSerial = textureMatrixSerial_;
    for (int s = 0; s < kMaxStages; ++s) {
      if (u.textureMatrix[s] >= 0) {
        glUniformMatrix4fv(u.textureMatrix[s], 1, GL_FALSE, &states_->transforms[D3DTS_TEXTURE0 + s].m[0][0]);
      }
    }
  }
}

void Renderer::ApplyFixedState() {
  const DWORD* rs = states_->renderStates;
  if (!glValid_) {
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glValid_ = true;
  }
  // The target's rows run top-down like Direct3D's, so the viewport is
  // given as it stands.
  glViewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y), static_cast<GLsizei>(viewport_.Width),
             static_cast<GLsizei>(viewport_.Height));
  glDepthRange(viewport_.MinZ, viewport_.MaxZ);

  if (rs[D3DRS_ZENABLE] != D3DZB_FALSE) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);

  if (rs[D3DRS_ALPHABLENDENABLE]) {
    glEnable(GL_BLEND);
    GLenum source = BlendFactor(rs[D3DRS_SRCBLEND]);
    GLenum dest = BlendFactor(rs[D3DRS_DESTBLEND]);
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
      source = GL_SRC_ALPHA;
      dest = GL_ONE_MINUS_SRC_ALPHA;
    } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
      source = GL_ONE_MINUS_SRC_ALPHA;
      dest = GL_SRC_ALPHA;
    }
    glBlendFunc(source, dest);
    switch (rs[D3DRS_BLENDOP]) {
      case D3DBLENDOP_SUBTRACT:
        glBlendEquation(GL_FUNC_SUBTRACT);
        break;
      case D3DBLENDOP_REVSUBTRACT:
        glBlendEquation(GL_FUNC_REVERSE_SUBTRACT);
        break;
      case D3DBLENDOP_MIN:
        glBlendEquation(GL_MIN);
        break;
      case D3DBLENDOP_MAX:
        glBlendEquation(GL_MAX);
        break;
      default:
        glBlendEquation(GL_FUNC_ADD);
        break;
    }
  } else {
    glDisable(GL_BLEND);
  }

  // Direct3D names the winding as seen on screen with y growing downwards;
  // with the top row first its clockwise is OpenGL's counter-clockwise.
  glFrontFace(GL_CCW);
  switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      break;
    case D3DCULL_CCW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      break;
    default:
      glDisable(GL_CULL_FACE);
      break;
  }

  if (rs[D3DRS_STENCILENABLE]) {
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(CompareFunction(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF]),
                  rs[D3DRS_STENCILMASK]);
    glStencilOp(StencilOperation(rs[D3DRS_STENCILFAIL]), StencilOperation(rs[D3DRS_STENCILZFAIL]),
                StencilOperation(rs[D3DRS_STENCILPASS]));
    glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
  } else {
    glDisable(GL_STENCIL_TEST);
    glStencilMask(0xFFFFFFFF);
  }

  const DWORD write = rs[D3DRS_COLORWRITEENABLE];
  glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);
  switch (rs[D3DRS_FILLMODE]) {
    case D3DFILL_POINT:
      glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
      break;
    case D3DFILL_WIREFRAME:
      glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      break;
    default:
      glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      break;
  }
  if (rs[D3DRS_ZBIAS] != 0) {
    // Each step of the bias pulls the surface one depth unit nearer.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(0.0f, -static_cast<float>(rs[D3DRS_ZBIAS] & 0x1F));
  } else {
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
  }
  // Without clipping, depth outside 0..1 is clamped instead of cutting the
  // primitive away.
  if (rs[D3DRS_CLIPPING]) {
    glDisable(GL_DEPTH_CLAMP);
  } else {
    glEnable(GL_DEPTH_CLAMP);
  }
  if (rs[D3DRS_DITHERENABLE]) {
    glEnable(GL_DITHER);
  } else {
    glDisable(GL_DITHER);
  }
  fixedDirty_ = false;
}

GLuint Renderer::SamplerFor(int stage) {
  const DWORD* ts = states_->stageStates[stage];
  const uint64_t key = (uint64_t(ts[D3DTSS_ADDRESSU] & 7)) | (uint64_t(ts[D3DTSS_ADDRESSV] & 7) << 3) |
                       (uint64_t(ts[D3DTSS_MAGFILTER] & 7) << 6) | (uint64_t(ts[D3DTSS_MINFILTER] & 7) << 9) |
                       (uint64_t(ts[D3DTSS_MIPFILTER] & 7) << 12) | (uint64_t(ts[D3DTSS_MAXANISOTROPY] & 31) << 15) |
                       (uint64_t(ts[D3DTSS_MAXMIPLEVEL] & 15) << 20) | (uint64_t(ts[D3DTSS_ADDRESSW] & 7) << 24) |
                       (uint64_t(ts[D3DTSS_BORDERCOLOR]) << 32);
  const auto fullKey = std::make_pair(key, uint32_t(ts[D3DTSS_MIPMAPLODBIAS]));
  auto found = samplers_.find(fullKey);
  if (found != samplers_.end()) return found->second;
  GLuint sampler = 0;
  glGenSamplers(1, &sampler);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(ts[D3DTSS_ADDRESSU])));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(ts[D3DTSS_ADDRESSV])));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, static_cast<GLint>(AddressMode(ts[D3DTSS_ADDRESSW])));
  float border[4];
  ColorToFloats(ts[D3DTSS_BORDERCOLOR], border);
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
  const DWORD mag = ts[D3DTSS_MAGFILTER];
  const DWORD min = ts[D3DTSS_MINFILTER];
  const DWORD mip = ts[D3DTSS_MIPFILTER];
  const bool minLinear = min >= D3DTEXF_LINEAR;
  GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
  if (mip == D3DTEXF_POINT) {
    minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  } else if (mip >= D3DTEXF_LINEAR) {
    minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
  }
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, mag >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
  if ((min == D3DTEXF_ANISOTROPIC || mag == D3DTEXF_ANISOTROPIC) && ts[D3DTSS_MAXANISOTROPY] > 1) {
    glSamplerParameterf(sampler, kMaxAnisotropyParameter, static_cast<float>(ts[D3DTSS_MAXANISOTROPY] & 31));
    glGetError();  // drivers without anisotropic filtering refuse the parameter
  }
  glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(ts[D3DTSS_MAXMIPLEVEL] & 15));
  // The bias is a float held in the state's bits; values that are not a
  // finite number leave the choice of level alone.
  float bias = 0.0f;
  std::memcpy(&bias, &ts[D3DTSS_MIPMAPLODBIAS], sizeof(bias));
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, std::isfinite(bias) ? bias : 0.0f);
  samplers_.emplace(fullKey, sampler);
  return sampler;
}

void Renderer::ApplyTextures() {
  for (int s = 0; s < key_.stageCount; ++s) {
    if (key_.stages[s].texture == kTextureNone) continue;
    if (boundTextures_[s] != textures_[s]) {
      glActiveTexture(GL_TEXTURE0 + s);
      glBindTexture(textureTargets_[s], textures_[s]);
      boundTextures_[s] = textures_[s];
    }
    if (samplerDirty_[s] || boundSamplers_[s] == ~0u) {
      const GLuint sampler = SamplerFor(s);
      samplerDirty_[s] = false;
      if (boundSamplers_[s] != sampler) {
        glBindSampler(static_cast<GLuint>(s), sampler);
        boundSamplers_[s] = sampler;
      }
    }
  }
}

void Renderer::BindVertexArray(GLuint buffer, GLintptr offset, GLsizei stride) {
  GLuint vao = fvfVertexArray_;
  if (vao == 0) {
    auto found = vertexArrays_.find(fvf_);
    if (found != vertexArrays_.end()) vao = found->second;
  }
  if (vao == 0) {
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    const FvfLayout& l = layout_;
    auto attribute = [](GLuint index, GLint size, GLenum type, GLboolean normalized, int relative) {
      glEnableVertexAttribArray(index);
      glVertexAttribFormat(index, size, type, normalized, static_cast<GLuint>(relative));
      glVertexAttribBinding(index, 0);
    };
    attribute(kAttribPosition, l.positionSize, GL_FLOAT, GL_FALSE, l.positionOffset);
    if (l.normalOffset >= 0) attribute(kAttribNormal, 3, GL_FLOAT, GL_FALSE, l.normalOffset);
    if (l.diffuseOffset >= 0) attribute(kAttribDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, l.diffuseOffset);
    if (l.specularOffset >= 0) attribute(kAttribSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, l.specularOffset);
    if (l.pointSizeOffset >= 0) attribute(kAttribPointSize, 1, GL_FLOAT, GL_FALSE, l.pointSizeOffset);
    for (int i = 0; i < l.texCoordCount; ++i) {
      attribute(kAttribTexCoord0 + static_cast<GLuint>(i), l.texCoordSize[i], GL_FLOAT, GL_FALSE, l.texCoordOffset[i]);
    }
    vertexArrays_.emplace(fvf_, vao);
    boundVertexArray_ = vao;
    boundArrayBuffer_ = 0;
    boundElementBuffer_ = 0;
  }
  fvfVertexArray_ = vao;
  if (boundVertexArray_ != vao) {
    glBindVertexArray(vao);
    boundVertexArray_ = vao;
    boundArrayBuffer_ = 0;
    boundElementBuffer_ = 0;
  }
  if (boundArrayBuffer_ != buffer || boundArrayOffset_ != offset || boundArrayStride_ != stride) {
    glBindVertexBuffer(0, buffer, offset, stride);
    boundArrayBuffer_ = buffer;
    boundArrayOffset_ = offset;
    boundArrayStride_ = stride;
  }
}

bool Renderer::PrepareDraw(DWORD type, UINT primitiveCount, GLenum* mode, GLsizei* count) {
  switch (type) {
    case D3DPT_POINTLIST:
      *mode = GL_POINTS;
      break;
    case D3DPT_LINELIST:
      *mode = GL_LINES;
      break;
    case D3DPT_LINESTRIP:
      *mode = GL_LINE_STRIP;
      break;
    case D3DPT_TRIANGLELIST:
      *mode = GL_TRIANGLES;
      break;
    case D3DPT_TRIANGLESTRIP:
      *mode = GL_TRIANGLE_STRIP;
      break;
    case D3DPT_TRIANGLEFAN:
      *mode = GL_TRIANGLE_FAN;
      break;
    default:
      return false;
  }
  *count = static_cast<GLsizei>(ElementCount(type, primitiveCount));
  if (!layout_.valid || primitiveCount == 0 || primitiveCount > 0x1000000) return false;
  if (transformsDirty_) UpdateDerivedTransforms();
  if (lightsDirty_) UpdateLights();
  if (keyDirty_) {
    BuildKey(&key_);
    const size_t compiled = programs_.CompiledCount();
    program_ = programs_.Get(key_);
    if (program_ != nullptr && key_.lighting && programs_.CompiledCount() != compiled) BuildLightSiblings();
    keyDirty_ = false;
  }
  if (program_ == nullptr) return false;
  if (!glValid_ || fixedDirty_) ApplyFixedState();
  if (boundProgram_ != program_->name) {
    glUseProgram(program_->name);
    boundProgram_ = program_->name;
  }
  UploadUniforms(program_);
  ApplyTextures();
  return true;
}

void Renderer::BuildLightSiblings() {
  ShaderKey sibling = key_;
  for (int kind = 0; kind < kLocalLightKinds; ++kind) {
    sibling.localLights = static_cast<uint8_t>(kind);
    if (programs_.Find(sibling) != nullptr) continue;
    Program* program = programs_.Get(sibling);
    if (program != nullptr) warming_.push_back(program);
  }
}

template <typename Draw>
void Renderer::WarmPrograms(const Draw& draw) {
  if (warming_.empty()) return;
  glEnable(GL_RASTERIZER_DISCARD);
  for (Program* program : warming_) {
    glUseProgram(program->name);
    UploadUniforms(program);
    draw();
  }
  glDisable(GL_RASTERIZER_DISCARD);
  glUseProgram(program_->name);
  warming_.clear();
}

bool Renderer::BeginLineEnds(GLenum mode) {
  if ((mode != GL_LINES && mode != GL_LINE_STRIP) || states_->renderStates[D3DRS_LASTPIXEL] == 0) return false;
  // The ends are one-pixel points whatever the point size; the fixed values
  // go up again with the next draw.
  if (program_->uniforms.pointSize >= 0) {
    glUniform1f(program_->uniforms.pointSize, 1.0f);
    program_->fixedSerial = 0;
  }
  return true;
}

HRESULT Renderer::DrawPrimitive(DWORD type, UINT startVertex, UINT primitiveCount) {
  if (primitiveCount == 0) return D3D_OK;
  if (streamBuffer_ == 0) return D3DERR_INVALIDCALL;
  GLenum mode;
  GLsizei count;
  if (!PrepareDraw(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
  const GLsizei stride = static_cast<GLsizei>(streamStride_ != 0 ? streamStride_ : layout_.stride);
  BindVertexArray(streamBuffer_, 0, stride);
  const auto draw = [&] { glDrawArrays(mode, static_cast<GLint>(startVertex), count); };
  WarmPrograms(draw);
  draw();
  if (BeginLineEnds(mode)) {
    if (mode == GL_LINE_STRIP) {
      glDrawArrays(GL_POINTS, static_cast<GLint>(startVertex) + count - 1, 1);
    } else {
      // Every second vertex, read with twice the stride.
      BindVertexArray(streamBuffer_, static_cast<GLintptr>(startVertex + 1) * stride, stride * 2);
      glDrawArrays(GL_POINTS, 0, count / 2);
    }
  }
  return D3D_OK;
}

HRESULT Renderer::DrawIndexedPrimitive(DWORD type, UINT /*minIndex*/, UINT /*vertexCount*/, UINT startIndex,
                                       UINT primitiveCount) {
  if (primitiveCount == 0) return D3D_OK;
  if (streamBuffer_ == 0 || indexBuffer_ == 0) return D3DERR_INVALIDCALL;
  GLenum mode;
  GLsizei count;
  if (!PrepareDraw(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
  const GLsizei stride = static_cast<GLsizei>(streamStride_ != 0 ? streamStride_ : layout_.stride);
  BindVertexArray(streamBuffer_, 0, stride);
  if (boundElementBuffer_ != indexBuffer_) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    boundElementBuffer_ = indexBuffer_;
  }
  const GLenum indexType = indexSize_ == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  const auto offset = static_cast<uintptr_t>(startIndex) * indexSize_;
  const auto draw = [&] {
    glDrawElementsBaseVertex(mode, count, indexType, reinterpret_cast<const void*>(offset),
                             static_cast<GLint>(baseVertexIndex_));
  };
  WarmPrograms(draw);
  draw();
  if (BeginLineEnds(mode)) {
    if (mode == GL_LINE_STRIP) {
      const auto last = offset + static_cast<uintptr_t>(count - 1) * indexSize_;
      glDrawElementsBaseVertex(GL_POINTS, 1, indexType, reinterpret_cast<const void*>(last),
                               static_cast<GLint>(baseVertexIndex_));
    } else if (indexMemory_ != nullptr && startIndex + static_cast<size_t>(count) <= indexMemoryCount_) {
      // Every second index of the list, from the copy in memory.
      std::vector<uint8_t> ends;
      const uint8_t* first = indexMemory_ + static_cast<size_t>(startIndex) * indexSize_;
      for (GLsizei i = 1; i < count; i += 2) {
        ends.insert(ends.end(), first + i * indexSize_, first + (i + 1) * indexSize_);
      }
      const GLintptr endsOffset = Stream(upIndexBuffer_, &upIndexCapacity_, &upIndexCursor_, ends.data(),
                                         static_cast<GLsizeiptr>(ends.size()), 4, GL_COPY_WRITE_BUFFER);
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, upIndexBuffer_);
      boundElementBuffer_ = upIndexBuffer_;
      glDrawElementsBaseVertex(GL_POINTS, count / 2, indexType, reinterpret_cast<const void*>(endsOffset),
                               static_cast<GLint>(baseVertexIndex_));
    }
  }
  return D3D_OK;
}

GLintptr Renderer::Stream(GLuint buffer, GLsizeiptr* capacity, GLintptr* cursor, const void* data, GLsizeiptr size,
                          GLsizeiptr alignment, GLenum target) {
  glBindBuffer(target, buffer);
  GLintptr start = (*cursor + alignment - 1) / alignment * alignment;
  if (*capacity == 0 || start + size > *capacity) {
    // Orphan the storage: draws still reading the old data keep it.
    if (size > *capacity) *capacity = size > kStreamBufferSize ? size : kStreamBufferSize;
    glBufferData(target, *capacity, nullptr, GL_STREAM_DRAW);
    start = 0;
  }
  glBufferSubData(target, start, size, data);
  *cursor = start + size;
  return start;
}

HRESULT Renderer::DrawPrimitiveUP(DWORD type, UINT primitiveCount, const void* vertices, UINT stride) {
  if (vertices == nullptr || stride == 0 || upVertexBuffer_ == 0) return D3DERR_INVALIDCALL;
  GLenum mode;
  GLsizei count;
  if (primitiveCount == 0) return D3D_OK;
  if (!PrepareDraw(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
  const GLsizeiptr size = static_cast<GLsizeiptr>(count) * stride;
  const GLintptr offset =
      Stream(upVertexBuffer_, &upVertexCapacity_, &upVertexCursor_, vertices, size, 16, GL_COPY_WRITE_BUFFER);
  BindVertexArray(upVertexBuffer_, offset, static_cast<GLsizei>(stride));
  const auto draw = [&] { glDrawArrays(mode, 0, count); };
  WarmPrograms(draw);
  draw();
  if (BeginLineEnds(mode)) {
    if (mode == GL_LINE_STRIP) {
      glDrawArrays(GL_POINTS, count - 1, 1);
    } else {
      BindVertexArray(upVertexBuffer_, offset + static_cast<GLintptr>(stride), static_cast<GLsizei>(stride) * 2);
      glDrawArrays(GL_POINTS, 0, count / 2);
    }
  }
  // Drawing from user memory leaves stream 0 and the indices unset.
  streamBuffer_ = 0;
  streamStride_ = 0;
  indexBuffer_ = 0;
  baseVertexIndex_ = 0;
  return D3D_OK;
}

HRESULT Renderer::DrawIndexedPrimitiveUP(DWORD type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                         const void* indices, UINT indexSize, const void* vertices, UINT stride) {
  if (vertices == nullptr || indices == nullptr || stride == 0 || (indexSize != 2 && indexSize != 4) ||
      upVertexBuffer_ == 0 || upIndexBuffer_ == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (primitiveCount == 0) return D3D_OK;
  // The device reports 0xFFFFFF as its largest vertex index.
  if (vertexCount == 0 || vertexCount > 0x1000000) return D3DERR_INVALIDCALL;
  GLenum mode;
  GLsizei count;
  if (!PrepareDraw(type, primitiveCount, &mode, &count)) return D3DERR_INVALIDCALL;
  // Only the vertices the indices may use are copied; indices outside
  // minIndex .. minIndex + vertexCount - 1 make the call fail.
  const auto* indexBytes = static_cast<const uint8_t*>(indices);
  for (GLsizei i = 0; i < count; ++i) {
    uint32_t index;
    if (indexSize == 2) {
      index = static_cast<uint32_t>(indexBytes[i * 2]) | (static_cast<uint32_t>(indexBytes[i * 2 + 1]) << 8);
    } else {
      std::memcpy(&index, indexBytes + i * 4, 4);
    }
    if (index < minIndex || index - minIndex >= vertexCount) return D3DERR_INVALIDCALL;
  }
  const auto* first = static_cast<const uint8_t*>(vertices) + static_cast<size_t>(minIndex) * stride;
  const GLintptr vertexOffset = Stream(upVertexBuffer_, &upVertexCapacity_, &upVertexCursor_, first,
                                       static_cast<GLsizeiptr>(vertexCount) * stride, 16, GL_COPY_WRITE_BUFFER);
  const GLintptr indexOffset = Stream(upIndexBuffer_, &upIndexCapacity_, &upIndexCursor_, indices,
                                      static_cast<GLsizeiptr>(count) * indexSize, 4, GL_COPY_WRITE_BUFFER);
  BindVertexArray(upVertexBuffer_, vertexOffset, static_cast<GLsizei>(stride));
  if (boundElementBuffer_ != upIndexBuffer_) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, upIndexBuffer_);
    boundElementBuffer_ = upIndexBuffer_;
  }
  const GLenum indexType = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  const auto draw = [&] {
    glDrawElementsBaseVertex(mode, count, indexType, reinterpret_cast<const void*>(indexOffset),
                             -static_cast<GLint>(minIndex));
  };
  WarmPrograms(draw);
  draw();
  if (BeginLineEnds(mode)) {
    // The indices of the line ends: the last one of a strip, every second
    // one of a list.
    std::vector<uint8_t> ends;
    for (GLsizei i = mode == GL_LINE_STRIP ? count - 1 : 1; i < count; i += 2) {
      ends.insert(ends.end(), indexBytes + i * indexSize, indexBytes + (i + 1) * indexSize);
    }
    const GLintptr endsOffset = Stream(upIndexBuffer_, &upIndexCapacity_, &upIndexCursor_, ends.data(),
                                       static_cast<GLsizeiptr>(ends.size()), 4, GL_COPY_WRITE_BUFFER);
    glDrawElementsBaseVertex(GL_POINTS, static_cast<GLsizei>(ends.size() / indexSize), indexType,
                             reinterpret_cast<const void*>(endsOffset), -static_cast<GLint>(minIndex));
  }
  streamBuffer_ = 0;
  streamStride_ = 0;
  indexBuffer_ = 0;
  baseVertexIndex_ = 0;
  return D3D_OK;
}

}  // namespace d3d8draw
