// Shapes the forge adds to triangle soups: boxes and flat grids, with
// normals and texture coordinates, wound so that their faces point out.
#include "tools/forge/forge.h"

namespace {

// One face: four corners counter-clockwise seen from outside, its normal.
struct Face {
  RwV3d corner[4];
  RwV3d normal;
};

void AddQuad(ForgeSoup* soup, const Face& face, RwUInt32 material) {
  const RwUInt32 first = static_cast<RwUInt32>(soup->vertices.size());
  const RwTexCoords uv[4] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 0.0f}};
  for (int i = 0; i < 4; ++i) {
    ForgeVertex vertex;
    vertex.position = face.corner[i];
    vertex.normal = face.normal;
    for (RwTexCoords& set : vertex.uv) {
      set = uv[i];
    }
    soup->vertices.push_back(vertex);
  }
  soup->triangles.push_back({{first, first + 1, first + 2}, material});
  soup->triangles.push_back({{first, first + 2, first + 3}, material});
}

}  // namespace

void ForgeAddBox(ForgeSoup* soup, const RwV3d& inf, const RwV3d& sup, RwUInt32 material) {
  const RwReal x0 = inf.x, y0 = inf.y, z0 = inf.z, x1 = sup.x, y1 = sup.y, z1 = sup.z;
  const Face faces[6] = {
      {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}, {1.0f, 0.0f, 0.0f}},
      {{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}, {-1.0f, 0.0f, 0.0f}},
      {{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}, {0.0f, 1.0f, 0.0f}},
      {{{x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}}, {0.0f, -1.0f, 0.0f}},
      {{{x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}}, {0.0f, 0.0f, 1.0f}},
      {{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}, {0.0f, 0.0f, -1.0f}},
  };
  for (const Face& face : faces) {
    AddQuad(soup, face, material);
  }
}

void ForgeAddGrid(ForgeSoup* soup, const RwV3d& origin, RwReal size, RwInt32 cells, RwUInt32 material) {
  if (cells < 1) {
    return;
  }
  const RwReal step = size / static_cast<RwReal>(cells);
  const RwUInt32 first = static_cast<RwUInt32>(soup->vertices.size());
  const RwUInt32 row = static_cast<RwUInt32>(cells) + 1;
  for (RwInt32 j = 0; j <= cells; ++j) {
    for (RwInt32 i = 0; i <= cells; ++i) {
      ForgeVertex vertex;
      vertex.position = {origin.x + step * static_cast<RwReal>(i), origin.y, origin.z + step * static_cast<RwReal>(j)};
      vertex.normal = {0.0f, 1.0f, 0.0f};
      for (RwTexCoords& set : vertex.uv) {
        set = {static_cast<RwReal>(i) / static_cast<RwReal>(cells),
               static_cast<RwReal>(j) / static_cast<RwReal>(cells)};
      }
      soup->vertices.push_back(vertex);
    }
  }
  for (RwUInt32 j = 0; j < static_cast<RwUInt32>(cells); ++j) {
    for (RwUInt32 i = 0; i < static_cast<RwUInt32>(cells); ++i) {
      const RwUInt32 a = first + j * row + i;
      // Counter-clockwise seen from above (+y).
      soup->triangles.push_back({{a, a + row, a + row + 1}, material});
      soup->triangles.push_back({{a, a + row + 1, a + 1}, material});
    }
  }
}
