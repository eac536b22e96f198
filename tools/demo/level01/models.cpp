// The first level's models: box-built clumps with their textures in the
// model folder's "textures/", each with a collision twin in "collision/"
// whose trees are built here, so that the game never rewrites a model. The
// user data spread over them uses every key the game reads.
#include "tools/demo/level01/models.h"

#include <algorithm>

#include "tools/demo/level01/level01_parts.h"
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace demo {
namespace level01 {

namespace {

ForgeUserData Int(const char* name, RwInt32 value) {
  ForgeUserData data;
  data.name = name;
  data.format = rpINTUSERDATA;
  data.ints = {value};
  return data;
}

ForgeUserData Real(const char* name, RwReal value) {
  ForgeUserData data;
  data.name = name;
  data.format = rpREALUSERDATA;
  data.reals = {value};
  return data;
}

ForgeUserData Text(const char* name, const std::string& value) {
  ForgeUserData data;
  data.name = name;
  data.format = rpSTRINGUSERDATA;
  data.strings = {value};
  return data;
}

// A textured box part whose bottom, not its centre, stands on the offset
// when standing is set.
ForgePart Box(RwV3d size, RwV3d offset, const char* texture, bool standing) {
  ForgePart part;
  part.size = size;
  part.offset = offset;
  if (standing) {
    part.offset.y += size.y * 0.5f;
  }
  part.material.texture = std::string(kTexturePrefix) + texture;
  return part;
}

std::vector<ModelSpec> BuildModels() {
  std::vector<ModelSpec> models;
  const auto add = [&models](const char* name, std::vector<ForgePart> parts, bool twin) {
    // Every drawn part names its model and is left out of the collision
    // tests: the twin answers them.
    for (ForgePart& part : parts) {
      part.userData.insert(part.userData.begin(), {Text("name.name", name), Int("collision.collision", 0)});
    }
    models.push_back({name, std::move(parts), twin});
    return &models.back();
  };

  // Static objects. The crate's faces take their colours from the locator
  // entry's colour table through "vtxnum" (three colours, two faces each);
  // the pillar takes the table's first colour for all its vertices.
  {
    ForgePart crate = Box({1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}, "crate", true);
    ForgeUserData vtxnum;
    vtxnum.name = "vtxnum.vtxnum";
    vtxnum.format = rpINTUSERDATA;
    for (RwInt32 vertex = 0; vertex < 24; ++vertex) {
      vtxnum.ints.push_back((vertex / 4) % 3);
    }
    crate.userData.push_back(vtxnum);
    add("crate", {crate}, true);
  }
  {
    ForgePart pillar = Box({0.5f, 3.0f, 0.5f}, {0.0f, 0.0f, 0.0f}, "pillar", true);
    pillar.userData = {Real("lod.lod", 30.0f), Int("nohear.nohear", 1)};
    add("pillar", {pillar}, true);
  }
  {
    // Hangs from the ceiling; drawn late, seen from below and above.
    ForgePart shade = Box({0.5f, 0.15f, 0.5f}, {0.0f, 0.0f, 0.0f}, "lamp", false);
    shade.userData = {Int("priority.priority", 1), Int("twosided.twosided", 1)};
    add("lamp", {shade}, true);
  }

  // Sensors: they face along their frame's 'at' axis (+z).
  add("seccam", {Box({0.2f, 0.2f, 0.4f}, {0.0f, 0.0f, 0.2f}, "seccam", false)}, true);
  add("seccamInactive", {Box({0.1f, 0.3f, 0.1f}, {0.0f, 0.15f, 0.0f}, "seccam", false)}, false);
  add("photocell", {Box({0.15f, 0.3f, 0.1f}, {0.0f, 0.0f, 0.05f}, "photocell", false)}, true);
  add("listener", {Box({0.25f, 0.25f, 0.05f}, {0.0f, 0.0f, 0.025f}, "listener", false)}, true);
  add("specarea", {Box({1.0f, 0.02f, 1.0f}, {0.0f, 0.0f, 0.0f}, "specarea", true)}, true);

  // Devices.
  {
    ForgePart leaf = Box({kDoorwayWidth, kDoorwayHeight, 0.1f}, {0.0f, 0.0f, 0.0f}, "door", true);
    leaf.userData = {Int("twosided.twosided", 1)};
    add("door", {leaf}, true);
  }
  add("button", {Box({0.15f, 0.15f, 0.08f}, {0.0f, 0.0f, 0.04f}, "button", false)}, true);
  add("groupbutton", {Box({0.15f, 0.15f, 0.08f}, {0.0f, 0.0f, 0.04f}, "groupbutton", false)}, true);
  add("wallpanel", {Box({0.4f, 0.5f, 0.05f}, {0.0f, 0.0f, 0.025f}, "wallpanel", false)}, true);
  add("pickup", {Box({0.3f, 0.05f, 0.2f}, {0.0f, 0.0f, 0.0f}, "pickup", true)}, true);
  // Levers hang on a wall by their hub. A lever swings its whole frame half
  // a turn about its x axis, which also turns its 'at' axis round: placed
  // down, it faces the wall and is used from its back, and up it faces the
  // room. The handle hangs down from the hub in the frame's plane, so both
  // positions stay in front of the wall.
  for (const char* name : {"lever", "multilever"}) {
    ForgePart hub = Box({0.12f, 0.12f, 0.12f}, {0.0f, 0.0f, 0.0f}, "lever", false);
    ForgePart handle = Box({0.05f, 0.5f, 0.05f}, {0.0f, -0.25f, 0.0f}, "lever", false);
    handle.parent = 0;
    add(name, {hub, handle}, true);
  }
  add("cupboard", {Box({1.0f, 2.0f, 0.5f}, {0.0f, 0.0f, 0.0f}, "cupboard", true)}, true);
  add("desk", {Box({1.4f, 0.8f, 0.7f}, {0.0f, 0.0f, 0.0f}, "desk", true)}, true);

  // A plain static model placed by its own coordinates: a mirror on room
  // B's east wall.
  {
    ForgePart glass = Box({0.02f, 1.8f, 1.2f}, {23.97f, 0.3f, 6.0f}, "mirror", true);
    glass.userData = {Int("mirror.mirror", 1)};
    add("mirror", {glass}, true);
  }

  // The sky, seen from inside and never lit (the map views' plan is
  // written with the map data).
  {
    ForgePart dome = Box({200.0f, 100.0f, 200.0f}, {0.0f, 0.0f, 0.0f}, "sky", false);
    dome.userData = {Int("twosided.twosided", 1), Int("nolight.nolight", 0)};
    add("sky", {dome}, false);
  }
  return models;
}

// The twin: one untextured box round the drawn parts, carrying its
// collision tree, tested for collisions and never drawn.
std::vector<ForgePart> Twin(const ModelSpec& model) {
  float lo[3] = {1e9f, 1e9f, 1e9f};
  float hi[3] = {-1e9f, -1e9f, -1e9f};
  for (const ForgePart& part : model.parts) {
    RwV3d centre = part.offset;
    if (part.parent >= 0) {
      const RwV3d& up = model.parts[static_cast<size_t>(part.parent)].offset;
      centre = {centre.x + up.x, centre.y + up.y, centre.z + up.z};
    }
    const float c[3] = {centre.x, centre.y, centre.z};
    const float half[3] = {part.size.x * 0.5f, part.size.y * 0.5f, part.size.z * 0.5f};
    for (int axis = 0; axis < 3; ++axis) {
      lo[axis] = std::min(lo[axis], c[axis] - half[axis]);
      hi[axis] = std::max(hi[axis], c[axis] + half[axis]);
    }
  }
  ForgePart twin;
  twin.size = {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
  twin.offset = {(hi[0] + lo[0]) * 0.5f, (hi[1] + lo[1]) * 0.5f, (hi[2] + lo[2]) * 0.5f};
  twin.collisionData = true;
  twin.userData = {Text("name.name", model.name + "_collision"), Int("collision.collision", 1),
                   Int("priority.priority", -1)};
  return {twin};
}

uint32_t NameColour(const std::string& name) {
  uint32_t hash = 2166136261u;
  for (char c : name) {
    hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  }
  return hash & 0xFFFFFF;
}

bool ClumpBytes(const std::vector<ForgePart>& parts, std::vector<uint8_t>* bytes) {
  return ForgeEngineWritten([&parts](RwStream* stream) { return ForgeWriteClump(stream, parts); }, bytes);
}

}  // namespace

const std::vector<ModelSpec>& Models() {
  static const std::vector<ModelSpec> models = BuildModels();
  return models;
}

bool WriteModels(DataFolder& data) {
  const std::string folder = kModelFolder;
  for (const ModelSpec& model : Models()) {
    std::vector<uint8_t> bytes;
    if (!ClumpBytes(model.parts, &bytes)) {
      return false;
    }
    data.Write(folder + model.name + ".dff", std::move(bytes));
    if (model.twin) {
      std::vector<uint8_t> twin;
      if (!ClumpBytes(Twin(model), &twin)) {
        return false;
      }
      data.Write(folder + "collision/" + model.name + ".dff", std::move(twin));
    }
    for (const ForgePart& part : model.parts) {
      const std::string& texture = part.material.texture;
      const std::string path = folder + "textures/" + texture + ".bmp";
      if (!texture.empty() && !data.Has(path)) {
        const uint32_t light = NameColour(texture) | 0x404040;
        const uint32_t dark = (light >> 2) & 0x3F3F3F;
        data.Write(path, PatternBitmap(32, 32, dark, light, NameColour(texture)));
      }
    }
  }
  // The lamp's glow, with the mask that gives it its round edge.
  data.Write("data/textures/lamp_glow.bmp", GlowBitmap(32, 0xFFE8B0));
  data.Write("data/textures/lamp_glow_mask.bmp", GlowMaskBitmap(32));
  return true;
}

}  // namespace level01
}  // namespace demo
