// Printing with a charset: one textured immediate-mode 2D quad a character,
// clipped to the raster of the camera in update, drawn as one indexed
// triangle list with the text's render states.
#include <cstring>

#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/camera.h"
#include "engine/src/plcore/error.h"
#include "engine/tool/charse/charset_internal.h"

namespace {

constexpr RwUInt32 kWhite = 0xFFFFFFFFu;
constexpr RwInt32 kTriangleList = 3;
constexpr RwInt32 kTextFilter = 1;  // nearest
constexpr RwInt32 kTextSrcBlend = 5;
constexpr RwInt32 kTextDestBlend = 6;
constexpr RwInt32 kTextCullMode = 1;  // none
constexpr RwUInt16 kQuadIndices[6] = {0, 1, 2, 0, 2, 3};

// The states the text sets, saved before and put back after the draw.
constexpr RwInt32 kSavedStates[] = {
    kRwRenderStateZTestEnable,   kRwRenderStateZWriteEnable,  kRwRenderStateSrcBlend, kRwRenderStateDestBlend,
    kRwRenderStateTextureRaster, kRwRenderStateTextureFilter, kRwRenderStateCullMode,
};
constexpr RwInt32 kSavedStateCount = sizeof kSavedStates / sizeof kSavedStates[0];

void* StateValue(RwInt32 value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

struct ScreenSpace {
  RwInt32 width;  // of the camera raster
  RwInt32 height;
  RwReal screenZ;
  RwReal recipZ;
  RwReal textureWidth;  // of the charset raster
  RwReal textureHeight;
};

// One character's quad; false (nothing written) when the glyph lies off the
// raster or the code has no glyph.
RwBool MakeQuad(const ScreenSpace& space, RwInt32 code, RwInt32 x, RwInt32 y, RwIm2DVertex* vertices) {
  const RwInt32 glyph = code - kRtCharsetFirstCode;
  if (_rtCharsetFontGlyph(glyph) == nullptr) {
    return FALSE;
  }
  if (!(y < space.height && y + kRtCharsetGlyphHeight > 0 && x < space.width && x + kRtCharsetGlyphWidth > 0)) {
    return FALSE;
  }
  const RwInt32 perRow = static_cast<RwInt32>(space.textureWidth) / kRtCharsetCellWidth;
  RwInt32 left = x;
  RwInt32 top = y;
  RwInt32 right = x + kRtCharsetGlyphWidth;
  RwInt32 bottom = y + kRtCharsetGlyphHeight;
  RwInt32 texLeft = (glyph % perRow) * kRtCharsetCellWidth;
  RwInt32 texTop = (glyph / perRow) * kRtCharsetCellHeight;
  RwInt32 texRight = texLeft + kRtCharsetGlyphWidth;
  RwInt32 texBottom = texTop + kRtCharsetGlyphHeight;
  if (left < 0) {
    texLeft -= left;
    left = 0;
  }
  if (top < 0) {
    texTop -= top;
    top = 0;
  }
  if (right > space.width - 1) {
    texRight -= right - (space.width - 1);
    right = space.width - 1;
  }
  if (bottom > space.height - 1) {
    texBottom -= bottom - (space.height - 1);
    bottom = space.height - 1;
  }
  const RwReal halfU = 0.5f / space.textureWidth;
  const RwReal halfV = 0.5f / space.textureHeight;
  const RwReal u0 = static_cast<RwReal>(texLeft) / space.textureWidth + halfU;
  const RwReal u1 = static_cast<RwReal>(texRight) / space.textureWidth + halfU;
  const RwReal v0 = static_cast<RwReal>(texTop) / space.textureHeight + halfV;
  const RwReal v1 = static_cast<RwReal>(texBottom) / space.textureHeight + halfV;
  const struct {
    RwInt32 x, y;
    RwReal u, v;
  } corners[4] = {{left, top, u0, v0}, {left, bottom, u0, v1}, {right, bottom, u1, v1}, {right, top, u1, v0}};
  for (int i = 0; i < 4; i++) {
    vertices[i] = {static_cast<RwReal>(corners[i].x),
                   static_cast<RwReal>(corners[i].y),
                   space.screenZ,
                   space.recipZ,
                   kWhite,
                   corners[i].u,
                   corners[i].v};
  }
  return TRUE;
}

}  // namespace

RwBool _rtCharsetDrawQuads(RtCharset* charset, RwIm2DVertex* vertices, RwUInt16* indices, RwInt32 quads) {
  void* saved[kSavedStateCount];
  for (RwInt32 i = 0; i < kSavedStateCount; i++) {
    saved[i] = nullptr;
    RwRenderStateGet(kSavedStates[i], &saved[i]);
  }
  RwRenderStateSet(kRwRenderStateZTestEnable, StateValue(0));
  RwRenderStateSet(kRwRenderStateZWriteEnable, StateValue(0));
  RwRenderStateSet(kRwRenderStateTextureFilter, StateValue(kTextFilter));
  RwRenderStateSet(kRwRenderStateTextureRaster, charset);
  RwRenderStateSet(kRwRenderStateSrcBlend, StateValue(kTextSrcBlend));
  RwRenderStateSet(kRwRenderStateDestBlend, StateValue(kTextDestBlend));
  RwRenderStateSet(kRwRenderStateCullMode, StateValue(kTextCullMode));
  const RwBool drawn = RwIm2DRenderIndexedPrimitive(kTriangleList, vertices, quads * 4, indices, quads * 6);
  for (RwInt32 i = 0; i < kSavedStateCount; i++) {
    RwRenderStateSet(kSavedStates[i], saved[i]);
  }
  return drawn;
}

void _rtCharsetBatchFlush(RtCharset* charset) {
  RtCharsetModule& module = _rtCharsetModule;
  if (module.pending > 0 && module.batchCharset == charset && charset != nullptr) {
    _rtCharsetDrawQuads(charset, module.vertices, module.indices, module.pending);
  }
  if (module.batchCharset == charset) {
    module.pending = 0;
    module.batchCharset = nullptr;
  }
}

RtCharset* RtCharsetPrint(RtCharset* charset, const RwChar* string, RwInt32 x, RwInt32 y) {
  if (charset == nullptr || string == nullptr) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrNullArgument);
    return nullptr;
  }
  const size_t length = std::strlen(string);
  if (length == 0) {
    return charset;
  }
  if (!_rtCharsetHoldsFont(charset)) {
    RwErrorRaise(kRtCharsetPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  // Text lands in the raster of the camera in update; without one there is
  // nowhere to draw.
  const RwCamera* camera = RwCameraGetCurrentCamera();
  if (camera == nullptr || camera->frameBuffer == nullptr || camera->nearPlane == 0.0f) {
    return nullptr;
  }
  // 16-bit indices reach 65536 vertices: 16384 characters a draw.
  const size_t characters = length < 16384 ? length : 16384;
  RwIm2DVertex* vertices = static_cast<RwIm2DVertex*>(RwMalloc(sizeof(RwIm2DVertex) * 4 * characters));
  RwUInt16* indices = static_cast<RwUInt16*>(RwMalloc(sizeof(RwUInt16) * 6 * characters));
  if (vertices == nullptr || indices == nullptr) {
    if (vertices != nullptr) {
      RwFree(vertices);
    }
    if (indices != nullptr) {
      RwFree(indices);
    }
    RwErrorRaise(kRtCharsetPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  const ScreenSpace space = {
      camera->frameBuffer->width, camera->frameBuffer->height,         RwIm2DGetNearScreenZ(),
      1.0f / camera->nearPlane,   static_cast<RwReal>(charset->width), static_cast<RwReal>(charset->height)};
  RwInt32 quads = 0;
  RwInt32 penX = x;
  for (size_t i = 0; i < characters; i++) {
    const RwInt32 code = static_cast<unsigned char>(string[i]);
    if (MakeQuad(space, code, penX, y, vertices + quads * 4)) {
      for (int k = 0; k < 6; k++) {
        indices[quads * 6 + k] = static_cast<RwUInt16>(kQuadIndices[k] + 4 * quads);
      }
      quads++;
    }
    penX += kRtCharsetGlyphWidth;
  }
  RtCharset* result = nullptr;
  if (quads > 0) {
    _rtCharsetDrawQuads(charset, vertices, indices, quads);
    result = charset;
  }
  RwFree(vertices);
  RwFree(indices);
  return result;
}
