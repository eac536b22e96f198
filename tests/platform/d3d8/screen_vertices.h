// Pre-transformed vertices of the drawing tests: screen position with the
// reciprocal of w, a diffuse colour and, for textured ones, one coordinate
// pair (D3DFVF_XYZRHW | D3DFVF_DIFFUSE [| D3DFVF_TEX1]).
#pragma once

#include "platform/d3d8/d3d8.h"

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr DWORD kTexturedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144

struct ScreenVertex {
  float x, y, z, rhw;
  DWORD color;
};

struct TexturedScreenVertex {
  float x, y, z, rhw;
  DWORD color;
  float u, v;
};
