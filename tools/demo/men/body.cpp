// The men's skeleton and bodies: a root on the ground, a pelvis, spine,
// neck and head, two arms from the chest and two legs from the pelvis; each
// limb a box that follows its bone alone.
#include <algorithm>
#include <cmath>
#include <utility>

#include "tools/demo/men/men.h"

namespace demo {
namespace men {

namespace {

struct BonePlan {
  int parent;
  RwV3d translation;  // from the parent
};

// Depth first: every parent before its children. Node 9 is the right hand.
const BonePlan kBones[kNodeCount] = {
    {-1, {0.0f, 0.0f, 0.0f}},     // 0 root, on the ground
    {0, {0.0f, 0.95f, 0.0f}},     // 1 pelvis
    {1, {0.0f, 0.15f, 0.0f}},     // 2 spine
    {2, {0.0f, 0.15f, 0.0f}},     // 3 upper spine
    {3, {0.0f, 0.2f, 0.0f}},      // 4 chest
    {4, {0.0f, 0.12f, 0.0f}},     // 5 neck
    {5, {0.0f, 0.1f, 0.0f}},      // 6 head
    {4, {-0.22f, 0.0f, 0.0f}},    // 7 right upper arm
    {7, {0.0f, -0.3f, 0.0f}},     // 8 right forearm
    {8, {0.0f, -0.28f, 0.0f}},    // 9 right hand
    {4, {0.22f, 0.0f, 0.0f}},     // 10 left upper arm
    {10, {0.0f, -0.3f, 0.0f}},    // 11 left forearm
    {11, {0.0f, -0.28f, 0.0f}},   // 12 left hand
    {1, {-0.1f, 0.0f, 0.0f}},     // 13 right thigh
    {13, {0.0f, -0.45f, 0.0f}},   // 14 right shin
    {14, {0.0f, -0.42f, 0.0f}},   // 15 right foot
    {15, {0.0f, -0.05f, 0.12f}},  // 16 right toes
    {1, {0.1f, 0.0f, 0.0f}},      // 17 left thigh
    {17, {0.0f, -0.45f, 0.0f}},   // 18 left shin
    {18, {0.0f, -0.42f, 0.0f}},   // 19 left foot
    {19, {0.0f, -0.05f, 0.12f}},  // 20 left toes
};

// A limb: a box in its bone's space.
struct Limb {
  int bone;
  RwV3d centre;
  RwV3d size;
  bool skin;  // drawn in the skin's colour, else the clothes'
};

const Limb kLimbs[] = {
    {1, {0.0f, 0.05f, 0.0f}, {0.34f, 0.2f, 0.2f}, false},      {2, {0.0f, 0.075f, 0.0f}, {0.3f, 0.15f, 0.18f}, false},
    {3, {0.0f, 0.1f, 0.0f}, {0.34f, 0.2f, 0.2f}, false},       {4, {0.0f, 0.06f, 0.0f}, {0.42f, 0.14f, 0.22f}, false},
    {5, {0.0f, 0.05f, 0.0f}, {0.1f, 0.1f, 0.1f}, true},        {6, {0.0f, 0.12f, 0.02f}, {0.2f, 0.24f, 0.22f}, true},
    {7, {0.0f, -0.15f, 0.0f}, {0.1f, 0.3f, 0.1f}, false},      {8, {0.0f, -0.14f, 0.0f}, {0.09f, 0.28f, 0.09f}, false},
    {9, {0.0f, -0.06f, 0.0f}, {0.08f, 0.12f, 0.05f}, true},    {10, {0.0f, -0.15f, 0.0f}, {0.1f, 0.3f, 0.1f}, false},
    {11, {0.0f, -0.14f, 0.0f}, {0.09f, 0.28f, 0.09f}, false},  {12, {0.0f, -0.06f, 0.0f}, {0.08f, 0.12f, 0.05f}, true},
    {13, {0.0f, -0.225f, 0.0f}, {0.14f, 0.45f, 0.14f}, false}, {14, {0.0f, -0.21f, 0.0f}, {0.12f, 0.42f, 0.12f}, false},
    {15, {0.0f, -0.01f, 0.04f}, {0.1f, 0.08f, 0.2f}, false},   {16, {0.0f, 0.0f, 0.04f}, {0.1f, 0.04f, 0.08f}, false},
    {17, {0.0f, -0.225f, 0.0f}, {0.14f, 0.45f, 0.14f}, false}, {18, {0.0f, -0.21f, 0.0f}, {0.12f, 0.42f, 0.12f}, false},
    {19, {0.0f, -0.01f, 0.04f}, {0.1f, 0.08f, 0.2f}, false},   {20, {0.0f, 0.0f, 0.04f}, {0.1f, 0.04f, 0.08f}, false},
};
constexpr int kLimbCount = static_cast<int>(sizeof(kLimbs) / sizeof(kLimbs[0]));
constexpr int kBoxFaces = 6;
constexpr int kFaceVertices = 4;

// Clothes and skin colours by body; the double is a translucent blue.
struct BodyColours {
  RwRGBA clothes;
  RwRGBA skin;
};
constexpr char kClothesTexture[] = "clothes";
constexpr char kSkinTexture[] = "skin";
const BodyColours kColours[] = {
    {{40, 40, 48, 255}, {214, 170, 140, 255}},    // dorvaman
    {{90, 160, 255, 110}, {120, 190, 255, 110}},  // dorvaholoman
    {{150, 120, 90, 255}, {220, 180, 150, 255}},  // civilian
    {{60, 110, 160, 255}, {200, 160, 130, 255}},  // civilian1
    {{170, 60, 60, 255}, {225, 185, 155, 255}},   // civilian2
    {{90, 140, 70, 255}, {180, 140, 110, 255}},   // civilian3
    {{200, 180, 80, 255}, {140, 100, 80, 255}},   // civilian4
    {{70, 80, 60, 255}, {210, 170, 140, 255}},    // guard
    {{80, 90, 70, 255}, {190, 150, 120, 255}},    // guard1
    {{60, 70, 80, 255}, {215, 175, 145, 255}},    // guard2
    {{90, 70, 60, 255}, {160, 120, 95, 255}},     // guard3
    {{120, 20, 20, 255}, {200, 160, 130, 255}},   // guard4, the boss
    {{30, 30, 30, 255}, {205, 165, 135, 255}},    // gangster
};

// The unit normals and the two in-face axes of the six box faces.
struct Face {
  RwV3d normal, u, v;
};
const Face kFaces[kBoxFaces] = {
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
};

RwV3d Transform(const RwMatrix& m, const RwV3d& p, bool point) {
  const float w = point ? 1.0f : 0.0f;
  return {p.x * m.right.x + p.y * m.up.x + p.z * m.at.x + w * m.pos.x,
          p.x * m.right.y + p.y * m.up.y + p.z * m.at.y + w * m.pos.y,
          p.x * m.right.z + p.y * m.up.z + p.z * m.at.z + w * m.pos.z};
}

// The engine finds a texture by its name in the dictionary before it reads
// one, so each body's textures carry the body's name: a plain "clothes"
// would dress every man in the first body's.
std::string TextureName(int body, const char* part) { return BodyNames()[static_cast<size_t>(body)] + "_" + part; }

RpGeometry* BodyGeometry(int body, const std::vector<RwMatrix>& pose) {
  const RwInt32 vertices = kLimbCount * kBoxFaces * kFaceVertices;
  const RwInt32 triangles = kLimbCount * kBoxFaces * 2;
  // Every body is lit: the bodies carry no prelit colours, and the engine
  // draws an unlit one black (the double's translucent material is blended
  // on the lit road as well).
  // The colours are in the textures: the game tints a man through his
  // material colours (the shield's red, Ultra's and aiming's fade) and sets
  // them back to white, so white must show the body as it is.
  RpGeometry* geometry = RpGeometryCreate(vertices, triangles,
                                          rpGEOMETRYPOSITIONS | rpGEOMETRYNORMALS | rpGEOMETRYTEXTURED |
                                              rpGEOMETRYMODULATEMATERIALCOLOR | rpGEOMETRYLIGHT);
  if (geometry == nullptr) {
    return nullptr;
  }
  for (const char* part : {kClothesTexture, kSkinTexture}) {
    const std::string name = TextureName(body, part);
    RpMaterial* material = RpMaterialCreate();
    const RwRGBA white = {255, 255, 255, kColours[body].clothes.alpha};
    RpMaterialSetColor(material, &white);
    RwTexture* texture = RwTextureCreate(nullptr);
    RwTextureSetName(texture, name.c_str());
    RpMaterialSetTexture(material, texture);
    RwTextureDestroy(texture);  // the material holds its own reference
    RpMaterialListAppendMaterial(&geometry->matList, material);
    RpMaterialDestroy(material);  // the list holds its own reference
  }
  std::vector<RwUInt32> indices(static_cast<size_t>(vertices));
  std::vector<RpSkinVertexWeights> weights(indices.size(), RpSkinVertexWeights{{1.0f, 0.0f, 0.0f, 0.0f}});
  RpMorphTarget& target = geometry->morphTarget[0];
  RwInt32 vertex = 0;
  RwInt32 triangle = 0;
  for (const Limb& limb : kLimbs) {
    const RwMatrix& bone = pose[static_cast<size_t>(limb.bone)];
    for (const Face& face : kFaces) {
      const RwUInt16 first = static_cast<RwUInt16>(vertex);
      for (int corner = 0; corner < kFaceVertices; corner++) {
        const float su = (corner == 1 || corner == 2) ? 0.5f : -0.5f;
        const float sv = corner >= 2 ? 0.5f : -0.5f;
        const RwV3d local = {limb.centre.x + limb.size.x * (0.5f * face.normal.x + su * face.u.x + sv * face.v.x),
                             limb.centre.y + limb.size.y * (0.5f * face.normal.y + su * face.u.y + sv * face.v.y),
                             limb.centre.z + limb.size.z * (0.5f * face.normal.z + su * face.u.z + sv * face.v.z)};
        target.verts[vertex] = Transform(bone, local, true);
        target.normals[vertex] = Transform(bone, face.normal, false);
        geometry->texCoords[0][vertex] = {su + 0.5f, sv + 0.5f};
        indices[static_cast<size_t>(vertex)] = static_cast<RwUInt32>(limb.bone);
        vertex++;
      }
      const RwUInt16 material = limb.skin ? 1 : 0;
      geometry->triangles[triangle++] = {{first, static_cast<RwUInt16>(first + 1), static_cast<RwUInt16>(first + 2)},
                                         material};
      geometry->triangles[triangle++] = {{first, static_cast<RwUInt16>(first + 2), static_cast<RwUInt16>(first + 3)},
                                         material};
    }
  }
  target.boundingSphere = {{0.0f, 0.9f, 0.0f}, 1.1f};
  // Every word of the matrices is written out: type flags recomputed from
  // the values, padding cleared.
  std::vector<RwMatrix> inverses(pose.size());
  for (size_t i = 0; i < pose.size(); i++) {
    RwMatrix bone = pose[i];
    bone.flags = 0;
    RwMatrixOptimize(&bone, nullptr);
    RwMatrixInvert(&inverses[i], &bone);
    RwMatrixOptimize(&inverses[i], nullptr);
    inverses[i].pad1 = inverses[i].pad2 = inverses[i].pad3 = 0;
  }
  RpSkin* skin = RpSkinCreate(vertices, kNodeCount, indices.data(), weights.data(), inverses.data());
  if (skin == nullptr || (RpSkinGeometrySetSkin(geometry, skin), RpGeometryUnlock(geometry) == nullptr)) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  return geometry;
}

}  // namespace

const std::vector<std::string>& BodyNames() {
  static const std::vector<std::string> names = {"dorvaman",  "dorvaholoman", "civilian", "civilian1", "civilian2",
                                                 "civilian3", "civilian4",    "guard",    "guard1",    "guard2",
                                                 "guard3",    "guard4",       "gangster"};
  return names;
}

std::string BodyPath(const std::string& body) { return "data/man/" + body + "/body.dff"; }

std::vector<std::pair<std::string, Picture>> BodyTextures(const std::string& body) {
  const size_t index = static_cast<size_t>(
      std::find(BodyNames().begin(), BodyNames().end(), body) - BodyNames().begin());
  std::vector<std::pair<std::string, Picture>> textures;
  if (index < BodyNames().size()) {
    const BodyColours& colours = kColours[index];
    for (const auto& [name, colour] : {std::pair{kClothesTexture, colours.clothes}, std::pair{kSkinTexture, colours.skin}}) {
      const uint32_t rgb = static_cast<uint32_t>(colour.red) << 16 | static_cast<uint32_t>(colour.green) << 8 | colour.blue;
      textures.emplace_back("data/man/" + body + "/textures/" + TextureName(static_cast<int>(index), name) + ".bmp",
                            Picture(8, 8, rgb));
    }
  }
  return textures;
}

float BodyHeight() {
  float boneHeight[kNodeCount];
  float top = 0.0f;
  for (int i = 0; i < kNodeCount; i++) {
    boneHeight[i] = kBones[i].translation.y + (kBones[i].parent >= 0 ? boneHeight[kBones[i].parent] : 0.0f);
  }
  // The bind pose turns no bone: each limb stands upright on its bone.
  for (const Limb& limb : kLimbs) {
    top = std::max(top, boneHeight[limb.bone] + limb.centre.y + 0.5f * limb.size.y);
  }
  return top;
}

ForgeSkeleton Skeleton() {
  ForgeSkeleton skeleton;
  for (int i = 0; i < kNodeCount; i++) {
    skeleton.bones.push_back({i + 1, kBones[i].parent, kBones[i].translation, {{0.0f, 0.0f, 0.0f}, 1.0f}});
  }
  return skeleton;
}

RpClump* BodyCreate(int body) {
  const ForgeSkeleton skeleton = Skeleton();
  return ForgeSkinnedClumpCreate(BodyGeometry(body, ForgeSkeletonBindPose(skeleton)), skeleton);
}

}  // namespace men
}  // namespace demo
