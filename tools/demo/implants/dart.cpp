// The dart implant's models: the dart, and the skinned hand that holds the
// dart gun in front of the camera with its aiming and shooting animations.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tools/demo/implants/implants.h"
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace demo {

namespace {

// The hand: an arm of three bones along +y, bending at its joints.
constexpr RwInt32 kHandBones = 3;
constexpr RwReal kHandLength = 0.3f;
constexpr RwReal kHandBoneLength = kHandLength / kHandBones;
// Aiming holds a slight bend; a shot kicks the hand up and back in 0.3 s.
constexpr RwReal kAimBend = 8.0f;  // degrees
constexpr RwReal kAimDuration = 1.0f;
constexpr RwReal kShootBend = 35.0f;
constexpr RwReal kShootKick = 0.08f;
constexpr RwReal kShootDuration = 0.3f;

ForgeTube HandTube() {
  ForgeTube tube;
  tube.bones = kHandBones;
  tube.length = kHandLength;
  tube.radius = 0.035f;
  tube.sides = 8;
  tube.rings = 7;
  tube.color = {205, 165, 135, 255};
  // Lit by the level like the men's bodies.
  tube.geometryFlags |= rpGEOMETRYLIGHT;
  return tube;
}

ForgeAnimation ShootAnimation() {
  const float half = static_cast<float>(kShootBend * 3.14159265 / 360.0);
  const RtQuat rest = {{0.0f, 0.0f, 0.0f}, 1.0f};
  const RtQuat bent = {{std::sin(half), 0.0f, 0.0f}, std::cos(half)};
  ForgeAnimation animation;
  animation.duration = kShootDuration;
  for (const ForgeBone& bone : ForgeBoneChain(kHandBones, kHandBoneLength).bones) {
    const RtQuat kick = bone.parent >= 0 ? bent : rest;
    animation.nodes.push_back({{0.0f, rest, bone.translation},
                               {kShootKick, kick, bone.translation},
                               {kShootDuration, rest, bone.translation}});
  }
  return animation;
}

// A box of the dart, left out of every line test and unlit.
ForgePart DartPart(RwV3d size, RwV3d offset, RwRGBA colour) {
  ForgePart part;
  part.size = size;
  part.offset = offset;
  part.material.color = colour;
  ForgeUserData noCollision;
  noCollision.name = "collision.collision";
  noCollision.format = rpINTUSERDATA;
  noCollision.ints = {0};
  part.userData = {noCollision};
  return part;
}

bool Write(DataFolder& data, const char* path, const std::function<bool(RwStream*)>& writer) {
  std::vector<uint8_t> bytes;
  if (!ForgeEngineWritten(writer, &bytes)) {
    return false;
  }
  data.Write(path, std::move(bytes));
  return true;
}

}  // namespace

bool WriteDartModels(DataFolder& data) {
  // The dart flies along +z, its red tip first.
  const std::vector<ForgePart> dart = {DartPart({0.02f, 0.02f, 0.25f}, {0.0f, 0.0f, 0.0f}, {200, 200, 210, 255}),
                                       DartPart({0.03f, 0.03f, 0.04f}, {0.0f, 0.0f, 0.14f}, {230, 40, 40, 255})};
  const ForgeTube hand = HandTube();
  const ForgeAnimation aim = ForgeBendAnimation(kHandBones, kHandBoneLength, kAimBend, kAimDuration);
  const ForgeAnimation shoot = ShootAnimation();
  return Write(data, "data/implants/dart/dart2.dff", [&](RwStream* s) { return ForgeWriteClump(s, dart); }) &&
         Write(data, "data/implants/dart/hand.dff", [&](RwStream* s) { return ForgeWriteSkinnedTube(s, hand); }) &&
         Write(data, "data/implants/dart/handaim.anm", [&](RwStream* s) { return ForgeWriteAnimation(s, aim); }) &&
         Write(data, "data/implants/dart/handshoot.anm", [&](RwStream* s) { return ForgeWriteAnimation(s, shoot); });
}

}  // namespace demo
