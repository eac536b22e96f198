// Flexible vertex format decoding (see fvf.h).
#include "platform/d3d8/fvf.h"

#include "platform/d3d8/d3d8_draw_types.h"

namespace d3d8draw {

namespace {

// Floats per texture-coordinate set for each two-bit size code.
constexpr int kTexCoordFloats[4] = {2, 3, 4, 1};

}  // namespace

FvfLayout DecodeFvf(uint32_t fvf) {
  FvfLayout layout;
  int offset = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
      layout.positionSize = 3;
      break;
    case D3DFVF_XYZRHW:
      layout.positionSize = 4;
      layout.transformed = true;
      break;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5:
      layout.positionSize = 3;
      layout.blendWeightCount = static_cast<int>(((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZB1) / 2 + 1);
      break;
    default:
      return layout;
  }
  layout.positionOffset = 0;
  offset += 4 * (layout.positionSize + layout.blendWeightCount);
  if (fvf & D3DFVF_NORMAL) {
    layout.normalOffset = offset;
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    layout.pointSizeOffset = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuseOffset = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.specularOffset = offset;
    offset += 4;
  }
  const int count = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if (count > kMaxTexCoordSets) {
    return layout;
  }
  layout.texCoordCount = count;
  for (int i = 0; i < count; ++i) {
    const int floats = kTexCoordFloats[(fvf >> (16 + 2 * i)) & 3];
    layout.texCoordOffset[i] = offset;
    layout.texCoordSize[i] = floats;
    offset += 4 * floats;
  }
  layout.stride = offset;
  layout.valid = true;
  return layout;
}

int FvfVertexSize(uint32_t fvf) {
  const FvfLayout layout = DecodeFvf(fvf);
  return layout.valid ? layout.stride : 0;
}

}  // namespace d3d8draw
