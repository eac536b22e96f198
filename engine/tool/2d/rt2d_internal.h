// What the 2D toolkit's modules share: their open and close calls, the
// graphics state's constants, the brush module's vertex buffer and colour
// interpolation, path point access and the font renderers.
#pragma once

#include "engine/src/pipe/p2/im3d.h"
#include "engine/tool/2d/rt2d.h"

// Vertices of the shared buffer that strokes and bitmap text fill.
constexpr RwInt32 kRt2dVertexBufferSize = 256;

RwBool Rt2dGStateModuleOpen(void);
void Rt2dGStateModuleClose(void);
RwBool Rt2dPathModuleOpen(void);
void Rt2dPathModuleClose(void);
RwBool Rt2dBrushModuleOpen(void);
void Rt2dBrushModuleClose(void);
RwBool Rt2dFontModuleOpen(void);
void Rt2dFontModuleClose(void);

// The camera-space depth of every 2D vertex.
RwReal _rt2dGStateLayerDepth(void);
// How often a curve may be halved when it is flattened.
RwInt32 _rt2dGStateCurveDepth(void);
// 0..255, the indices of a strip over the vertex buffer.
RwUInt16* _rt2dGStateStripIndices(void);
RwCamera* _rt2dGStateGetCamera(void);

RwIm3DVertex* _rt2dBrushVertexBuffer(void);
// The packed colour (alpha << 24 | red << 16 | green << 8 | blue) at t (0 at
// the start, 1 at the end) along the top or bottom edge.
RwUInt32 _rt2dBrushColour(const Rt2dBrush* brush, RwBool topEdge, RwReal t);
// The texture coordinates at t along the top or bottom edge.
void _rt2dBrushUV(const Rt2dBrush* brush, RwBool topEdge, RwReal t, RwReal* u, RwReal* v);

// The points of one subpath, locked or not; *count is 0 for none.
Rt2dPathPoint* _rt2dPathGetPoints(const Rt2dPath* subpath, RwInt32* count);
// The subpath flattened into the path module's scratch path, which is
// returned; it holds the points until the next flattening.
Rt2dPath* _rt2dPathFlattenToScratch(const Rt2dPath* subpath);

// A font without glyphs: outline flag 1, size 1 and the bitmap renderer.
Rt2dFont* Rt2dFontCreate(void);
// The render operations of bitmap and outline fonts.
Rt2dFont* Rt2dFontBitmapRender(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush* brush);
Rt2dFont* Rt2dFontOutlineRender(Rt2dFont* font, const RwChar* string, RwReal height, RwV2d* anchor, Rt2dBrush* brush);
// The folder list Rt2dFontSetPath keeps.
const RwChar* _rt2dFontGetPath(void);
// Reads a metrics file and its images through the engine's file interface.
Rt2dFont* _rt2dFontReadMetrics(const RwChar* name);
