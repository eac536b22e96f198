// Drawing rasters into the current context raster (surface copies, or a
// textured quad into camera rasters) and clearing rectangles of it.
#include <cstring>

#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8convert_internal.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/texture.h"

namespace {

constexpr RwInt32 kBlendSrcAlpha = 5;
constexpr RwInt32 kBlendInvSrcAlpha = 6;
constexpr RwInt32 kQuadVertices = 4;
constexpr const char* kRenderCombination = "SRC, DST Raster render combination not supported";

RwD3D8RasterExtension* Ext(RwRaster* raster) { return _rwD3D8RasterExtensionGet(raster); }

RwRaster* Top(RwRaster* raster) { return raster->parent != nullptr ? raster->parent : raster; }

bool IsTextureType(RwUInt32 type) { return type == rwRASTERTYPENORMAL || type == rwRASTERTYPETEXTURE; }

bool IsCameraType(RwUInt32 type) { return type == rwRASTERTYPECAMERA || type == rwRASTERTYPECAMERATEXTURE; }

// Level 0 of a raster's texture, or the camera's render target (with a reference).
IDirect3DSurface8* RenderSurface(RwRaster* raster) {
  RwRaster* top = Top(raster);
  RwD3D8RasterExtension* extension = Ext(top);
  IDirect3DSurface8* surface = nullptr;
  if (top->type == rwRASTERTYPECAMERA) {
    if (extension != nullptr && extension->surface != nullptr) {
      extension->surface->AddRef();
      return extension->surface;
    }
    return SUCCEEDED(_rwD3D8RasterDevice()->GetRenderTarget(&surface)) ? surface : nullptr;
  }
  if (extension == nullptr || extension->texture == nullptr) {
    return nullptr;
  }
  HRESULT result;
  if (extension->cube) {
    result = static_cast<IDirect3DCubeTexture8*>(extension->texture)
                 ->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(extension->face), 0, &surface);
  } else {
    result = static_cast<IDirect3DTexture8*>(extension->texture)->GetSurfaceLevel(0, &surface);
  }
  return SUCCEEDED(result) ? surface : nullptr;
}

bool SurfaceCopy(RwRaster* source, RwRaster* context, RwInt32 x, RwInt32 y, bool scaled) {
  if (scaled) {
    return false;
  }
  IDirect3DSurface8* from = RenderSurface(source);
  IDirect3DSurface8* to = RenderSurface(context);
  bool ok = from != nullptr && to != nullptr;
  if (ok) {
    D3DSURFACE_DESC fromDesc;
    D3DSURFACE_DESC toDesc;
    ok = SUCCEEDED(from->GetDesc(&fromDesc)) && SUCCEEDED(to->GetDesc(&toDesc)) && fromDesc.Format == toDesc.Format;
    if (ok) {
      const RECT rect = {source->offsetX, source->offsetY, source->offsetX + source->width,
                         source->offsetY + source->height};
      const POINT at = {context->offsetX + x, context->offsetY + y};
      ok = SUCCEEDED(_rwD3D8RasterDevice()->CopyRects(from, &rect, 1, to, &at));
    }
  }
  if (from != nullptr) {
    from->Release();
  }
  if (to != nullptr) {
    to->Release();
  }
  return ok;
}

// Engine and Direct3D states a textured quad changes, saved to be restored.
struct SavedStates {
  void* srcBlend;
  void* destBlend;
  void* vertexAlpha;
  void* fog;
  void* filter;
  void* addressU;
  void* addressV;
  void* textureRaster;
  RwUInt32 zEnable;
  RwUInt32 cullMode;
};

SavedStates SaveStates() {
  SavedStates saved;
  std::memset(&saved, 0, sizeof(saved));
  RwD3D8RenderStateGet(kRwRenderStateSrcBlend, &saved.srcBlend);
  RwD3D8RenderStateGet(kRwRenderStateDestBlend, &saved.destBlend);
  RwD3D8RenderStateGet(kRwRenderStateVertexAlphaEnable, &saved.vertexAlpha);
  RwD3D8RenderStateGet(kRwRenderStateFogEnable, &saved.fog);
  RwD3D8RenderStateGet(kRwRenderStateTextureFilter, &saved.filter);
  RwD3D8RenderStateGet(kRwRenderStateTextureAddressU, &saved.addressU);
  RwD3D8RenderStateGet(kRwRenderStateTextureAddressV, &saved.addressV);
  RwD3D8RenderStateGet(kRwRenderStateTextureRaster, &saved.textureRaster);
  RwD3D8GetRenderState(D3DRS_ZENABLE, &saved.zEnable);
  RwD3D8GetRenderState(D3DRS_CULLMODE, &saved.cullMode);
  return saved;
}

void RestoreStates(const SavedStates& saved) {
  RwD3D8RenderStateSet(kRwRenderStateSrcBlend, saved.srcBlend);
  RwD3D8RenderStateSet(kRwRenderStateDestBlend, saved.destBlend);
  RwD3D8RenderStateSet(kRwRenderStateVertexAlphaEnable, saved.vertexAlpha);
  RwD3D8RenderStateSet(kRwRenderStateFogEnable, saved.fog);
  RwD3D8RenderStateSet(kRwRenderStateTextureFilter, saved.filter);
  RwD3D8RenderStateSet(kRwRenderStateTextureAddressU, saved.addressU);
  RwD3D8RenderStateSet(kRwRenderStateTextureAddressV, saved.addressV);
  RwD3D8RenderStateSet(kRwRenderStateTextureRaster, saved.textureRaster);
  RwD3D8SetRenderState(D3DRS_ZENABLE, saved.zEnable);
  RwD3D8SetRenderState(D3DRS_CULLMODE, saved.cullMode);
}

void* AsState(RwInt32 value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

bool DrawQuad(RwRaster* source, RwRaster* context, const RwRect& area, bool scaled, bool blended) {
  IDirect3DDevice8* device = _rwD3D8RasterDevice();
  RwRaster* contextTop = Top(context);
  RwD3D8RasterExtension* contextExtension = Ext(contextTop);
  IDirect3DSurface8* oldTarget = nullptr;
  IDirect3DSurface8* oldDepth = nullptr;
  IDirect3DSurface8* textureTarget = nullptr;
  const bool intoTexture = contextTop->type == rwRASTERTYPECAMERATEXTURE;
  if (intoTexture) {
    textureTarget = RenderSurface(contextTop);
    if (textureTarget == nullptr) {
      return false;
    }
    device->GetRenderTarget(&oldTarget);
    device->GetDepthStencilSurface(&oldDepth);
    if (contextExtension->renderTarget) {
      device->SetRenderTarget(textureTarget, oldDepth);
    }
  }
  D3DVIEWPORT8 oldViewport;
  device->GetViewport(&oldViewport);
  const D3DVIEWPORT8 viewport = {static_cast<DWORD>(context->offsetX),
                                 static_cast<DWORD>(context->offsetY),
                                 static_cast<DWORD>(context->width),
                                 static_cast<DWORD>(context->height),
                                 0.0f,
                                 1.0f};
  device->SetViewport(&viewport);

  const SavedStates saved = SaveStates();
  RwRaster* sourceTop = Top(source);
  RwD3D8RasterExtension* sourceExtension = Ext(sourceTop);
  RwD3D8RenderStateSet(kRwRenderStateTextureRaster, source);
  // Bound directly as well, so that the quad is textured whatever the state
  // cache knows of rasters; unbound again after the draw.
  device->SetTexture(0, RwD3D8RasterGetD3DTexture(source));
  RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  RwD3D8SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  const bool alpha = blended && sourceExtension != nullptr && sourceExtension->hasAlpha;
  RwD3D8RenderStateSet(kRwRenderStateVertexAlphaEnable, AsState(alpha ? 1 : 0));
  if (alpha) {
    RwD3D8RenderStateSet(kRwRenderStateSrcBlend, AsState(kBlendSrcAlpha));
    RwD3D8RenderStateSet(kRwRenderStateDestBlend, AsState(kBlendInvSrcAlpha));
  }
  RwD3D8RenderStateSet(kRwRenderStateFogEnable, AsState(0));
  RwD3D8RenderStateSet(kRwRenderStateTextureFilter, AsState(scaled ? kRwFilterLinear : kRwFilterNearest));
  RwD3D8RenderStateSet(kRwRenderStateTextureAddress, AsState(kRwTextureAddressClamp));
  RwD3D8SetRenderState(D3DRS_ZENABLE, 0);
  RwD3D8SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  const RwReal parentWidth = static_cast<RwReal>(sourceTop->width);
  const RwReal parentHeight = static_cast<RwReal>(sourceTop->height);
  const RwReal u0 = source->offsetX / parentWidth;
  const RwReal u1 = (source->offsetX + source->width) / parentWidth;
  const RwReal v0 = source->offsetY / parentHeight;
  const RwReal v1 = (source->offsetY + source->height) / parentHeight;
  const RwReal x0 = static_cast<RwReal>(area.x);
  const RwReal y0 = static_cast<RwReal>(area.y);
  const RwReal x1 = static_cast<RwReal>(area.x + area.w);
  const RwReal y1 = static_cast<RwReal>(area.y + area.h);
  RwIm2DVertex quad[kQuadVertices] = {
      {x0, y0, 0.0f, 1.0f, 0xFFFFFFFFu, u0, v0},
      {x0, y1, 0.0f, 1.0f, 0xFFFFFFFFu, u0, v1},
      {x1, y0, 0.0f, 1.0f, 0xFFFFFFFFu, u1, v0},
      {x1, y1, 0.0f, 1.0f, 0xFFFFFFFFu, u1, v1},
  };
  const bool drawn = RwD3D8Im2DRenderPrimitive(kRwPrimTypeTriStrip, quad, kQuadVertices) != FALSE;
  device->SetTexture(0, nullptr);
  RestoreStates(saved);
  device->SetViewport(&oldViewport);

  bool ok = drawn;
  if (intoTexture) {
    if (contextExtension->renderTarget) {
      device->SetRenderTarget(oldTarget, oldDepth);
    } else if (ok && oldTarget != nullptr) {
      const RECT rect = {context->offsetX, context->offsetY, context->offsetX + context->width,
                         context->offsetY + context->height};
      const POINT at = {context->offsetX, context->offsetY};
      ok = SUCCEEDED(device->CopyRects(oldTarget, &rect, 1, textureTarget, &at));
    }
    textureTarget->Release();
    if (oldTarget != nullptr) {
      oldTarget->Release();
    }
    if (oldDepth != nullptr) {
      oldDepth->Release();
    }
  }
  return ok;
}

RwBool Render(RwRaster* source, const RwRect& area, bool scaled, bool blended) {
  RwRaster* context = _rwD3D8RasterGetContext();
  if (source == nullptr) {
    return FALSE;
  }
  const RwUInt32 sourceType = Top(source)->type;
  const RwUInt32 contextType = context != nullptr ? RwUInt32{Top(context)->type} : RwUInt32{rwRASTERTYPEZBUFFER};
  // Unsupported combinations and failed copies are reported alike.
  bool ok = false;
  if (sourceType == rwRASTERTYPEZBUFFER || context == nullptr) {
    ok = false;
  } else if (IsTextureType(contextType)) {
    ok =
        (IsTextureType(sourceType) || IsCameraType(sourceType)) && SurfaceCopy(source, context, area.x, area.y, scaled);
  } else if (IsCameraType(contextType)) {
    if (sourceType == rwRASTERTYPECAMERA) {
      ok = SurfaceCopy(source, context, area.x, area.y, scaled);
    } else if (IsTextureType(sourceType) || sourceType == rwRASTERTYPECAMERATEXTURE) {
      ok = DrawQuad(source, context, area, scaled, blended);
    }
  }
  if (!ok) {
    _rwD3D8RasterRaiseDriver(kRenderCombination);
    return FALSE;
  }
  return TRUE;
}

// The nearest palette entry: least sum of squared byte differences, the
// first of equal ones, stopping at an exact match.
RwUInt8 NearestEntry(const RwD3D8Palette* palette, RwUInt32 value) {
  RwUInt8 wanted[4];
  std::memcpy(wanted, &value, 4);
  RwUInt32 best = 0xFFFFFFFFu;
  RwUInt8 index = 0;
  for (RwInt32 i = 0; i < kRwD3D8PaletteEntries; ++i) {
    RwUInt32 distance = 0;
    for (RwInt32 b = 0; b < 4; ++b) {
      const RwInt32 d = static_cast<RwInt32>(wanted[b]) - palette->entries[i][b];
      distance += static_cast<RwUInt32>(d * d);
    }
    if (distance < best) {
      best = distance;
      index = static_cast<RwUInt8>(i);
      if (distance == 0) {
        break;
      }
    }
  }
  return index;
}

bool FillRect(RwRaster* context, const RwRect& rect, RwUInt32 value) {
  RwUInt8* pixels = nullptr;
  if (!RwD3D8RasterLock(&pixels, context, static_cast<RwInt32>(rwRASTERLOCKWRITE))) {
    return false;
  }
  bool ok = true;
  RwD3D8RasterExtension* extension = Ext(Top(context));
  const RwInt32 depth = context->depth;
  RwUInt32 stored = value;
  if (depth == 8) {
    stored = (extension != nullptr && extension->palette != nullptr) ? NearestEntry(extension->palette, value)
                                                                     : (value & 0xFF);
  }
  for (RwInt32 y = rect.y; y < rect.y + rect.h && ok; ++y) {
    RwUInt8* row = pixels + static_cast<size_t>(y) * context->stride;
    for (RwInt32 x = rect.x; x < rect.x + rect.w; ++x) {
      if (depth == 32) {
        std::memcpy(row + 4 * static_cast<size_t>(x), &stored, 4);
      } else if (depth == 16) {
        const RwUInt16 half = static_cast<RwUInt16>(stored);
        std::memcpy(row + 2 * static_cast<size_t>(x), &half, 2);
      } else if (depth == 8) {
        row[x] = static_cast<RwUInt8>(stored);
      } else {
        ok = false;
        break;
      }
    }
  }
  RwD3D8RasterUnlock(nullptr, context, 0);
  return ok;
}

D3DCOLOR ClearColour(RwRaster* context, RwUInt32 value) {
  if (context->depth == 32) {
    return value;
  }
  RwRGBA colour = {0, 0, 0, 0};
  RwUInt32 packed = value;
  if (_rwD3D8UnpackPixel(value, _rwD3D8RasterFormatFlags(context), &colour)) {
    _rwD3D8PackColour(&colour, rwRASTERFORMAT8888, &packed);
  }
  return packed;
}

D3DRECT DeviceRect(const RwRaster* context, const RwRect& rect) {
  const LONG x = context->offsetX + rect.x;
  const LONG y = context->offsetY + rect.y;
  return {x, y, x + rect.w, y + rect.h};
}

bool ClearDepth(RwRaster* context, const RwRect& rect) {
  IDirect3DDevice8* device = _rwD3D8RasterDevice();
  RwD3D8RasterExtension* extension = Ext(Top(context));
  if (extension == nullptr || extension->surface == nullptr) {
    return false;
  }
  IDirect3DSurface8* target = nullptr;
  IDirect3DSurface8* depth = nullptr;
  device->GetRenderTarget(&target);
  device->GetDepthStencilSurface(&depth);
  const bool swap = depth != extension->surface;
  if (swap) {
    device->SetRenderTarget(target, extension->surface);
  }
  const D3DRECT area = DeviceRect(context, rect);
  const bool ok = SUCCEEDED(device->Clear(1, &area, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
  if (swap) {
    device->SetRenderTarget(target, depth);
  }
  if (target != nullptr) {
    target->Release();
  }
  if (depth != nullptr) {
    depth->Release();
  }
  return ok;
}

bool ClearCameraTexture(RwRaster* context, const RwRect& rect, D3DCOLOR colour) {
  IDirect3DDevice8* device = _rwD3D8RasterDevice();
  RwD3D8RasterExtension* extension = Ext(Top(context));
  IDirect3DSurface8* level = RenderSurface(context);
  if (extension == nullptr || level == nullptr) {
    return false;
  }
  IDirect3DSurface8* target = nullptr;
  IDirect3DSurface8* depth = nullptr;
  device->GetRenderTarget(&target);
  device->GetDepthStencilSurface(&depth);
  const D3DRECT area = DeviceRect(context, rect);
  bool ok;
  if (extension->renderTarget) {
    device->SetRenderTarget(level, depth);
    ok = SUCCEEDED(device->Clear(1, &area, D3DCLEAR_TARGET, colour, 1.0f, 0));
    device->SetRenderTarget(target, depth);
  } else {
    ok = SUCCEEDED(device->Clear(1, &area, D3DCLEAR_TARGET, colour, 1.0f, 0));
    const RECT from = {area.x1, area.y1, area.x2, area.y2};
    const POINT at = {area.x1, area.y1};
    ok = ok && target != nullptr && SUCCEEDED(device->CopyRects(target, &from, 1, level, &at));
  }
  level->Release();
  if (target != nullptr) {
    target->Release();
  }
  if (depth != nullptr) {
    depth->Release();
  }
  return ok;
}

}  // namespace

RwBool RwD3D8RasterRender(void* raster, void* position, RwInt32 /*unused*/) {
  RwRaster* source = static_cast<RwRaster*>(raster);
  const RwInt32* at = static_cast<const RwInt32*>(position);
  if (source == nullptr || at == nullptr) {
    return FALSE;
  }
  return Render(source, {at[0], at[1], source->width, source->height}, false, true);
}

RwBool RwD3D8RasterRenderScaled(void* raster, void* rect, RwInt32 /*unused*/) {
  if (raster == nullptr || rect == nullptr) {
    return FALSE;
  }
  RwRaster* source = static_cast<RwRaster*>(raster);
  const RwRect& area = *static_cast<const RwRect*>(rect);
  const bool scaled = area.w != source->width || area.h != source->height;
  return Render(source, area, scaled, true);
}

RwBool RwD3D8RasterRenderFast(void* raster, void* position, RwInt32 /*unused*/) {
  RwRaster* source = static_cast<RwRaster*>(raster);
  const RwInt32* at = static_cast<const RwInt32*>(position);
  if (source == nullptr || at == nullptr) {
    return FALSE;
  }
  return Render(source, {at[0], at[1], source->width, source->height}, false, false);
}

RwBool RwD3D8RasterClearRect(void* /*unused*/, void* rectObject, RwInt32 value) {
  RwRaster* context = _rwD3D8RasterGetContext();
  if (context == nullptr || rectObject == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
    return FALSE;
  }
  // The rectangle is clipped to the context raster.
  RwRect rect = *static_cast<const RwRect*>(rectObject);
  const RwInt32 right = rect.x + rect.w < context->width ? rect.x + rect.w : context->width;
  const RwInt32 bottom = rect.y + rect.h < context->height ? rect.y + rect.h : context->height;
  rect.x = rect.x > 0 ? rect.x : 0;
  rect.y = rect.y > 0 ? rect.y : 0;
  rect.w = right - rect.x;
  rect.h = bottom - rect.y;
  if (rect.w <= 0 || rect.h <= 0) {
    return TRUE;
  }
  const RwUInt32 pixel = static_cast<RwUInt32>(value);
  bool ok = false;
  switch (Top(context)->type) {
    case rwRASTERTYPENORMAL:
    case rwRASTERTYPETEXTURE:
      ok = FillRect(context, rect, pixel);
      if (!ok) {
        _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
      }
      return ok ? TRUE : FALSE;
    case rwRASTERTYPEZBUFFER:
      return ClearDepth(context, rect) ? TRUE : FALSE;
    case rwRASTERTYPECAMERA: {
      const D3DRECT area = DeviceRect(context, rect);
      return SUCCEEDED(_rwD3D8RasterDevice()->Clear(1, &area, D3DCLEAR_TARGET, ClearColour(context, pixel), 1.0f, 0))
                 ? TRUE
                 : FALSE;
    }
    case rwRASTERTYPECAMERATEXTURE:
      return ClearCameraTexture(context, rect, ClearColour(context, pixel)) ? TRUE : FALSE;
    default:
      _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
      return FALSE;
  }
}

RwBool RwD3D8RasterClear(void* /*unused*/, void* /*unused*/, RwInt32 value) {
  RwRaster* context = _rwD3D8RasterGetContext();
  if (context == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
    return FALSE;
  }
  RwRect whole = {0, 0, context->width, context->height};
  return RwD3D8RasterClearRect(nullptr, &whole, value);
}
