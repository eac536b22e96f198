// The 2D toolkit: vector paths, brushes and fonts drawn as immediate-mode 3D
// geometry just in front of a target camera. 2D coordinates have y growing
// upwards; by default the view's bottom-left corner is (0, 0) and its shorter
// side is 1 unit long. A layout and a stack of transformations map the
// caller's coordinates onto the view.
#pragma once

#include "engine/src/camera.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/list.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/vector.h"
#include "engine/src/raster.h"
#include "engine/src/rgba.h"
#include "engine/src/texture.h"

// --- Graphics state, device and layout ---------------------------------------

constexpr RwInt32 kRt2dTransformStackSize = 32;

// Opens the path, brush, font and graphics-state modules and targets the
// camera (which may be null); false when a module could not be set up.
RwBool Rt2dOpen(RwCamera* camera);
void Rt2dClose(void);
// 1 when targeted; 0 for a null camera (the target is cleared) or a camera
// without a frame-buffer raster (nothing changes).
RwBool Rt2dSetCamera(RwCamera* camera);
// The end-update callback of the cameras the toolkit targeted: forwards to
// the callback they had before.
RwCamera* Rt2dCameraEndUpdate(RwCamera* camera);
// Maps the rectangle onto the whole view of the target camera; 0 for an empty
// or non-finite rectangle.
RwBool Rt2dDeviceSetLayout(RwReal x, RwReal y, RwReal width, RwReal height);
// One device pixel's horizontal and vertical steps and the view's bottom-left
// corner, in the current 2D coordinates.
RwBool Rt2dDeviceGetMetric(RwV2d* xStep, RwV2d* yStep, RwV2d* origin);

// The transformation stack: a push copies the top into the next slot (false
// when all 32 are used), a pop drops it (false at the bottom). Scale and
// translate act on points before the existing transformation.
RwBool Rt2dCTMPush(void);
RwBool Rt2dCTMPop(void);
RwBool Rt2dCTMSetIdentity(void);
RwBool Rt2dCTMScale(RwReal x, RwReal y);
RwBool Rt2dCTMTranslate(RwReal x, RwReal y);

// From 2D coordinates to world space; the matrix lives in the state and is
// recomputed by the next call.
RwMatrix* Rt2dGStateGetWorldMatrix(void);
// Half a device pixel, squared, in the current 2D coordinates.
RwReal Rt2dGStateGetFlatTolerance(void);

// --- Brushes -------------------------------------------------------------------

// Colour (0..255 as reals) and texture coordinates of a corner, or the
// difference between two corners.
struct Rt2dBrushCorner {
  RwReal red;
  RwReal green;
  RwReal blue;
  RwReal alpha;
  RwReal u;
  RwReal v;
};

// Corners 0 and 1 are the start and end of the bottom (for strokes the
// right-hand) edge, corners 3 and 2 those of the top (left-hand) edge.
struct Rt2dBrush {
  Rt2dBrushCorner top;          // corner 3
  Rt2dBrushCorner topDelta;     // corner 2 - corner 3
  Rt2dBrushCorner bottom;       // corner 0
  Rt2dBrushCorner bottomDelta;  // corner 1 - corner 0
  RwRGBA lastColour;            // corner 3 as given: every vertex's colour when colours do not vary
  RwUInt32 flags;               // Rt2dBrushFlag
  RwTexture* texture;           // a reference held by the brush, or null
  RwReal halfWidth;             // of strokes, in 2D units
  RwInt32 refCount;
};

enum Rt2dBrushFlag : RwUInt32 {
  kRt2dBrushColoursVary = 0x1,
  kRt2dBrushUVsVary = 0x2,
};

Rt2dBrush* Rt2dBrushCreate(void);
// Drops one reference; true when that freed the brush.
RwBool Rt2dBrushDestroy(Rt2dBrush* brush);
Rt2dBrush* Rt2dBrushSetRGBA(Rt2dBrush* brush, const RwRGBA* corner0, const RwRGBA* corner1, const RwRGBA* corner2,
                            const RwRGBA* corner3);
Rt2dBrush* Rt2dBrushSetUV(Rt2dBrush* brush, const RwV2d* corner0, const RwV2d* corner1, const RwV2d* corner2,
                          const RwV2d* corner3);

// --- Paths and strokes ---------------------------------------------------------

enum Rt2dPathPointKind : RwInt32 {
  kRt2dPathMove = 0,
  kRt2dPathLine = 1,
  kRt2dPathCurve = 2,  // a curve's control or end point
};

struct Rt2dPathPoint {
  RwInt32 kind;  // Rt2dPathPointKind
  RwReal x;
  RwReal y;
  // The miter vector: its projection on each adjacent segment's right-hand
  // unit normal is 1.
  RwReal normalX;
  RwReal normalY;
  RwReal distance;  // along the subpath up to this point
};

// One subpath; a path is the chain of its subpaths from the head. Locked
// subpaths grow in a list; unlocked ones keep a plain array.
struct Rt2dPath {
  RwList* list;           // while locked, else null
  Rt2dPathPoint* points;  // while unlocked (null when empty)
  RwInt32 numPoints;      // -1 while locked
  RwInt32 closed;
  RwInt32 flat;  // no curve points
  RwReal inset;  // shifts the stroke towards the left-hand side
  Rt2dPath* next;
  Rt2dPath* current;  // in the head: the subpath new points go to
};

Rt2dPath* Rt2dPathCreate(void);
RwBool Rt2dPathDestroy(Rt2dPath* path);
Rt2dPath* Rt2dPathLock(Rt2dPath* path);
Rt2dPath* Rt2dPathUnlock(Rt2dPath* path);
// Building works on locked paths; a lineto, curveto or close on a subpath
// without a point is refused (null).
Rt2dPath* Rt2dPathMoveto(Rt2dPath* path, RwReal x, RwReal y);
Rt2dPath* Rt2dPathLineto(Rt2dPath* path, RwReal x, RwReal y);
Rt2dPath* Rt2dPathCurveto(Rt2dPath* path, RwReal x1, RwReal y1, RwReal x2, RwReal y2, RwReal x3, RwReal y3);
Rt2dPath* Rt2dPathClose(Rt2dPath* path);
// Replaces every curve by line points within half a device pixel.
Rt2dPath* Rt2dPathFlatten(Rt2dPath* path);
// Appends the flattened subpath source to the locked subpath destination.
Rt2dPath* Rt2dPathFlattenInto(Rt2dPath* destination, const Rt2dPath* source);
// Replaces the points and flags of the locked destination by the source's.
Rt2dPath* Rt2dPathCopy(Rt2dPath* destination, const Rt2dPath* source);
// Removes every subpath of one point; the new head, or null when none is left.
Rt2dPath* Rt2dPathPrune(Rt2dPath* path);
// One triangle strip per subpath, offset sideways by the brush's half-width.
Rt2dPath* Rt2dPathStroke(Rt2dPath* path, Rt2dBrush* brush);

// --- Fonts ---------------------------------------------------------------------

constexpr RwInt32 kRt2dFontGlyphCount = 256;
constexpr RwInt32 kRt2dFontPathLength = 128;  // bytes of the folder list, NUL included

// A glyph's box in texture coordinates and its width over the font's height.
struct Rt2dGlyph {
  RwReal advance;
  RwRaster* raster;  // the page holding the bitmap, or null
  RwReal left;       // u
  RwReal top;        // v
  RwReal right;      // u
  RwReal bottom;     // v
  Rt2dPath* path;    // outline, owned by the font, or null
};

struct Rt2dFont;

// A box whose (x, y) is its bottom-left corner.
struct Rt2dBBox {
  RwReal x;
  RwReal y;
  RwReal w;
  RwReal h;
};

enum Rt2dJustification : RwInt32 {
  kRt2dJustifyLeft = 0,
  kRt2dJustifyCenter = 1,
  kRt2dJustifyRight = 2,
};

typedef Rt2dFont* (*Rt2dFontRenderFunction)(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor,
                                            Rt2dBrush* brush);

struct Rt2dFont {
  RwInt32 outline;                        // 1 for outline glyphs (and a fresh font), 0 for bitmaps
  RwReal size;                            // natural height: bitmap glyph pixels, or 1 for outlines
  RwReal baseline;                        // part of the glyph box below the anchor, over the height
  RwReal characterGap;                    // extra advance after every character, over the height
  RwTexDictionary* texDictionary;         // the page textures of a bitmap font
  Rt2dGlyph glyphs[kRt2dFontGlyphCount];  // by unsigned character code
  RwChar pageMap[kRt2dFontGlyphCount];    // the page letter of each defined bitmap glyph, else 0
  Rt2dFontRenderFunction render;
};

// The ';'-separated folders searched for fonts, each put unchanged in front
// of the name ("fonts\" after opening); at most 127 characters are kept.
const RwChar* Rt2dFontSetPath(const RwChar* path);
// Reads the metrics file name + ".met" and its page images; the image search
// path is left set to the font folders.
Rt2dFont* Rt2dFontRead(const RwChar* name);
RwBool Rt2dFontDestroy(Rt2dFont* font);
// The height at which the font shows at its natural pixel size.
RwReal Rt2dFontGetHeight(Rt2dFont* font);
RwReal Rt2dFontGetStringWidth(Rt2dFont* font, const RwChar* string, RwReal height);
Rt2dFont* Rt2dFontSetCharacterGap(Rt2dFont* font, RwReal gap);
// Draws from the anchor (the start of the baseline); a bitmap font moves the
// anchor to the end of the string.
Rt2dFont* Rt2dFontRenderString(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush* brush);
// Word-wraps and draws inside the box, top line first, ending each line with
// a terminator written into the string for the draw (and put back after);
// null when the text runs below the box.
Rt2dFont* Rt2dFontRenderInBox(Rt2dFont* font, RwChar* string, RwReal height, const Rt2dBBox* box, RwInt32 justification,
                              Rt2dBrush* brush);
