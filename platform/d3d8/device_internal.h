// The Direct3D 8 stand-in's device and resource objects as the platform code
// sees them: the OpenGL objects behind every interface, the device's state
// and the call recorder used by tests.
//
// Conventions every part of the stand-in keeps:
// - Every colour surface (back buffer, render targets, texture levels) is held
//   in OpenGL top-down: GL row 0 is the Direct3D top row. Texture uploads need
//   no flip and texture coordinate v = 0 is the top row, as in Direct3D.
//   Drawing into a render target must therefore negate clip-space y (and so
//   swap the front-face winding); glViewport and glScissor take Direct3D
//   coordinates unchanged. Present flips when it blits to the window.
// - Rendering always goes to the device's framebuffer object `fbo`, which
//   holds the current render target and depth-stencil surface. Only the
//   device code binds framebuffers; it leaves `fbo` bound.
// - Whenever device code changes OpenGL state outside the drawing code
//   (texture uploads, buffer uploads, clears, copies, Present), it increments
//   `glStateEpoch`; the drawing code re-applies all its OpenGL state before
//   the next draw when the epoch differs from the one it last saw.
// - Before touching OpenGL every entry point calls MakeCurrent().
//
// How the drawing code plugs in: it defines the drawing methods of Device
// (declared below under "Drawing") and CreateDrawState/DestroyDrawState in
// its own files (draw_device.cpp). Before each draw it takes, for every stage
// with state.textures[stage] set, the OpenGL texture from
// BaseTexture::Prepare (which uploads pending writes and expands P8 through
// the current palette), the vertex and index buffers from BufferCore::Prepare
// (IndexBuffer::format gives the index size), the target size from
// TargetWidth/TargetHeight (always top-row-first) and the viewport from
// state.viewport. The render, stage and transform states, material and
// lights live in DeviceState, which the drawing code's renderer shares: while
// the drawing state exists, their Set methods go through the renderer, which
// stores the value and notes what it changes. Reset returns DeviceState to
// the defaults directly and moves glStateEpoch and resetSerial; the drawing
// code then rebuilds all it derives from the states. SetStreamSource and
// SetIndices keep their buffers in state.streams and state.indices with a
// reference each (the device releases them on Reset and destruction). Each
// method records itself with recorder.Record. ValidateDevice reads stage
// states through GetTextureStageState.
#pragma once

// The Windows types first: they define APIENTRY, which the OpenGL headers
// then keep.
#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/draw_states.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace d3d8 {

class Device;
class BaseTexture;

// An allocator whose resize leaves new elements uninitialised: pixel copies
// that are about to be overwritten are not cleared first.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* element) noexcept {
    ::new (static_cast<void*>(element)) U;
  }
  template <typename U, typename... Args>
  void construct(U* element, Args&&... args) {
    ::new (static_cast<void*>(element)) U(std::forward<Args>(args)...);
  }
};
using SurfaceBytes = std::vector<uint8_t, UninitialisedAllocator<uint8_t>>;

// ---------------------------------------------------------------------------
// Formats (formats.cpp)

// Bytes per pixel of an uncompressed format; 0 for block-compressed and
// unknown formats.
UINT FormatBytesPerPixel(D3DFORMAT format);
bool IsDxtFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
bool FormatHasAlpha(D3DFORMAT format);
// Bytes of one row of pixels (of 4x4 blocks for DXT formats) at this width.
UINT FormatPitch(D3DFORMAT format, UINT width);
// Bytes of a whole surface of this size.
UINT FormatSurfaceSize(D3DFORMAT format, UINT width, UINT height);
// Rows of the pitch above in a surface of this height (height / 4 rounded up
// for DXT formats).
UINT FormatRowCount(D3DFORMAT format, UINT height);

// Converts w x h pixels of an uncompressed format (P8 through the palette,
// whose peFlags is the alpha) into bytes R, G, B, A.
void DecodeToRgba(D3DFORMAT format, const uint8_t* src, size_t srcPitch, UINT width, UINT height, uint8_t* rgba,
                  const PALETTEENTRY* palette);
// Converts bytes R, G, B, A into an uncompressed non-palettised format.
void EncodeFromRgba(D3DFORMAT format, const uint8_t* rgba, UINT width, UINT height, uint8_t* dst, size_t dstPitch);
// Decodes DXT1..DXT5 blocks (rows of ceil(w/4) blocks) into bytes R, G, B, A.
void DecodeDxtToRgba(D3DFORMAT format, const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba);

// Test hook: DXT textures are decoded on the processor even with S3TC.
extern bool g_dxtDecodeOnProcessor;

// ---------------------------------------------------------------------------
// Capabilities (direct3d.cpp)

struct GlLimits {
  int maxTextureSize = 2048;
  bool s3tc = false;
  float maxAnisotropy = 1.0f;
};
// Limits of the OpenGL implementation, probed once with a hidden window.
const GlLimits& ProbeGlLimits();
void FillCaps(UINT adapter, D3DCAPS8* caps);
bool IsTextureFormatSupported(D3DFORMAT format);
bool IsRenderTargetFormat(D3DFORMAT format);
bool IsSupportedDepthFormat(D3DFORMAT format);
bool IsDisplayFormat(D3DFORMAT format);

// ---------------------------------------------------------------------------
// Call recording for tests (see d3d8_testing.h)

struct CallRecord {
  unsigned count = 0;
  std::vector<uint64_t> lastArgs;
};

struct LoggedCall {
  std::string method;
  std::vector<uint64_t> args;
};

class Recorder {
 public:
  bool enabled = false;
  std::map<std::string, CallRecord> calls;
  std::vector<LoggedCall> log;  // every call in order

  // Every device method calls this: small enough to vanish while off.
  void Record(const char* method, std::initializer_list<uint64_t> args) {
    if (enabled) Store(method, args);
  }
  void Store(const char* method, std::initializer_list<uint64_t> args);
};

inline uint64_t RecArg(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}
inline uint64_t RecArg(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }
inline uint64_t RecArg(uint64_t value) { return value; }
inline uint64_t RecArg(int64_t value) { return static_cast<uint64_t>(value); }
inline uint64_t RecArg(uint32_t value) { return value; }
inline uint64_t RecArg(int32_t value) { return static_cast<uint64_t>(static_cast<int64_t>(value)); }

// ---------------------------------------------------------------------------
// Resources

// What every resource shares: its device (null once the device is gone; the
// object then only frees its memory), pool and usage, its reference count and
// its place in the device's resource list.
class ResourceCore {
 public:
  virtual ~ResourceCore() = default;
  ULONG AddRefCommon() { return ++refs; }
  // At the last reference deletes the OpenGL objects, leaves the device's
  // list and deletes the object.
  ULONG ReleaseCommon();
  // Hands out the device with a reference of its own.
  HRESULT GetDeviceCommon(IDirect3DDevice8** out) const;
  // Deletes the OpenGL objects (the device's context is current).
  virtual void DropGl() = 0;
  // Bytes the resource takes in video memory (for the budget test hook).
  virtual size_t VideoBytes() const { return 0; }
  // The device is going: forget it (and drop the OpenGL objects first).
  virtual void Orphan() {
    DropGl();
    device = nullptr;
  }

  Device* device = nullptr;
  D3DPOOL pool = D3DPOOL_MANAGED;
  DWORD usage = 0;
  // Unused by texture levels, which count on their texture's.
  ULONG refs = 1;
  // The back buffer and the automatic depth buffer: owned by the device.
  bool implicit = false;
};

enum class SurfaceKind {
  TextureLevel,  // a level (and face) of a texture
  BackBuffer,
  RenderTarget,  // a stand-alone render target
  DepthStencil,
  Image,  // a system-memory image surface
};

class Surface final : public IDirect3DSurface8, public ResourceCore {
 public:
  // AddRef/Release go to the container for texture levels.
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice8** out) override { return GetDeviceCommon(out); }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  void DropGl() override;
  size_t VideoBytes() const override;

  // True when OpenGL holds the pixels (back buffer, render targets and levels
  // of render-target textures); otherwise `memory` does.
  bool GpuResident() const;
  // Reads or writes a rectangle as Direct3D-format bytes. Rectangles are
  // inside the surface (and block-aligned for DXT formats).
  void ReadRect(const RECT& rect, uint8_t* dst, size_t dstPitch);
  void WriteRect(const RECT& rect, const uint8_t* src, size_t srcPitch);
  // Attaches the surface's OpenGL object to the bound framebuffer.
  void AttachColor(GLenum framebufferTarget);
  void AttachDepth(GLenum framebufferTarget);
  // Clears `memory` unless its bytes are defined already.
  void DefineBytes();
  bool CoversWhole(const RECT& rect) const;

  SurfaceKind kind = SurfaceKind::Image;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  UINT width = 0;
  UINT height = 0;
  UINT level = 0;
  UINT face = 0;
  BaseTexture* container = nullptr;

  SurfaceBytes memory;  // D3D layout, FormatPitch per row
  // False while `memory` holds whatever its allocation held: a texture
  // level's copy is left uncleared at creation, as its first lock for
  // writing usually fills it whole; anything else clears it first.
  bool bytesDefined = true;
  GLuint glTexture = 0;       // stand-alone colour surfaces
  GLuint glRenderbuffer = 0;  // depth-stencil surfaces

  bool locked = false;
  RECT lockRect = {0, 0, 0, 0};
  DWORD lockFlags = 0;
};

// Shared by 2D and cube textures: levels of surfaces per face, the OpenGL
// texture, and palette tracking for P8.
class BaseTexture : public ResourceCore {
 public:
  ~BaseTexture() override;
  void DropGl() override;
  size_t VideoBytes() const override;
  void Orphan() override;

  // Makes the OpenGL texture current with every change: uploads levels
  // written since the last call and, for P8, re-expands every level when the
  // device's current palette (number or contents) differs from the one used.
  // Returns the OpenGL texture name (0 without a device); *target receives
  // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP.
  GLuint Prepare(GLenum* target);
  // The same with the device's context already current (a draw makes it so).
  GLuint PrepareInContext(GLenum* target);

  void Init(Device* owner, UINT faces, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
            D3DPOOL pool);
  Surface* SurfaceAt(UINT face, UINT level) { return surfaces[face * levelCount + level]; }
  void MarkDirty(const Surface* surface);
  void UploadLevel(Surface* surface);
  virtual IDirect3DBaseTexture8* Interface() = 0;

  D3DFORMAT format = D3DFMT_UNKNOWN;
  UINT faceCount = 1;
  UINT levelCount = 1;
  std::vector<Surface*> surfaces;  // face-major
  std::vector<bool> dirty;         // per surface
  bool anyDirty = false;           // one of dirty at least: most draws find none
  // Per surface: OpenGL holds storage for the level. Levels of textures that
  // are not render targets get it at their first upload, with their pixels,
  // rather than empty at creation.
  std::vector<bool> glStorage;
  GLenum glTarget = GL_TEXTURE_2D;
  GLuint glTexture = 0;
  bool glCompressed = false;  // DXT levels stored compressed by OpenGL
  // Palette the P8 levels were last expanded with.
  UINT expandedPalette = 0xFFFFFFFF;
  uint64_t expandedGeneration = 0;
};

class Texture final : public IDirect3DTexture8, public BaseTexture {
 public:
  ULONG AddRef() override { return AddRefCommon(); }
  ULONG Release() override { return ReleaseCommon(); }
  HRESULT GetDevice(IDirect3DDevice8** out) override { return GetDeviceCommon(out); }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD SetLOD(DWORD) override { return 0; }
  DWORD GetLOD() override { return 0; }
  DWORD GetLevelCount() override { return levelCount; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  IDirect3DBaseTexture8* Interface() override { return this; }
};

class CubeTexture final : public IDirect3DCubeTexture8, public BaseTexture {
 public:
  ULONG AddRef() override { return AddRefCommon(); }
  ULONG Release() override { return ReleaseCommon(); }
  HRESULT GetDevice(IDirect3DDevice8** out) override { return GetDeviceCommon(out); }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  DWORD SetLOD(DWORD) override { return 0; }
  DWORD GetLOD() override { return 0; }
  DWORD GetLevelCount() override { return levelCount; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;
  IDirect3DBaseTexture8* Interface() override { return this; }
};

// The BaseTexture behind an interface pointer handed to SetTexture (null for
// null).
BaseTexture* ToBaseTexture(IDirect3DBaseTexture8* texture);

// Vertex and index buffers keep their bytes in memory (so they can always be
// read back) and mirror them into an OpenGL buffer when drawn from.
class BufferCore : public ResourceCore {
 public:
  ~BufferCore() override;
  void DropGl() override;
  size_t VideoBytes() const override { return pool == D3DPOOL_DEFAULT ? data.size() : 0; }
  HRESULT LockCommon(UINT offset, UINT size, BYTE** out, DWORD flags);
  HRESULT UnlockCommon();
  // Uploads what changed since the last call and returns the OpenGL buffer
  // name (0 without a device). An upload binds it to GL_COPY_WRITE_BUFFER.
  GLuint Prepare();
  // The same with the device's context already current (a draw makes it so).
  GLuint PrepareInContext();

  std::vector<uint8_t> data;
  UINT lockCount = 0;
  UINT dirtyBegin = 0;
  UINT dirtyEnd = 0;
  bool discarded = true;  // the OpenGL buffer needs a fresh store
  GLuint glBuffer = 0;
  // Moves on every lock: whatever was derived from the bytes at an earlier
  // count may be stale.
  uint64_t lockSerial = 0;
};

class VertexBuffer final : public IDirect3DVertexBuffer8, public BufferCore {
 public:
  ULONG AddRef() override { return AddRefCommon(); }
  ULONG Release() override { return ReleaseCommon(); }
  HRESULT GetDevice(IDirect3DDevice8** out) override { return GetDeviceCommon(out); }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, BYTE** out, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

  DWORD fvf = 0;
};

class IndexBuffer final : public IDirect3DIndexBuffer8, public BufferCore {
 public:
  ULONG AddRef() override { return AddRefCommon(); }
  ULONG Release() override { return ReleaseCommon(); }
  HRESULT GetDevice(IDirect3DDevice8** out) override { return GetDeviceCommon(out); }
  DWORD SetPriority(DWORD) override { return 0; }
  DWORD GetPriority() override { return 0; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, BYTE** out, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  D3DFORMAT format = D3DFMT_INDEX16;
  // The largest index of the range last checked by an indexed draw, kept
  // while the buffer is not locked again so repeated draws skip the scan.
  struct RangeMax {
    uint64_t lockSerial = 0;
    uint64_t start = 0;
    uint64_t count = 0;
    uint64_t largest = 0;
    bool valid = false;
  } rangeMax;
};

// An additional swap chain: its own back buffer, presented into another
// window through the device's context.
class SwapChain final : public IDirect3DSwapChain8, public ResourceCore {
 public:
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND destWindowOverride, const RGNDATA* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) override;
  void DropGl() override {}

  HWND window = nullptr;
  Surface* backBuffer = nullptr;  // holds a reference
};

// ---------------------------------------------------------------------------
// Device state that both the device and the drawing code read.

struct StreamSlot {
  VertexBuffer* buffer = nullptr;  // holds a reference
  UINT stride = 0;
};

// The render, stage and transform states, the material and the lights come
// from FixedStates; the drawing code's renderer works on this same copy.
struct DeviceState : d3d8draw::FixedStates {
  D3DVIEWPORT8 viewport;
  DWORD vertexShader = 0;  // FVF code
  UINT vertexSize = 0;     // of the FVF code's vertices, 0 for none
  DWORD pixelShader = 0;
  StreamSlot streams[16];
  IndexBuffer* indices = nullptr;  // holds a reference
  UINT baseVertexIndex = 0;
  BaseTexture* textures[D3D8_TEXTURE_STAGE_COUNT] = {};  // hold references
  UINT currentPalette = 0;

  // Direct3D's defaults; the z test is on when the device has an automatic
  // depth buffer.
  void SetDefaults(bool zEnable);
};

// The drawing code's own objects (shaders, vertex arrays); defined and owned
// by the drawing code.
struct DrawState;
// Called with the device's context current: after it is created, and before
// it is destroyed.
DrawState* CreateDrawState(Device* device);
void DestroyDrawState(Device* device, DrawState* state);
// Programs the drawing code has compiled since it was created.
size_t DrawProgramsCompiled(const DrawState* state);

// ---------------------------------------------------------------------------
// The device

class Direct3D;

class Device final : public IDirect3DDevice8 {
 public:
  Device(Direct3D* d3d, UINT adapter);
  ~Device() override;
  // Creates the context and the back buffer; D3D_OK or an error.
  HRESULT Init(HWND window, DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params);

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT ResourceManagerDiscardBytes(DWORD bytes) override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
  HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params, IDirect3DSwapChain8** swapChain) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND destWindowOverride, const RGNDATA* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture8** texture) override;
  HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture8** cubeTexture) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** vertexBuffer) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** indexBuffer) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                             IDirect3DSurface8** surface) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    IDirect3DSurface8** surface) override;
  HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) override;
  HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT rectCount, IDirect3DSurface8* dest,
                    const POINT* destPoints) override;
  HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** depthStencil) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
  HRESULT ValidateDevice(DWORD* passes) override;
  HRESULT SetPaletteEntries(UINT paletteNumber, const PALETTEENTRY* entries) override;
  HRESULT GetPaletteEntries(UINT paletteNumber, PALETTEENTRY* entries) override;
  HRESULT SetCurrentTexturePalette(UINT paletteNumber) override;
  HRESULT GetCurrentTexturePalette(UINT* paletteNumber) override;

  // Drawing (implemented by the drawing code).
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetMaterial(const D3DMATERIAL8* material) override;
  HRESULT GetMaterial(D3DMATERIAL8* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
  HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                               UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                 const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                 UINT stride) override;
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT GetVertexShader(DWORD* handle) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
  HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
  HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) override;
  HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) override;
  HRESULT SetPixelShader(DWORD handle) override;
  HRESULT GetPixelShader(DWORD* handle) override;
  HRESULT DeletePixelShader(DWORD handle) override;
  HRESULT SetPixelShaderConstant(DWORD reg, const void* data, DWORD count) override;

  // --- Shared with the resources and the drawing code ---
  void MakeCurrent();
  void Track(ResourceCore* resource) { resources_.insert(resource); }
  void Untrack(ResourceCore* resource) { resources_.erase(resource); }
  // The palette P8 textures expand through now, with its change count.
  const PALETTEENTRY* CurrentPalette(uint64_t* generation);
  // Binds the scratch framebuffer for reading a colour surface.
  void BindReadSurface(Surface* surface);
  void RestoreFramebuffer();
  // A colour surface of its own OpenGL texture (back buffers and stand-alone
  // render targets).
  Surface* NewColourSurface(SurfaceKind kind, UINT width, UINT height, D3DFORMAT format);
  // A depth-stencil surface of its own OpenGL renderbuffer.
  Surface* NewDepthSurface(UINT width, UINT height, D3DFORMAT format);
  // Blits a colour surface into a window (the device's when null) and shows
  // it; the device's window is current again afterwards.
  HRESULT PresentSurface(Surface* surface, HWND window, const RECT* source, const RECT* dest);
  // The current render target's size.
  UINT TargetWidth() const;
  UINT TargetHeight() const;
  const D3DCAPS8& Caps() const { return caps_; }
  bool HasS3tc() const { return s3tc_; }

  DeviceState state;
  Recorder recorder;
  DrawState* draw = nullptr;
  uint64_t glStateEpoch = 1;
  // Counts successful Resets: every state then returns to its default (lights
  // and the vertex format included), so whatever the drawing code derived
  // from the states is stale when this moves.
  uint64_t resetSerial = 0;
  GLuint fbo = 0;

  // Test hooks (d3d8_testing.h).
  bool lost = false;
  bool resettable = true;  // while lost: whether Reset may succeed yet
  size_t videoBudget = 0;  // 0: unlimited
  size_t UsedVideoBytes() const;
  size_t LiveResourceCount() const;

 private:
  // Initialises a new texture; on running out of memory deletes it and
  // returns false.
  bool InitTexture(BaseTexture* texture, UINT faces, UINT width, UINT height, UINT levels, DWORD usage,
                   D3DFORMAT format, D3DPOOL pool);
  // What vertex and index buffers share: the length, pool and usage checks,
  // the budget and the memory. On success *created is a new tracked buffer.
  template <typename Buffer>
  HRESULT NewBuffer(UINT length, DWORD usage, D3DPOOL pool, Buffer** created);
  // The checks stand-alone render targets and depth-stencil surfaces share:
  // size, format (formatAllowed), no multisampling, and the budget.
  HRESULT CheckTargetSurface(UINT width, UINT height, bool formatAllowed, D3DMULTISAMPLE_TYPE multiSample) const;
  // A stand-alone surface of this device, tracked; its pixels are the
  // caller's to create.
  Surface* NewSurface(SurfaceKind kind, D3DPOOL pool, DWORD usage, D3DFORMAT format, UINT width, UINT height);
  HRESULT CreateSwapSurfaces(const D3DPRESENT_PARAMETERS& params);
  void ReleaseSwapSurfaces();
  void ReleaseBindings();
  void BindTargets();
  void ApplyViewport();
  void ApplyWindowMode(const D3DPRESENT_PARAMETERS& params);
  HRESULT ValidateParams(D3DPRESENT_PARAMETERS* params);
  bool OverBudget(size_t extraBytes) const;
  // Copies a rectangle between two surfaces OpenGL holds, without a trip
  // through memory.
  void BlitSurfaces(Surface* from, const RECT& rect, Surface* to, POINT at);

  Direct3D* d3d_;
  UINT adapter_;
  ULONG refs_ = 1;
  HWND window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  D3DCAPS8 caps_;
  bool s3tc_ = false;
  D3DPRESENT_PARAMETERS params_;
  bool inScene_ = false;
  Surface* backBuffer_ = nullptr;    // owned
  Surface* autoDepth_ = nullptr;     // owned, may be null
  Surface* renderTarget_ = nullptr;  // holds a reference
  Surface* depthStencil_ = nullptr;  // holds a reference, may be null
  GLuint readFbo_ = 0;
  GLuint copyFbo_ = 0;  // destination of surface-to-surface blits
  std::set<ResourceCore*> resources_;
  struct Palette {
    std::array<PALETTEENTRY, 256> entries;
    uint64_t generation = 0;  // changes whenever the entries do
  };
  std::map<UINT, Palette> palettes_;
  uint64_t paletteGeneration_ = 1;
};

// The Direct3D object.
class Direct3D final : public IDirect3D8 {
 public:
  Direct3D();
  ~Direct3D() override;
  bool Init();

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override;
  UINT GetAdapterModeCount(UINT adapter) override;
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                          BOOL windowed) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override;

  // The display modes of an adapter (built on first use).
  const std::vector<D3DDISPLAYMODE>& Modes(UINT adapter);

 private:
  ULONG refs_ = 1;
  bool ownsVideo_ = false;
  std::map<UINT, std::vector<D3DDISPLAYMODE>> modes_;
};

}  // namespace d3d8
