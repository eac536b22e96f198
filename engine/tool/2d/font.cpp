// Fonts: records, measuring, and drawing strings with the bitmap renderer
// (one textured quad a character, batched through immediate-mode 3D) or the
// outline renderer (stroked glyph paths), and word-wrapped text in a box.
#include <cstring>

#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/tool/2d/rt2d_internal.h"

static_assert(sizeof(Rt2dGlyph) == 40, "a glyph is seven words, its pointers 64-bit");

namespace {

constexpr RwUInt32 kFontsPerBlock = 8;
constexpr RwChar kDefaultFontPath[] = "fonts\\";
// A batch of bitmap text: 64 quads of 4 vertices and 6 indices.
constexpr RwInt32 kBatchQuads = kRt2dVertexBufferSize / 4;
constexpr RwInt32 kBatchIndices = kBatchQuads * 6;
// A batch is submitted once this many indices wait: one more quad would not fit.
constexpr RwInt32 kBatchFullIndices = kBatchIndices - 5;

struct FontModule {
  RwFreeList* pool;
  RwChar path[kRt2dFontPathLength];
  RwUInt16 quadIndices[kBatchIndices];
};

FontModule gFonts = {};

RwUInt8 Code(RwChar c) { return static_cast<RwUInt8>(c); }

const Rt2dGlyph& GlyphOf(const Rt2dFont* font, RwChar c) { return font->glyphs[Code(c)]; }

// Pushes the transformation and sets it up for a string: from the anchor, in
// units of the height, with the baseline at the anchor.
void BeginString(const Rt2dFont* font, RwReal height, const RwV2d* anchor) {
  Rt2dCTMPush();
  Rt2dCTMTranslate(anchor->x, anchor->y);
  Rt2dCTMScale(height, height);
  Rt2dCTMTranslate(0.0f, -font->baseline);
}

void DestroyUsedFont(void* entry, void*) { Rt2dFontDestroy(static_cast<Rt2dFont*>(entry)); }

// Bitmap text waiting to be drawn from the shared vertex buffer.
struct TextBatch {
  RwIm3DVertex* vertices;
  RwMatrix* matrix;
  RwInt32 quads;
};

void SubmitBatch(TextBatch* batch) {
  if (batch->quads == 0) {
    return;
  }
  if (RwIm3DTransform(batch->vertices, static_cast<RwUInt32>(batch->quads * 4), batch->matrix,
                      kRwIm3DVertexUV | kRwIm3DNoClip) != nullptr) {
    RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriList, gFonts.quadIndices, static_cast<RwUInt32>(batch->quads * 6));
    RwIm3DEnd();
  }
  batch->quads = 0;
}

void SetQuadVertex(RwIm3DVertex* vertex, RwReal x, RwReal y, RwReal u, RwReal v, RwUInt32 colour) {
  *vertex = {};
  vertex->objVertex = {x, y, _rt2dGStateLayerDepth()};
  vertex->color = colour;
  vertex->u = u;
  vertex->v = v;
}

}  // namespace

RwBool Rt2dFontModuleOpen(void) {
  gFonts.pool =
      RwFreeListCreateAndPreallocate(sizeof(Rt2dFont), kFontsPerBlock, kRwFreeListMinimumAlignment, 1, nullptr);
  std::strcpy(gFonts.path, kDefaultFontPath);
  // Quad k: bottom-left, bottom-right, top-right and bottom-left, top-right,
  // top-left, over the vertices written in the order bottom-left, top-left,
  // bottom-right, top-right.
  const RwUInt16 quad[6] = {0, 2, 3, 0, 3, 1};
  for (RwInt32 k = 0; k < kBatchQuads; k++) {
    for (RwInt32 i = 0; i < 6; i++) {
      gFonts.quadIndices[k * 6 + i] = static_cast<RwUInt16>(4 * k + quad[i]);
    }
  }
  return gFonts.pool != nullptr;
}

void Rt2dFontModuleClose(void) {
  // Fonts still in use give back their textures and paths with the pool.
  if (gFonts.pool != nullptr) {
    RwFreeListForAllUsed(gFonts.pool, DestroyUsedFont, nullptr);
    RwFreeListDestroy(gFonts.pool);
  }
  gFonts.pool = nullptr;
}

const RwChar* Rt2dFontSetPath(const RwChar* path) {
  if (path == nullptr) {
    return nullptr;
  }
  std::strncpy(gFonts.path, path, kRt2dFontPathLength - 1);
  gFonts.path[kRt2dFontPathLength - 1] = '\0';
  return path;
}

const RwChar* _rt2dFontGetPath(void) { return gFonts.path; }

Rt2dFont* Rt2dFontCreate(void) {
  if (gFonts.pool == nullptr) {
    return nullptr;
  }
  Rt2dFont* font = static_cast<Rt2dFont*>(RwFreeListEntryAlloc(gFonts.pool));
  if (font == nullptr) {
    return nullptr;
  }
  std::memset(font, 0, sizeof *font);
  font->outline = 1;
  font->size = 1.0f;
  font->render = Rt2dFontBitmapRender;
  return font;
}

Rt2dFont* Rt2dFontRead(const RwChar* name) { return _rt2dFontReadMetrics(name); }

RwBool Rt2dFontDestroy(Rt2dFont* font) {
  if (font == nullptr) {
    return FALSE;
  }
  for (Rt2dGlyph& glyph : font->glyphs) {
    if (glyph.path != nullptr) {
      Rt2dPathDestroy(glyph.path);
    }
  }
  if (font->texDictionary != nullptr) {
    RwTexDictionaryDestroy(font->texDictionary);
  }
  RwFreeListEntryFree(gFonts.pool, font);
  return TRUE;
}

RwReal Rt2dFontGetHeight(Rt2dFont* font) {
  RwV2d xStep;
  RwV2d yStep;
  RwV2d origin;
  if (!Rt2dDeviceGetMetric(&xStep, &yStep, &origin)) {
    return 0.0f;
  }
  return font->size * RwV2dLength(&yStep);
}

RwReal Rt2dFontGetStringWidth(Rt2dFont* font, const RwChar* string, RwReal height) {
  RwReal width = 0.0f;
  for (const RwChar* c = string; *c != '\0'; c++) {
    width += GlyphOf(font, *c).advance + font->characterGap;
  }
  return width * height;
}

Rt2dFont* Rt2dFontSetCharacterGap(Rt2dFont* font, RwReal gap) {
  font->characterGap = gap;
  return font;
}

Rt2dFont* Rt2dFontRenderString(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush* brush) {
  if (font == nullptr || string == nullptr || anchor == nullptr || brush == nullptr) {
    return nullptr;
  }
  return font->render(font, string, height, anchor, brush);
}

Rt2dFont* Rt2dFontBitmapRender(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush* brush) {
  if (font == nullptr || string[0] == '\0') {
    return font;
  }
  TextBatch batch = {_rt2dBrushVertexBuffer(), nullptr, 0};
  if (batch.vertices == nullptr) {
    return nullptr;
  }
  BeginString(font, height, anchor);
  batch.matrix = Rt2dGStateGetWorldMatrix();
  const RwReal total = Rt2dFontGetStringWidth(font, string, 1.0f);
  RwReal x = 0.0f;
  RwBool started = FALSE;
  const RwRaster* current = nullptr;
  for (const RwChar* c = string; *c != '\0'; c++) {
    const Rt2dGlyph& glyph = GlyphOf(font, *c);
    const RwBool newPage = !started || glyph.raster != current;
    if (newPage || batch.quads * 6 >= kBatchFullIndices) {
      SubmitBatch(&batch);
      if (newPage) {
        RwRenderStateSet(kRwRenderStateTextureRaster, glyph.raster);
        current = glyph.raster;
        started = TRUE;
      }
      // Glyphs take the font's textures, never the brush's coordinates.
      if (brush->texture != nullptr) {
        brush->flags &= ~kRt2dBrushUVsVary;
      }
    }
    // A string whose glyphs have no width has its colours' start everywhere.
    const RwReal start = total != 0.0f ? x / total : 0.0f;
    const RwReal end = total != 0.0f ? (x + glyph.advance) / total : 0.0f;
    RwIm3DVertex* quad = batch.vertices + batch.quads * 4;
    SetQuadVertex(&quad[0], x, 0.0f, glyph.left, glyph.bottom, _rt2dBrushColour(brush, FALSE, start));
    SetQuadVertex(&quad[1], x, 1.0f, glyph.left, glyph.top, _rt2dBrushColour(brush, TRUE, start));
    SetQuadVertex(&quad[2], x + glyph.advance, 0.0f, glyph.right, glyph.bottom, _rt2dBrushColour(brush, FALSE, end));
    SetQuadVertex(&quad[3], x + glyph.advance, 1.0f, glyph.right, glyph.top, _rt2dBrushColour(brush, TRUE, end));
    batch.quads++;
    x += glyph.advance + font->characterGap;
  }
  SubmitBatch(&batch);
  anchor->x += total * height;
  Rt2dCTMPop();
  return font;
}

Rt2dFont* Rt2dFontOutlineRender(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush* brush) {
  if (font == nullptr) {
    return nullptr;
  }
  BeginString(font, height, anchor);
  for (const RwChar* c = string; *c != '\0'; c++) {
    const Rt2dGlyph& glyph = GlyphOf(font, *c);
    if (glyph.raster != nullptr) {
      continue;
    }
    if (glyph.path != nullptr) {
      Rt2dPathStroke(glyph.path, brush);
    }
    Rt2dCTMTranslate(glyph.advance + font->characterGap, 0.0f);
  }
  Rt2dCTMPop();
  return font;
}

Rt2dFont* Rt2dFontRenderInBox(Rt2dFont* font, RwChar* string, RwReal height, const Rt2dBBox* box, RwInt32 justification,
                              Rt2dBrush* brush) {
  if (font == nullptr || string == nullptr || box == nullptr || brush == nullptr) {
    return nullptr;
  }
  // Lines step down by the height: without a positive one they would never
  // reach the bottom of the box.
  if (!(height > 0.0f)) {
    return nullptr;
  }
  const RwReal limit = box->w / height;
  const RwReal factor =
      justification == kRt2dJustifyCenter ? height / 2.0f : (justification == kRt2dJustifyRight ? height : 0.0f);
  RwReal y = box->y + box->h - height;
  RwChar* lineStart = string;
  RwChar* lineBreak = string;
  RwReal width = 0.0f;
  RwReal widthAtBreak = 0.0f;
  RwBool spaceBreaks = TRUE;
  RwChar* c = string;
  while (*c != '\0') {
    if (spaceBreaks && *c == ' ') {
      lineBreak = c;
      widthAtBreak = width;
      spaceBreaks = FALSE;
    } else {
      spaceBreaks = TRUE;
      if (*c == '\n') {
        lineBreak = c + 1;
        widthAtBreak = width;
      }
    }
    width += font->characterGap + GlyphOf(font, *c).advance;
    if (width <= limit && *c != '\n') {
      c++;
      continue;
    }
    const RwChar kept = *lineBreak;
    *lineBreak = '\0';
    RwV2d anchor = {box->x + (limit - widthAtBreak) * factor, y};
    font->render(font, lineStart, height, &anchor, brush);
    *lineBreak = kept;
    if (kept == ' ') {
      while (*lineBreak == ' ') {
        lineBreak++;
      }
    }
    width = 0.0f;
    y -= height;
    c = lineBreak;
    lineStart = lineBreak;
    spaceBreaks = TRUE;
    if (y < box->y) {
      return nullptr;
    }
  }
  RwV2d anchor = {box->x + (limit - width) * factor, y};
  font->render(font, lineStart, height, &anchor, brush);
  return font;
}
