// The first level's shell: the drawn world with its visibility rows, the
// collision twin with its trees, the four lightmaps and the world's
// textures. Every face turns into the space it bounds.
#include <algorithm>
#include <cmath>

#include "tools/demo/level01/level01_parts.h"
#include "tools/forge/files/bmp_writer.h"
#include "tools/forge/forge.h"

namespace demo {
namespace level01 {

const std::vector<Area>& Spaces() {
  static const std::vector<Area> spaces = {
      {"corridor", kCorridorWestEnd, -kCorridorHalfWidth, 24.0f, kCorridorHalfWidth},
      {"room_a", 0.0f, kRoomNear, 8.0f, kRoomFar},
      {"room_b", 16.0f, kRoomNear, 24.0f, kRoomFar},
      {"room_c", 8.0f, -kRoomFar, 16.0f, -kRoomNear},
      {"room_d", 16.0f + kWallThickness, -kRoomFar, 24.0f, -kRoomNear},
  };
  return spaces;
}

const std::vector<Doorway>& Doorways() {
  static const std::vector<Doorway> doorways = {
      {4.0f, kWallMiddle, 1, "door_a"},
      {20.0f, kWallMiddle, 2, "door_b"},
      {12.0f, -kWallMiddle, 3, "door_c"},
      {20.0f, -kWallMiddle, 4, "door_d"},
  };
  return doorways;
}

namespace {

enum WorldMaterial : RwUInt32 { kFloor, kWall, kCeiling };

RwV3d Sub(const RwV3d& a, const RwV3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
RwV3d Cross(const RwV3d& a, const RwV3d& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const RwV3d& a) { return std::sqrt(Dot(a, a)); }

// The corridor's west end, where the player starts, lies in shadow: from
// kShadeEndX towards the end wall its light falls to kShadeFloor of the
// lamps'. The guards' sight shrinks with the light at the player.
constexpr float kShadeEndX = 6.0f;
constexpr float kShadeFloor = 0.15f;

float Shade(float x, float z) {
  if (x >= kShadeEndX || z < -kCorridorHalfWidth || z > kCorridorHalfWidth) {
    return 1.0f;
  }
  const float t = std::max(x, 0.0f) / kShadeEndX;
  return kShadeFloor + (1.0f - kShadeFloor) * t * t;
}

// The light that the level's lamps give a point: the pre-lit colour of the
// drawn world's vertices and the lightmaps' brightness along a direction.
// Lamps hang below the ceiling in the middle of each space.
float Brightness(float x, float z, float dx, float dz) {
  float sum = 0.25f;
  for (const Area& area : Spaces()) {
    const float lx = (area.x0 + area.x1) * 0.5f;
    const float lz = (area.z0 + area.z1) * 0.5f;
    const float ex = lx - x;
    const float ez = lz - z;
    const float distance = std::sqrt(ex * ex + ez * ez);
    float facing = 1.0f;
    if (dx != 0.0f || dz != 0.0f) {
      facing = distance > 0.001f ? 0.5f + 0.5f * (ex * dx + ez * dz) / distance : 1.0f;
    }
    sum += facing * 6.0f / (6.0f + distance * distance);
  }
  return std::min(sum, 1.0f) * Shade(x, z);
}

RwRGBA Prelight(const RwV3d& p) {
  const float b = 0.45f + 0.55f * Brightness(p.x, p.z, 0.0f, 0.0f);
  const auto channel = [b](float tint) {
    return static_cast<RwUInt8>(std::lround(std::min(255.0f, 255.0f * b * tint)));
  };
  return {channel(1.0f), channel(0.96f), channel(0.88f), 255};
}

// Builds a shell into its soup: the doorways pierce the walls, the
// function prelights each vertex.
class ShellSoup {
 public:
  ShellSoup(const std::vector<Doorway>& doorways, const std::function<RwRGBA(const RwV3d&)>& prelight)
      : mDoorways(doorways), mPrelight(prelight) {}

  // A quad with its corners in order round its edge (a parallelogram), cut
  // into cells of at most two units a side; wound so that its faces point
  // along facing. Texture coordinates repeat every two units.
  void AddQuad(RwV3d a, RwV3d b, RwV3d c, RwV3d d, const RwV3d& facing, RwUInt32 material) {
    if (Dot(Cross(Sub(b, a), Sub(c, a)), facing) < 0.0f) {
      std::swap(b, d);
    }
    const RwV3d du = Sub(b, a), dv = Sub(d, a);
    const int nu = std::max(1, static_cast<int>(std::ceil(Length(du) / 2.0f - 0.001f)));
    const int nv = std::max(1, static_cast<int>(std::ceil(Length(dv) / 2.0f - 0.001f)));
    const RwUInt32 first = static_cast<RwUInt32>(mSoup.vertices.size());
    for (int j = 0; j <= nv; ++j) {
      for (int i = 0; i <= nu; ++i) {
        const float fu = static_cast<float>(i) / static_cast<float>(nu);
        const float fv = static_cast<float>(j) / static_cast<float>(nv);
        ForgeVertex vertex;
        vertex.position = {a.x + du.x * fu + dv.x * fv, a.y + du.y * fu + dv.y * fv, a.z + du.z * fu + dv.z * fv};
        vertex.normal = facing;
        vertex.prelight = mPrelight(vertex.position);
        vertex.uv[0] = {Length(du) * fu * 0.5f, Length(dv) * fv * 0.5f};
        mSoup.vertices.push_back(vertex);
      }
    }
    const RwUInt32 row = static_cast<RwUInt32>(nu) + 1;
    for (RwUInt32 j = 0; j < static_cast<RwUInt32>(nv); ++j) {
      for (RwUInt32 i = 0; i < static_cast<RwUInt32>(nu); ++i) {
        const RwUInt32 v = first + j * row + i;
        mSoup.triangles.push_back({{v, v + 1, v + row + 1}, material});
        mSoup.triangles.push_back({{v, v + row + 1, v + row}, material});
      }
    }
  }

  // A wall along x (alongX) or z at the fixed coordinate, from a to b, with
  // the doorways that pierce it, facing the given way.
  void AddWall(bool alongX, float fixed, float a, float b, const RwV3d& facing) {
    std::vector<float> holes;
    for (const Doorway& doorway : mDoorways) {
      const bool pierces = alongX && std::fabs(doorway.z - fixed) <= kWallThickness * 0.5f + 0.01f;
      if (pierces && doorway.x > a && doorway.x < b) {
        holes.push_back(doorway.x);
      }
    }
    std::sort(holes.begin(), holes.end());
    const auto point = [alongX, fixed](float along, float y) {
      return alongX ? RwV3d{along, y, fixed} : RwV3d{fixed, y, along};
    };
    const auto piece = [&](float from, float to, float y0, float y1) {
      AddQuad(point(from, y0), point(to, y0), point(to, y1), point(from, y1), facing, kWall);
    };
    float from = a;
    for (float centre : holes) {
      const float h0 = centre - kDoorwayWidth * 0.5f;
      const float h1 = centre + kDoorwayWidth * 0.5f;
      piece(from, h0, 0.0f, kRoomHeight);
      piece(h0, h1, kDoorwayHeight, kRoomHeight);
      from = h1;
    }
    piece(from, b, 0.0f, kRoomHeight);
  }

  void AddSpace(const Area& s) {
    const float h = kRoomHeight;
    AddQuad({s.x0, 0.0f, s.z0}, {s.x1, 0.0f, s.z0}, {s.x1, 0.0f, s.z1}, {s.x0, 0.0f, s.z1}, {0.0f, 1.0f, 0.0f}, kFloor);
    AddQuad({s.x0, h, s.z0}, {s.x1, h, s.z0}, {s.x1, h, s.z1}, {s.x0, h, s.z1}, {0.0f, -1.0f, 0.0f}, kCeiling);
    AddWall(true, s.z0, s.x0, s.x1, {0.0f, 0.0f, 1.0f});
    AddWall(true, s.z1, s.x0, s.x1, {0.0f, 0.0f, -1.0f});
    AddWall(false, s.x0, s.z0, s.z1, {1.0f, 0.0f, 0.0f});
    AddWall(false, s.x1, s.z0, s.z1, {-1.0f, 0.0f, 0.0f});
  }

  // The short passage through the wall: floor, lintel and the two jambs.
  void AddPassage(const Doorway& d) {
    const float x0 = d.x - kDoorwayWidth * 0.5f, x1 = d.x + kDoorwayWidth * 0.5f;
    const float z0 = d.z - kWallThickness * 0.5f, z1 = d.z + kWallThickness * 0.5f;
    const float h = kDoorwayHeight;
    AddQuad({x0, 0.0f, z0}, {x1, 0.0f, z0}, {x1, 0.0f, z1}, {x0, 0.0f, z1}, {0.0f, 1.0f, 0.0f}, kFloor);
    AddQuad({x0, h, z0}, {x1, h, z0}, {x1, h, z1}, {x0, h, z1}, {0.0f, -1.0f, 0.0f}, kWall);
    AddQuad({x0, 0.0f, z0}, {x0, 0.0f, z1}, {x0, h, z1}, {x0, h, z0}, {1.0f, 0.0f, 0.0f}, kWall);
    AddQuad({x1, 0.0f, z0}, {x1, 0.0f, z1}, {x1, h, z1}, {x1, h, z0}, {-1.0f, 0.0f, 0.0f}, kWall);
  }

  ForgeSoup& Soup() { return mSoup; }

 private:
  const std::vector<Doorway>& mDoorways;
  const std::function<RwRGBA(const RwV3d&)>& mPrelight;
  ForgeSoup mSoup;
};

ForgeSoup Shell() {
  ForgeMaterial floor, wall, ceiling;
  floor.texture = std::string(kTexturePrefix) + "floor";
  wall.texture = std::string(kTexturePrefix) + "wall";
  ceiling.texture = std::string(kTexturePrefix) + "ceiling";
  return BuildShell(Spaces(), Doorways(), {floor, wall, ceiling}, Prelight);
}

// The spaces a sector's box reaches into (bit per space; passages count for
// the corridor and their room). A box that only touches a wall's face
// (within the slack) does not reach through it.
unsigned SpacesOf(const RwBBox& box) {
  constexpr float kSlack = 0.05f;
  unsigned mask = 0;
  const std::vector<Area>& spaces = Spaces();
  for (size_t i = 0; i < spaces.size(); ++i) {
    const Area& s = spaces[i];
    if (box.inf.x < s.x1 - kSlack && box.sup.x > s.x0 + kSlack && box.inf.z < s.z1 - kSlack &&
        box.sup.z > s.z0 + kSlack) {
      mask |= 1u << i;
    }
  }
  constexpr float kHalfWall = kWallThickness * 0.5f;
  for (const Doorway& d : Doorways()) {
    if (box.inf.z < d.z + kHalfWall - kSlack && box.sup.z > d.z - kHalfWall + kSlack &&
        box.inf.x <= d.x + kDoorwayWidth && box.sup.x >= d.x - kDoorwayWidth) {
      mask |= 1u | (1u << d.room);
    }
  }
  return mask;
}

// Visibility: every sector sees every other but those of rooms A and B,
// whose doorways open in one wall plane, so that no sight line joins them.
std::vector<std::vector<RwUInt8>> VisibilityRows(const ForgeWorldLayout& layout) {
  const size_t count = layout.sectors.size();
  const size_t length = (count + 7) / 8;
  // Where a viewer in a sector may stand (its region) and what it holds
  // (its triangles' box).
  std::vector<unsigned> region(count), holds(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t k = static_cast<size_t>(layout.sectors[i].index);
    region[k] = SpacesOf(layout.sectors[i].planeBox);
    holds[k] = SpacesOf(layout.sectors[i].box);
  }
  constexpr unsigned kRoomA = 1u << 1, kRoomB = 1u << 2;
  std::vector<std::vector<RwUInt8>> rows(count, std::vector<RwUInt8>(length, 0));
  for (size_t i = 0; i < count; ++i) {
    for (size_t j = 0; j < count; ++j) {
      const bool apart = (region[i] == kRoomA && holds[j] == kRoomB) || (region[i] == kRoomB && holds[j] == kRoomA);
      if (!apart) {
        rows[i][j / 8] = static_cast<RwUInt8>(rows[i][j / 8] | (1u << (j % 8)));
      }
    }
  }
  return rows;
}

ForgeWorldOptions DrawnOptions() {
  ForgeWorldOptions options;
  options.flags = rpWORLDNORMALS | rpWORLDPRELIT | rpWORLDLIGHT | rpWORLDMODULATEMATERIALCOLOR | rpWORLDSECTORSOVERLAP;
  options.texCoordSets = 1;
  options.maxSectorTriangles = 24;
  options.collisionTrees = false;
  return options;
}

// The four maps look at the light coming from the north (+z), the south,
// the west (-x) and the east. 64 x 48 texels, two a unit, the world origin
// at texel (8, 24): the plan from x -4 to 28 and z -12 to 12.
constexpr int kLightmapWidth = 64;
constexpr int kLightmapHeight = 48;
constexpr float kLightmapMetric = 2.0f;
constexpr int kLightmapOriginX = 8;
constexpr int kLightmapOriginZ = 24;

bool Inside(float x, float z) {
  for (const Area& s : Spaces()) {
    if (x >= s.x0 && x <= s.x1 && z >= s.z0 && z <= s.z1) {
      return true;
    }
  }
  return false;
}

std::vector<uint8_t> Lightmap(float dx, float dz) {
  forge::BmpDescription bmp;
  bmp.width = kLightmapWidth;
  bmp.height = kLightmapHeight;
  bmp.bitCount = 8;
  for (uint32_t k = 0; k < 256; ++k) {
    const uint32_t r = k, g = k * 245 / 255, b = k * 220 / 255;
    bmp.palette.push_back(r << 16 | g << 8 | b);
  }
  // Texel row j lies at z = (j + 0.5 - origin) / metric; the reader keeps
  // the picture's top row as row 0.
  for (int j = 0; j < kLightmapHeight; ++j) {
    for (int i = 0; i < kLightmapWidth; ++i) {
      const float x = (static_cast<float>(i) + 0.5f - kLightmapOriginX) / kLightmapMetric;
      const float z = (static_cast<float>(j) + 0.5f - kLightmapOriginZ) / kLightmapMetric;
      const float b = Inside(x, z) ? Brightness(x, z, dx, dz) : 0.1f;
      bmp.pixels.push_back(static_cast<uint32_t>(std::lround(std::min(254.0f, 40.0f + 214.0f * b))));
    }
  }
  return forge::WriteBmp(bmp);
}

}  // namespace

std::vector<uint8_t> PatternBitmap(int width, int height, uint32_t dark, uint32_t light, uint32_t seed) {
  forge::BmpDescription bmp;
  bmp.width = width;
  bmp.height = height;
  bmp.bitCount = 24;
  uint32_t state = seed * 2654435761u + 1u;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      // Tiles of eight texels with a seam, speckled.
      const bool seam = (x % 16) == 0 || (y % 16) == 0;
      const uint32_t speckle = (state >> 24) & 0x1F;
      const float t = seam ? 0.0f : 0.6f + static_cast<float>(speckle) / 80.0f;
      uint32_t pixel = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const float a = static_cast<float>((dark >> shift) & 0xFF);
        const float b = static_cast<float>((light >> shift) & 0xFF);
        const uint32_t c = static_cast<uint32_t>(std::lround(std::min(255.0f, a + (b - a) * t)));
        pixel |= c << shift;
      }
      bmp.pixels.push_back(pixel);
    }
  }
  return forge::WriteBmp(bmp);
}

std::vector<uint8_t> GlowBitmap(int size, uint32_t colour) {
  forge::BmpDescription bmp;
  bmp.width = size;
  bmp.height = size;
  bmp.bitCount = 24;
  bmp.pixels.assign(static_cast<size_t>(size) * static_cast<size_t>(size), colour);
  return forge::WriteBmp(bmp);
}

std::vector<uint8_t> GlowMaskBitmap(int size) {
  // A round spot, full in the middle and fading to nothing at the edge.
  forge::BmpDescription bmp;
  bmp.width = size;
  bmp.height = size;
  bmp.bitCount = 8;
  for (uint32_t k = 0; k < 256; ++k) {
    bmp.palette.push_back(k << 16 | k << 8 | k);
  }
  const float half = static_cast<float>(size) * 0.5f;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float dx = (static_cast<float>(x) + 0.5f - half) / half;
      const float dy = (static_cast<float>(y) + 0.5f - half) / half;
      const float falloff = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
      bmp.pixels.push_back(static_cast<uint32_t>(std::lround(255.0f * falloff * falloff)));
    }
  }
  return forge::WriteBmp(bmp);
}

bool WriteGeometry(DataFolder& data) {
  const ForgeSoup shell = Shell();
  ForgeWorldOptions drawn = DrawnOptions();
  ForgeWorldLayout layout;
  if (!ForgeLayoutWorld(shell, drawn, &layout)) {
    return false;
  }
  drawn.hooks.push_back(ForgeVisibilityHook(VisibilityRows(layout)));
  std::vector<uint8_t> world = ForgeWorldBytes(shell, drawn);

  // The twin: the same triangles, untextured and of one material, with the
  // collision trees that the level's queries walk.
  ForgeSoup twin = shell;
  twin.materials = {ForgeMaterial()};
  for (ForgeTriangle& triangle : twin.triangles) {
    triangle.material = 0;
  }
  ForgeWorldOptions collision;
  collision.flags = rpWORLDNORMALS | rpWORLDSECTORSOVERLAP;
  collision.maxSectorTriangles = 24;
  std::vector<uint8_t> twinBytes = ForgeWorldBytes(twin, collision);
  if (world.empty() || twinBytes.empty()) {
    return false;
  }
  data.Write(kBspPath, std::move(world));
  data.Write(kTwinPath, std::move(twinBytes));

  const std::string folder = std::string(kFolder) + "textures/";
  data.Write(folder + kTexturePrefix + "floor.bmp", PatternBitmap(64, 64, 0x3A3530, 0x8C8378, 11));
  data.Write(folder + kTexturePrefix + "wall.bmp", PatternBitmap(64, 64, 0x404852, 0xA4ACB4, 12));
  data.Write(folder + kTexturePrefix + "ceiling.bmp", PatternBitmap(64, 64, 0x303030, 0x707070, 13));

  const struct {
    const char* suffix;
    float dx, dz;
  } maps[4] = {{"north", 0.0f, 1.0f}, {"south", 0.0f, -1.0f}, {"west", -1.0f, 0.0f}, {"east", 1.0f, 0.0f}};
  for (const auto& map : maps) {
    data.Write(std::string(kLightmapPrefix) + map.suffix + ".bmp", Lightmap(map.dx, map.dz));
  }
  return true;
}

std::string LightmapKeys() {
  return "LIGHTMAP = " + std::string(kLightmapPrefix) + "\nLIGHTMAP_ORIGX = " + std::to_string(kLightmapOriginX) +
         "\nLIGHTMAP_ORIGY = " + std::to_string(kLightmapOriginZ) + "\nLIGHTMAP_METRIC = 2.0\n";
}

ForgeSoup BuildShell(const std::vector<Area>& spaces, const std::vector<Doorway>& doorways,
                     const std::vector<ForgeMaterial>& materials, const std::function<RwRGBA(const RwV3d&)>& prelight) {
  ShellSoup shell(doorways, prelight);
  shell.Soup().materials = materials;
  for (const Area& space : spaces) {
    shell.AddSpace(space);
  }
  for (const Doorway& doorway : doorways) {
    shell.AddPassage(doorway);
  }
  return shell.Soup();
}

}  // namespace level01
}  // namespace demo
