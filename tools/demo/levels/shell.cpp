// A later level's shell from its plan: the drawn world and its collision
// twin, the four lightmaps, the world's textures and the map plan. Faces
// turn into the space they bound; every sector sees every other.
#include <algorithm>
#include <cmath>

#include "tools/demo/level01/map_plan.h"
#include "tools/demo/levels/level_plan.h"
#include "tools/forge/files/bmp_writer.h"
#include "tools/forge/forge.h"

namespace demo {
namespace levels {

namespace {

using level01::Area;
using level01::Doorway;
using level01::kDoorwayWidth;
using level01::kWallThickness;

enum WorldMaterial : RwUInt32 { kFloor, kWall, kCeiling };

// The lightmaps cover x -4 to 28 and z -12 to 12, two texels a unit, like
// the first level's.
constexpr int kLightmapWidth = 64;
constexpr int kLightmapHeight = 48;
constexpr int kLightmapOriginX = 8;
constexpr int kLightmapOriginZ = 24;
constexpr float kLightmapMetric = 2.0f;

// The lamps hang in the middle of each space.
float Brightness(const LevelPlan& plan, float x, float z) {
  float sum = 0.25f;
  for (const Area& area : plan.spaces) {
    const float ex = (area.x0 + area.x1) * 0.5f - x, ez = (area.z0 + area.z1) * 0.5f - z;
    sum += 6.0f / (6.0f + ex * ex + ez * ez);
  }
  return std::min(sum, 1.0f);
}

// The level's shell, prelit by its lamps.
ForgeSoup Shell(const LevelPlan& plan) {
  const std::string prefix = TexturePrefix(plan);
  ForgeMaterial floor, wall, ceiling;
  floor.texture = prefix + "floor";
  wall.texture = prefix + "wall";
  ceiling.texture = prefix + "ceiling";
  return level01::BuildShell(plan.spaces, plan.doorways, {floor, wall, ceiling}, [&plan](const RwV3d& p) {
    const float b = 0.45f + 0.55f * Brightness(plan, p.x, p.z);
    const RwUInt8 grey = static_cast<RwUInt8>(std::lround(std::min(255.0f, 255.0f * b)));
    return RwRGBA{grey, grey, grey, 255};
  });
}

bool Inside(const LevelPlan& plan, float x, float z) {
  for (const Area& s : plan.spaces) {
    if (x >= s.x0 && x <= s.x1 && z >= s.z0 && z <= s.z1) {
      return true;
    }
  }
  return false;
}

// An 8-bit lightmap; the direction only shades it, brighter towards it.
std::vector<uint8_t> Lightmap(const LevelPlan& plan, float dx, float dz) {
  forge::BmpDescription bmp;
  bmp.width = kLightmapWidth;
  bmp.height = kLightmapHeight;
  bmp.bitCount = 8;
  for (uint32_t k = 0; k < 256; ++k) {
    bmp.palette.push_back(k << 16 | (k * 245 / 255) << 8 | (k * 220 / 255));
  }
  for (int j = 0; j < kLightmapHeight; ++j) {
    for (int i = 0; i < kLightmapWidth; ++i) {
      const float x = (static_cast<float>(i) + 0.5f - kLightmapOriginX) / kLightmapMetric;
      const float z = (static_cast<float>(j) + 0.5f - kLightmapOriginZ) / kLightmapMetric;
      const float lean = 0.9f + 0.1f * (dx * x + dz * z) / 28.0f;
      const float b = Inside(plan, x, z) ? Brightness(plan, x, z) * lean : 0.1f;
      bmp.pixels.push_back(static_cast<uint32_t>(std::lround(std::clamp(40.0f + 214.0f * b, 0.0f, 254.0f))));
    }
  }
  return forge::WriteBmp(bmp);
}

std::vector<PlanQuad> MapQuads(const LevelPlan& plan) {
  std::vector<PlanQuad> quads;
  for (const Area& s : plan.spaces) {
    quads.push_back({s.x0 - kWallThickness,
                     s.z0 - kWallThickness,
                     s.x1 + kWallThickness,
                     s.z1 + kWallThickness,
                     {90, 100, 110, 255}});
  }
  for (const Area& s : plan.spaces) {
    quads.push_back({s.x0, s.z0, s.x1, s.z1, {30, 40, 50, 255}});
  }
  for (const Doorway& d : plan.doorways) {
    quads.push_back({d.x - kDoorwayWidth * 0.5f,
                     d.z - kWallThickness,
                     d.x + kDoorwayWidth * 0.5f,
                     d.z + kWallThickness,
                     {30, 40, 50, 255}});
  }
  return quads;
}

}  // namespace

bool WriteShell(const LevelPlan& plan, DataFolder& data) {
  const ForgeSoup shell = Shell(plan);
  ForgeWorldOptions drawn;
  drawn.flags = rpWORLDNORMALS | rpWORLDPRELIT | rpWORLDLIGHT | rpWORLDMODULATEMATERIALCOLOR | rpWORLDSECTORSOVERLAP;
  drawn.texCoordSets = 1;
  drawn.maxSectorTriangles = 24;
  drawn.collisionTrees = false;
  std::vector<uint8_t> world = ForgeWorldBytes(shell, drawn);
  // The twin: the same triangles of one untextured material, with trees.
  ForgeSoup twin = shell;
  twin.materials = {ForgeMaterial()};
  for (ForgeTriangle& triangle : twin.triangles) {
    triangle.material = 0;
  }
  ForgeWorldOptions collision;
  collision.flags = rpWORLDNORMALS | rpWORLDSECTORSOVERLAP;
  collision.maxSectorTriangles = 24;
  std::vector<uint8_t> twinBytes = ForgeWorldBytes(twin, collision);
  std::vector<uint8_t> map;
  if (world.empty() || twinBytes.empty() || !PlanBytes(MapQuads(plan), &map)) {
    return false;
  }
  const std::string folder = Folder(plan);
  data.Write(folder + plan.name + ".bsp", std::move(world));
  data.Write(folder + "collision/" + plan.name + ".bsp", std::move(twinBytes));
  data.Write(folder + "map.dff", std::move(map));

  const std::string textures = folder + "textures/" + TexturePrefix(plan);
  const uint32_t seed = static_cast<uint32_t>(std::stoi(plan.name.substr(5)));
  data.Write(textures + "floor.bmp", level01::PatternBitmap(64, 64, 0x3A3530, 0x8C8378, 20 + seed));
  data.Write(textures + "wall.bmp", level01::PatternBitmap(64, 64, plan.wallDark, plan.wallLight, 40 + seed));
  data.Write(textures + "ceiling.bmp", level01::PatternBitmap(64, 64, 0x303030, 0x707070, 60 + seed));
  const struct {
    const char* suffix;
    float dx, dz;
  } maps[4] = {{"north", 0.0f, 1.0f}, {"south", 0.0f, -1.0f}, {"west", -1.0f, 0.0f}, {"east", 1.0f, 0.0f}};
  for (const auto& m : maps) {
    data.Write(folder + "lightmap_" + m.suffix + ".bmp", Lightmap(plan, m.dx, m.dz));
  }
  return true;
}

std::string LightmapKeys() {
  return "LIGHTMAP_ORIGX = " + std::to_string(kLightmapOriginX) +
         "\nLIGHTMAP_ORIGY = " + std::to_string(kLightmapOriginZ) + "\nLIGHTMAP_METRIC = 2.0\n";
}

}  // namespace levels
}  // namespace demo
