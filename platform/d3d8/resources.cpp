// Textures, cube textures, surfaces and vertex and index buffers: their
// memory, locks, uploads to OpenGL and reference counts, and the device
// methods that create them.
#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/d3d8/device_internal.h"

namespace d3d8 {

bool g_dxtDecodeOnProcessor = false;

namespace {

UINT FullChainLength(UINT width, UINT height) {
  UINT levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(width >> 1, 1u);
    height = std::max(height >> 1, 1u);
    ++levels;
  }
  return levels;
}

bool IsPowerOfTwo(UINT value) { return value != 0 && (value & (value - 1)) == 0; }

GLenum CompressedGlFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_DXT1:
      return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
      return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    default:
      return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
  }
}

GLint ColourInternalFormat(D3DFORMAT format) { return FormatHasAlpha(format) ? GL_RGBA8 : GL_RGB8; }

// Byte offset of pixel (x, y) in a surface of this format and pitch.
size_t PixelOffset(D3DFORMAT format, size_t pitch, UINT x, UINT y) {
  if (IsDxtFormat(format)) return (y / 4) * pitch + (x / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
  return y * pitch + size_t(x) * FormatBytesPerPixel(format);
}

bool RectInside(const RECT& r, UINT width, UINT height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= LONG(width) &&
         r.bottom <= LONG(height);
}

}  // namespace

// ---------------------------------------------------------------------------
// What every resource shares

ULONG ResourceCore::ReleaseCommon() {
  ULONG left = --refs;
  if (left == 0) {
    if (device != nullptr) {
      device->MakeCurrent();
      DropGl();
      device->Untrack(this);
    }
    delete this;
  }
  return left;
}

HRESULT ResourceCore::GetDeviceCommon(IDirect3DDevice8** out) const {
  if (out == nullptr || device == nullptr) return D3DERR_INVALIDCALL;
  device->AddRef();
  *out = device;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Surface

ULONG Surface::AddRef() { return container != nullptr ? container->AddRefCommon() : AddRefCommon(); }

ULONG Surface::Release() { return container != nullptr ? container->ReleaseCommon() : ReleaseCommon(); }

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  desc->Format = format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = usage;
  desc->Pool = pool;
  desc->Size = FormatSurfaceSize(format, width, height);
  desc->MultiSampleType = D3DMULTISAMPLE_NONE;
  desc->Width = width;
  desc->Height = height;
  return D3D_OK;
}

void Surface::DropGl() {
  if (glTexture != 0) glDeleteTextures(1, &glTexture);
  if (glRenderbuffer != 0) glDeleteRenderbuffers(1, &glRenderbuffer);
  glTexture = 0;
  glRenderbuffer = 0;
}

size_t Surface::VideoBytes() const {
  if (container != nullptr || pool != D3DPOOL_DEFAULT) return 0;
  return size_t(width) * height * 4;
}

bool Surface::GpuResident() const {
  if (kind == SurfaceKind::BackBuffer || kind == SurfaceKind::RenderTarget) return true;
  return kind == SurfaceKind::TextureLevel && (usage & D3DUSAGE_RENDERTARGET) != 0;
}

void Surface::AttachColor(GLenum framebufferTarget) {
  if (container != nullptr) {
    GLenum target = container->glTarget == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
    glFramebufferTexture2D(framebufferTarget, GL_COLOR_ATTACHMENT0, target, container->glTexture, GLint(level));
  } else {
    glFramebufferTexture2D(framebufferTarget, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, glTexture, 0);
  }
}

void Surface::AttachDepth(GLenum framebufferTarget) {
  glFramebufferRenderbuffer(framebufferTarget, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, glRenderbuffer);
}

bool Surface::CoversWhole(const RECT& rect) const {
  return rect.left == 0 && rect.top == 0 && UINT(rect.right) == width && UINT(rect.bottom) == height;
}

void Surface::DefineBytes() {
  if (!bytesDefined) {
    std::fill(memory.begin(), memory.end(), uint8_t{0});
    bytesDefined = true;
  }
}

void Surface::ReadRect(const RECT& rect, uint8_t* dst, size_t dstPitch) {
  const UINT w = UINT(rect.right - rect.left), h = UINT(rect.bottom - rect.top);
  if (!GpuResident()) {
    DefineBytes();
    const size_t pitch = FormatPitch(format, width);
    const size_t rowBytes = FormatPitch(format, w);
    const UINT rows = FormatRowCount(format, h);
    const size_t start = PixelOffset(format, pitch, UINT(rect.left), UINT(rect.top));
    for (UINT row = 0; row < rows; ++row) {
      std::memcpy(dst + row * dstPitch, memory.data() + start + row * pitch, rowBytes);
    }
    return;
  }
  std::vector<uint8_t> rgba(size_t(w) * h * 4, 0);
  if (device != nullptr) {
    device->BindReadSurface(this);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // Rows are held top-down, so GL row order is the Direct3D order.
    glReadPixels(rect.left, rect.top, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    device->RestoreFramebuffer();
  }
  EncodeFromRgba(format, rgba.data(), w, h, dst, dstPitch);
}

void Surface::WriteRect(const RECT& rect, const uint8_t* src, size_t srcPitch) {
  const UINT w = UINT(rect.right - rect.left), h = UINT(rect.bottom - rect.top);
  if (!GpuResident()) {
    if (CoversWhole(rect)) {
      bytesDefined = true;  // every byte is written below
    } else {
      DefineBytes();
    }
    const size_t pitch = FormatPitch(format, width);
    const size_t rowBytes = FormatPitch(format, w);
    const UINT rows = FormatRowCount(format, h);
    const size_t start = PixelOffset(format, pitch, UINT(rect.left), UINT(rect.top));
    for (UINT row = 0; row < rows; ++row) {
      std::memcpy(memory.data() + start + row * pitch, src + row * srcPitch, rowBytes);
    }
    if (container != nullptr) container->MarkDirty(this);
    return;
  }
  if (device == nullptr) return;
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  DecodeToRgba(format, src, srcPitch, w, h, rgba.data(), nullptr);
  device->MakeCurrent();
  GLenum target = GL_TEXTURE_2D;
  if (container != nullptr) {
    glBindTexture(container->glTarget, container->glTexture);
    if (container->glTarget == GL_TEXTURE_CUBE_MAP) target = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
  } else {
    glBindTexture(GL_TEXTURE_2D, glTexture);
  }
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(target, GLint(level), rect.left, rect.top, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE,
                  rgba.data());
  device->glStateEpoch++;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
  if (device != nullptr) {
    device->recorder.Record("Surface::LockRect", {RecArg(this), RecArg(rect), flags});
  }
  if (out == nullptr || locked || kind == SurfaceKind::DepthStencil) return D3DERR_INVALIDCALL;
  RECT r = {0, 0, LONG(width), LONG(height)};
  if (rect != nullptr) r = *rect;
  if (!RectInside(r, width, height)) return D3DERR_INVALIDCALL;
  if (IsDxtFormat(format) && ((r.left | r.top) & 3) != 0) return D3DERR_INVALIDCALL;
  const size_t pitch = FormatPitch(format, width);
  const size_t offset = PixelOffset(format, pitch, UINT(r.left), UINT(r.top));
  if (GpuResident()) {
    memory.resize(pitch * FormatRowCount(format, height));
    ReadRect(r, memory.data() + offset, pitch);
  } else if (!bytesDefined) {
    // A lock for writing of the whole surface is taken to fill it.
    if (CoversWhole(r) && (flags & D3DLOCK_READONLY) == 0) {
      bytesDefined = true;
    } else {
      DefineBytes();
    }
  }
  out->Pitch = INT(pitch);
  out->pBits = memory.data() + offset;
  locked = true;
  lockRect = r;
  lockFlags = flags;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  if (lockFlags & D3DLOCK_READONLY) return D3D_OK;
  if (GpuResident()) {
    const size_t pitch = FormatPitch(format, width);
    WriteRect(lockRect, memory.data() + PixelOffset(format, pitch, UINT(lockRect.left), UINT(lockRect.top)), pitch);
  } else if (container != nullptr) {
    container->MarkDirty(this);
  }
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Textures

BaseTexture::~BaseTexture() {
  for (Surface* surface : surfaces) delete surface;
}

void BaseTexture::DropGl() {
  if (glTexture != 0) glDeleteTextures(1, &glTexture);
  glTexture = 0;
}

void BaseTexture::Orphan() {
  DropGl();
  device = nullptr;
  for (Surface* surface : surfaces) surface->device = nullptr;
}

size_t BaseTexture::VideoBytes() const {
  if (pool != D3DPOOL_DEFAULT) return 0;
  size_t bytes = 0;
  for (const Surface* surface : surfaces) bytes += size_t(surface->width) * surface->height * 4;
  return bytes;
}

void BaseTexture::Init(Device* owner, UINT faces, UINT width, UINT height, UINT levels, DWORD usageFlags,
                       D3DFORMAT textureFormat, D3DPOOL texturePool) {
  device = owner;
  usage = usageFlags;
  pool = texturePool;
  format = textureFormat;
  faceCount = faces;
  levelCount = levels;
  glTarget = faces == 6 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
  glCompressed = IsDxtFormat(format) && owner->HasS3tc() && !g_dxtDecodeOnProcessor;
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  owner->MakeCurrent();
  glGenTextures(1, &glTexture);
  glBindTexture(glTarget, glTexture);
  glTexParameteri(glTarget, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(glTarget, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  for (UINT face = 0; face < faces; ++face) {
    const GLenum target = faces == 6 ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
    UINT w = width, h = height;
    for (UINT level = 0; level < levels; ++level) {
      Surface* surface = new Surface;
      surface->kind = SurfaceKind::TextureLevel;
      surface->device = owner;
      surface->pool = pool;
      surface->usage = usage;
      surface->format = format;
      surface->width = w;
      surface->height = h;
      surface->level = level;
      surface->face = face;
      surface->container = this;
      surfaces.push_back(surface);
      // Render targets live in OpenGL from the start; other levels get
      // their storage at their first upload, which the first Prepare makes.
      dirty.push_back(!renderTarget);
      anyDirty = anyDirty || !renderTarget;
      glStorage.push_back(renderTarget);
      if (renderTarget) {
        glTexImage2D(target, GLint(level), ColourInternalFormat(format), GLsizei(w), GLsizei(h), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
      } else {
        surface->memory.resize(FormatSurfaceSize(format, w, h));
        surface->bytesDefined = false;
      }
      w = std::max(w >> 1, 1u);
      h = std::max(h >> 1, 1u);
    }
  }
  owner->glStateEpoch++;
  owner->Track(this);
}

void BaseTexture::MarkDirty(const Surface* surface) {
  dirty[surface->face * levelCount + surface->level] = true;
  anyDirty = true;
}

void BaseTexture::UploadLevel(Surface* surface) {
  const GLenum target =
      glTarget == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + surface->face : GL_TEXTURE_2D;
  const GLsizei w = GLsizei(surface->width), h = GLsizei(surface->height);
  const size_t slot = size_t(surface->face) * levelCount + surface->level;
  const bool hasStorage = glStorage[slot];
  glStorage[slot] = true;
  surface->DefineBytes();
  glBindTexture(glTarget, glTexture);
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  if (glCompressed) {
    glCompressedTexImage2D(target, GLint(surface->level), CompressedGlFormat(format), w, h, 0,
                           GLsizei(surface->memory.size()), surface->memory.data());
  } else {
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
    if (IsDxtFormat(format)) {
      DecodeDxtToRgba(format, surface->memory.data(), surface->width, surface->height, rgba.data());
    } else {
      uint64_t generation = 0;
      const PALETTEENTRY* palette = format == D3DFMT_P8 ? device->CurrentPalette(&generation) : nullptr;
      DecodeToRgba(format, surface->memory.data(), FormatPitch(format, surface->width), surface->width, surface->height,
                   rgba.data(), palette);
    }
    if (hasStorage) {
      glTexSubImage2D(target, GLint(surface->level), 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    } else {
      glTexImage2D(target, GLint(surface->level), ColourInternalFormat(format), w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                   rgba.data());
    }
  }
  device->glStateEpoch++;
}

GLuint BaseTexture::Prepare(GLenum* target) {
  if (device != nullptr) device->MakeCurrent();
  return PrepareInContext(target);
}

GLuint BaseTexture::PrepareInContext(GLenum* target) {
  if (target != nullptr) *target = glTarget;
  if (device == nullptr) return 0;
  if (format == D3DFMT_P8) {
    uint64_t generation = 0;
    device->CurrentPalette(&generation);
    if (device->state.currentPalette != expandedPalette || generation != expandedGeneration) {
      std::fill(dirty.begin(), dirty.end(), true);
      anyDirty = true;
      expandedPalette = device->state.currentPalette;
      expandedGeneration = generation;
    }
  }
  if (!anyDirty) return glTexture;
  anyDirty = false;
  for (size_t i = 0; i < surfaces.size(); ++i) {
    if (!dirty[i]) continue;
    dirty[i] = false;
    UploadLevel(surfaces[i]);
  }
  return glTexture;
}

BaseTexture* ToBaseTexture(IDirect3DBaseTexture8* texture) {
  if (texture == nullptr) return nullptr;
  if (texture->GetType() == D3DRTYPE_CUBETEXTURE) {
    return static_cast<CubeTexture*>(static_cast<IDirect3DCubeTexture8*>(texture));
  }
  return static_cast<Texture*>(static_cast<IDirect3DTexture8*>(texture));
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levelCount) return D3DERR_INVALIDCALL;
  return SurfaceAt(0, level)->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  if (surface == nullptr || level >= levelCount) return D3DERR_INVALIDCALL;
  AddRefCommon();
  *surface = SurfaceAt(0, level);
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= levelCount) return D3DERR_INVALIDCALL;
  return SurfaceAt(0, level)->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levelCount) return D3DERR_INVALIDCALL;
  return SurfaceAt(0, level)->UnlockRect();
}

HRESULT CubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levelCount) return D3DERR_INVALIDCALL;
  return SurfaceAt(0, level)->GetDesc(desc);
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** surface) {
  if (surface == nullptr || level >= levelCount || UINT(face) >= 6) return D3DERR_INVALIDCALL;
  AddRefCommon();
  *surface = SurfaceAt(UINT(face), level);
  return D3D_OK;
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                              DWORD flags) {
  if (level >= levelCount || UINT(face) >= 6) return D3DERR_INVALIDCALL;
  return SurfaceAt(UINT(face), level)->LockRect(locked, rect, flags);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  if (level >= levelCount || UINT(face) >= 6) return D3DERR_INVALIDCALL;
  return SurfaceAt(UINT(face), level)->UnlockRect();
}

// ---------------------------------------------------------------------------
// Buffers

BufferCore::~BufferCore() = default;

void BufferCore::DropGl() {
  if (glBuffer != 0) glDeleteBuffers(1, &glBuffer);
  glBuffer = 0;
  discarded = true;
}

HRESULT BufferCore::LockCommon(UINT offset, UINT size, BYTE** out, DWORD flags) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const size_t total = data.size();
  if (offset > total) return D3DERR_INVALIDCALL;
  if (size == 0) size = UINT(total - offset);
  if (size_t(offset) + size > total) return D3DERR_INVALIDCALL;
  lockSerial++;
  if (flags & D3DLOCK_DISCARD) {
    // Earlier contents are undefined after a discard; OpenGL gets a new store.
    discarded = true;
    dirtyBegin = dirtyEnd = 0;
  }
  if ((flags & D3DLOCK_READONLY) == 0 && size != 0) {
    if (dirtyEnd <= dirtyBegin) {
      dirtyBegin = offset;
      dirtyEnd = offset + size;
    } else {
      dirtyBegin = std::min(dirtyBegin, offset);
      dirtyEnd = std::max(dirtyEnd, offset + size);
    }
  }
  lockCount++;
  *out = data.data() + offset;
  return D3D_OK;
}

HRESULT BufferCore::UnlockCommon() {
  if (lockCount == 0) return D3DERR_INVALIDCALL;
  lockCount--;
  return D3D_OK;
}

GLuint BufferCore::Prepare() {
  if (device != nullptr) device->MakeCurrent();
  return PrepareInContext();
}

GLuint BufferCore::PrepareInContext() {
  if (device == nullptr) return 0;
  if (glBuffer == 0) {
    glGenBuffers(1, &glBuffer);
    discarded = true;
    dirtyBegin = 0;
    dirtyEnd = UINT(data.size());
  }
  // Most draws find nothing to upload and leave the bindings alone.
  if (!discarded && dirtyEnd <= dirtyBegin) return glBuffer;
  glBindBuffer(GL_COPY_WRITE_BUFFER, glBuffer);
  if (discarded) {
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(data.size()), nullptr,
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    discarded = false;
  }
  if (dirtyEnd > dirtyBegin) {
    glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(dirtyBegin), GLsizeiptr(dirtyEnd - dirtyBegin),
                    data.data() + dirtyBegin);
  }
  dirtyBegin = dirtyEnd = 0;
  return glBuffer;
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, BYTE** out, DWORD flags) {
  if (device != nullptr) device->recorder.Record("VertexBuffer::Lock", {RecArg(this), offset, size, flags});
  return LockCommon(offset, size, out, flags);
}

HRESULT VertexBuffer::Unlock() { return UnlockCommon(); }

HRESULT IndexBuffer::Lock(UINT offset, UINT size, BYTE** out, DWORD flags) {
  if (device != nullptr) device->recorder.Record("IndexBuffer::Lock", {RecArg(this), offset, size, flags});
  return LockCommon(offset, size, out, flags);
}

HRESULT IndexBuffer::Unlock() { return UnlockCommon(); }

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, UINT(data.size()), fvf};
  return D3D_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {format, D3DRTYPE_INDEXBUFFER, usage, pool, UINT(data.size())};
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Creation

namespace {

// Checks shared by 2D and cube textures; resolves a level count of 0.
HRESULT CheckTexture(const D3DCAPS8& caps, UINT width, UINT height, UINT* levels, DWORD usage, D3DFORMAT format,
                     D3DPOOL pool) {
  if (width == 0 || height == 0 || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsTextureFormatSupported(format)) return D3DERR_INVALIDCALL;
  if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) && (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))) {
    return D3DERR_INVALIDCALL;
  }
  if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_RENDERTARGET) {
    if (pool != D3DPOOL_DEFAULT || !IsRenderTargetFormat(format)) return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  const UINT chain = FullChainLength(width, height);
  if (*levels == 0 || *levels > chain) *levels = chain;
  return D3D_OK;
}

size_t TextureBytes(UINT width, UINT height, UINT levels, UINT faces) {
  size_t bytes = 0;
  for (UINT level = 0; level < levels; ++level) {
    bytes += size_t(std::max(width >> level, 1u)) * std::max(height >> level, 1u) * 4;
  }
  return bytes * faces;
}

// Zero-filled bytes, or false when memory runs out.
template <typename Bytes>
bool TryAllocate(Bytes* bytes, size_t size) {
  try {
    bytes->assign(size, 0);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

}  // namespace

bool Device::InitTexture(BaseTexture* texture, UINT faces, UINT width, UINT height, UINT levels, DWORD usage,
                         D3DFORMAT format, D3DPOOL pool) {
  try {
    texture->Init(this, faces, width, height, levels, usage, format, pool);
  } catch (const std::bad_alloc&) {
    // Init tracks the texture only once complete.
    MakeCurrent();
    texture->DropGl();
    delete texture;
    return false;
  }
  return true;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** texture) {
  recorder.Record("CreateTexture", {width, height, levels, usage, RecArg(uint32_t(format)), RecArg(uint32_t(pool))});
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  HRESULT result = CheckTexture(caps_, width, height, &levels, usage, format, pool);
  if (FAILED(result)) return result;
  if (pool == D3DPOOL_DEFAULT && OverBudget(TextureBytes(width, height, levels, 1))) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  Texture* created = new Texture;
  if (!InitTexture(created, 1, width, height, levels, usage, format, pool)) return E_OUTOFMEMORY;
  *texture = created;
  return D3D_OK;
}

HRESULT Device::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DCubeTexture8** cubeTexture) {
  recorder.Record("CreateCubeTexture", {edgeLength, levels, usage, RecArg(uint32_t(format)), RecArg(uint32_t(pool))});
  if (cubeTexture == nullptr) return D3DERR_INVALIDCALL;
  *cubeTexture = nullptr;
  if ((caps_.TextureCaps & D3DPTEXTURECAPS_CUBEMAP) == 0) return D3DERR_INVALIDCALL;
  HRESULT result = CheckTexture(caps_, edgeLength, edgeLength, &levels, usage, format, pool);
  if (FAILED(result)) return result;
  if ((caps_.TextureCaps & D3DPTEXTURECAPS_CUBEMAP_POW2) && !IsPowerOfTwo(edgeLength)) return D3DERR_INVALIDCALL;
  if (pool == D3DPOOL_DEFAULT && OverBudget(TextureBytes(edgeLength, edgeLength, levels, 6))) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  CubeTexture* created = new CubeTexture;
  if (!InitTexture(created, 6, edgeLength, edgeLength, levels, usage, format, pool)) return E_OUTOFMEMORY;
  *cubeTexture = created;
  return D3D_OK;
}

template <typename Buffer>
HRESULT Device::NewBuffer(UINT length, DWORD usage, D3DPOOL pool, Buffer** created) {
  if (length == 0 || (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM)) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  if (pool == D3DPOOL_DEFAULT && OverBudget(length)) return D3DERR_OUTOFVIDEOMEMORY;
  std::vector<uint8_t> bytes;
  if (!TryAllocate(&bytes, length)) return E_OUTOFMEMORY;
  Buffer* buffer = new Buffer;
  buffer->device = this;
  buffer->usage = usage;
  buffer->pool = pool;
  buffer->data.swap(bytes);
  Track(buffer);
  *created = buffer;
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** vertexBuffer) {
  recorder.Record("CreateVertexBuffer", {length, usage, fvf, RecArg(uint32_t(pool))});
  if (vertexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *vertexBuffer = nullptr;
  VertexBuffer* created = nullptr;
  const HRESULT result = NewBuffer(length, usage, pool, &created);
  if (FAILED(result)) return result;
  created->fvf = fvf;
  *vertexBuffer = created;
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** indexBuffer) {
  recorder.Record("CreateIndexBuffer", {length, usage, RecArg(uint32_t(format)), RecArg(uint32_t(pool))});
  if (indexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *indexBuffer = nullptr;
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  IndexBuffer* created = nullptr;
  const HRESULT result = NewBuffer(length, usage, pool, &created);
  if (FAILED(result)) return result;
  created->format = format;
  *indexBuffer = created;
  return D3D_OK;
}

HRESULT Device::CheckTargetSurface(UINT width, UINT height, bool formatAllowed, D3DMULTISAMPLE_TYPE multiSample) const {
  if (width == 0 || height == 0 || width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight || !formatAllowed ||
      multiSample != D3DMULTISAMPLE_NONE) {
    return D3DERR_INVALIDCALL;
  }
  if (OverBudget(size_t(width) * height * 4)) return D3DERR_OUTOFVIDEOMEMORY;
  return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, BOOL,
                                   IDirect3DSurface8** surface) {
  recorder.Record("CreateRenderTarget", {width, height, RecArg(uint32_t(format))});
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  const HRESULT result = CheckTargetSurface(width, height, IsRenderTargetFormat(format), multiSample);
  if (FAILED(result)) return result;
  *surface = NewColourSurface(SurfaceKind::RenderTarget, width, height, format);
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          IDirect3DSurface8** surface) {
  recorder.Record("CreateDepthStencilSurface", {width, height, RecArg(uint32_t(format))});
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  const HRESULT result = CheckTargetSurface(width, height, IsSupportedDepthFormat(format), multiSample);
  if (FAILED(result)) return result;
  *surface = NewDepthSurface(width, height, format);
  return D3D_OK;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) {
  recorder.Record("CreateImageSurface", {width, height, RecArg(uint32_t(format))});
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (width == 0 || height == 0 || !IsTextureFormatSupported(format)) return D3DERR_INVALIDCALL;
  SurfaceBytes bytes;
  if (!TryAllocate(&bytes, FormatSurfaceSize(format, width, height))) return E_OUTOFMEMORY;
  Surface* created = NewSurface(SurfaceKind::Image, D3DPOOL_SYSTEMMEM, 0, format, width, height);
  created->memory.swap(bytes);
  *surface = created;
  return D3D_OK;
}

}  // namespace d3d8
