// The drawing engine behind IDirect3DDevice8: takes every render, texture
// stage and transform state, the material and the lights, turns them into
// OpenGL state and a generated program, and issues the draw calls. It knows
// resources only by their OpenGL names, so the device hands it buffers and
// textures as names. Render targets hold the top row of the picture in
// OpenGL's row 0, as every surface of the stand-in does; OpenGL's fill rule
// for pixel centres on an edge is then Direct3D's top-left rule.
#pragma once

// The Windows types come first: they define APIENTRY for OpenGL's header.
#include "platform/d3d8/d3d8.h"

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/d3d8/draw_shader.h"
#include "platform/d3d8/draw_states.h"
#include "platform/d3d8/fvf.h"

namespace d3d8draw {

constexpr int kTransformStateCount = 260;  // D3DTS_WORLD (256) .. 259

// Vertices (or indices) a draw of primitiveCount primitives of the type
// reads; 0 for an unknown type.
uint64_t ElementCount(DWORD type, UINT primitiveCount);

class Renderer {
 public:
  // With shared states the renderer draws from them and stores what its Set
  // methods are given there (a device's own states); without, it keeps its
  // own, starting at the defaults with the z test on.
  explicit Renderer(FixedStates* shared = nullptr);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Creates the OpenGL objects the renderer owns (vertex arrays, streaming
  // buffers); needs the device's context current. False when GL fails.
  bool Open();
  // Releases them (context current).
  void Close();
  // The shared states may all have changed behind the renderer's back (a
  // device Reset): everything derived from them is rebuilt before the next
  // draw.
  void StatesChanged();
  // Forget what OpenGL state is believed set; call after other code changed
  // OpenGL state (clears, uploads, read-backs, a new render target).
  void InvalidateGlState();

  HRESULT SetRenderState(DWORD state, DWORD value);
  HRESULT SetTextureStageState(DWORD stage, DWORD type, DWORD value);
  HRESULT SetTransform(DWORD state, const D3DMATRIX* matrix);
  HRESULT SetMaterial(const D3DMATERIAL8* material);
  HRESULT SetLight(DWORD index, const D3DLIGHT8* light);
  HRESULT LightEnable(DWORD index, BOOL enable);
  // Only flexible vertex format codes: a handle with bit 0 set is refused.
  HRESULT SetVertexShader(DWORD fvf);
  DWORD GetVertexShader() const { return fvf_; }

  // Resources by OpenGL name (0 unbinds). target is GL_TEXTURE_2D or
  // GL_TEXTURE_CUBE_MAP.
  void SetTexture(DWORD stage, GLuint texture, GLenum target);
  void SetStreamSource(GLuint buffer, UINT stride);
  // indexSize is 2 or 4 bytes. indices, when given, is a copy of the
  // buffer's contents in memory (indexCount entries); indexed line lists
  // read their line ends from it.
  void SetIndices(GLuint buffer, UINT indexSize, UINT baseVertexIndex, const void* indices = nullptr,
                  size_t indexCount = 0);
  void SetViewport(const D3DVIEWPORT8& viewport);

  HRESULT DrawPrimitive(DWORD type, UINT startVertex, UINT primitiveCount);
  HRESULT DrawIndexedPrimitive(DWORD type, UINT minIndex, UINT vertexCount, UINT startIndex, UINT primitiveCount);
  HRESULT DrawPrimitiveUP(DWORD type, UINT primitiveCount, const void* vertices, UINT stride);
  HRESULT DrawIndexedPrimitiveUP(DWORD type, UINT minIndex, UINT vertexCount, UINT primitiveCount, const void* indices,
                                 UINT indexSize, const void* vertices, UINT stride);

  // For tests and the benchmark: programs held, and compiled in all.
  size_t ProgramCount() const { return programs_.Size(); }
  size_t ProgramsCompiled() const { return programs_.CompiledCount(); }
  const std::string& LastShaderError() const { return programs_.LastError(); }

 private:
  struct GlCache;

  bool PrepareDraw(DWORD type, UINT primitiveCount, GLenum* mode, GLsizei* count);
  // Direct3D draws the last pixel of a line (D3DRS_LASTPIXEL, on by default)
  // where OpenGL leaves it out: true when the line ends are to be drawn again
  // as one-pixel points, which it prepares.
  bool BeginLineEnds(GLenum mode);
  void BuildKey(ShaderKey* key) const;
  // With a lit program just built: the programs of its key for the other
  // kinds of local lights, built now and drawn with once (see WarmPrograms),
  // so that lights coming and going while the scene plays build nothing.
  void BuildLightSiblings();
  // Issues draw once with each program of warming_, nothing reaching the
  // target: software GL makes a program's machine code at its first draw.
  template <typename Draw>
  void WarmPrograms(const Draw& draw);
  void ApplyFixedState();
  void ApplyTextures();
  void UploadUniforms(Program* program);
  void BindVertexArray(GLuint buffer, GLintptr offset, GLsizei stride);
  GLuint SamplerFor(int stage);
  void UpdateDerivedTransforms();
  void UpdateLights();
  GLintptr Stream(GLuint buffer, GLsizeiptr* capacity, GLintptr* cursor, const void* data, GLsizeiptr size,
                  GLsizeiptr alignment, GLenum target);

  std::unique_ptr<FixedStates> ownStates_;  // null with shared states
  FixedStates* states_;
  DWORD fvf_ = 0;
  FvfLayout layout_;

  GLuint textures_[D3D8_TEXTURE_STAGE_COUNT] = {};
  GLenum textureTargets_[D3D8_TEXTURE_STAGE_COUNT] = {};
  GLuint streamBuffer_ = 0;
  UINT streamStride_ = 0;
  GLuint indexBuffer_ = 0;
  UINT indexSize_ = 2;
  UINT baseVertexIndex_ = 0;
  const uint8_t* indexMemory_ = nullptr;
  size_t indexMemoryCount_ = 0;
  D3DVIEWPORT8 viewport_ = {0, 0, 0, 0, 0.0f, 1.0f};

  // Derived values, rebuilt when their sources change.
  bool keyDirty_ = true;
  bool fixedDirty_ = true;
  bool transformsDirty_ = true;
  bool lightsDirty_ = true;
  uint32_t transformSerial_ = 1;
  uint32_t lightingSerial_ = 1;
  uint32_t materialSerial_ = 1;
  uint32_t fixedSerial_ = 1;
  uint32_t viewportSerial_ = 1;
  uint32_t textureMatrixSerial_ = 1;
  // World-view-projection, the normal matrix's columns, world-view (the
  // uniform array uTransforms).
  float transforms_[kTransformVectors * 4] = {};
  // The enabled lights as the programs read them, the directional ones
  // first: one array of each kind, vec4 or (direction, position) vec3
  // entries.
  enum LightArray {
    kLightDiffuse,
    kLightSpecular,
    kLightAmbient,
    kLightDirection,
    kLightPosition,
    kLightAttenuation,
    kLightSpot,
    kLightArrays
  };
  float lightData_[kLightArrays][kMaxLights * 4] = {};
  int lightCount_ = 0;
  int directionalLightCount_ = 0;
  uint8_t localLights_ = kLocalLightsNone;

  ShaderKey key_;
  Program* program_ = nullptr;
  ProgramCache programs_;
  // Programs built beside the current one, drawn once before its next draw.
  std::vector<Program*> warming_;

  // OpenGL objects and what is believed bound.
  std::unordered_map<uint32_t, GLuint> vertexArrays_;
  GLuint fvfVertexArray_ = 0;  // the vertex array of fvf_, 0 until looked up
  // Keyed by the packed addressing, filter and border word and the
  // level-of-detail bias bits.
  std::map<std::pair<uint64_t, uint32_t>, GLuint> samplers_;
  uint64_t samplerKeys_[D3D8_TEXTURE_STAGE_COUNT] = {};
  bool samplerDirty_[D3D8_TEXTURE_STAGE_COUNT] = {};
  GLuint upVertexBuffer_ = 0;
  GLuint upIndexBuffer_ = 0;
  GLsizeiptr upVertexCapacity_ = 0;
  GLsizeiptr upIndexCapacity_ = 0;
  GLintptr upVertexCursor_ = 0;
  GLintptr upIndexCursor_ = 0;
  bool glValid_ = false;
  GLuint boundProgram_ = 0;
  GLuint boundVertexArray_ = 0;
  GLuint boundArrayBuffer_ = 0;
  GLintptr boundArrayOffset_ = 0;
  GLsizei boundArrayStride_ = 0;
  GLuint boundElementBuffer_ = 0;
  GLuint boundTextures_[D3D8_TEXTURE_STAGE_COUNT] = {};
  GLuint boundSamplers_[D3D8_TEXTURE_STAGE_COUNT] = {};
};

}  // namespace d3d8draw
