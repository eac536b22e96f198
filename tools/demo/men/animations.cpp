// The men's 42 animations, built from poses: each slot a function of the
// phase that turns the joints and moves the root, sampled into keys. The
// gaits are cycles whose root walks at their speed; falls end on the ground
// and the lying slots hold where they ended.
#include <cmath>

#include "tools/demo/men/men.h"

namespace demo {
namespace men {

namespace {

constexpr int kSamples = 8;  // keys a node: kSamples + 1
constexpr float kPi = 3.14159265f;
constexpr float kPelvisHeight = 0.95f;

enum Node {
  kRoot = 0,
  kPelvis = 1,
  kSpine = 2,
  kUpperSpine = 3,
  kChest = 4,
  kNeck = 5,
  kHead = 6,
  kRightArm = 7,
  kRightForearm = 8,
  kRightHand = 9,
  kLeftArm = 10,
  kLeftForearm = 11,
  kRightThigh = 13,
  kRightShin = 14,
  kLeftThigh = 17,
  kLeftShin = 18,
};

// A pose: degrees about x, y and z a node, the root's place and the
// pelvis's height.
struct Pose {
  RwV3d turn[kNodeCount] = {};
  RwV3d root = {0.0f, 0.0f, 0.0f};
  float pelvisHeight = kPelvisHeight;
};

enum Kind { kStill, kCycle, kOnce };

struct Gait {
  float speed;       // units a second
  float dirX, dirZ;  // direction of travel in the man's space, unit; +x is his left
  float swing;       // degrees of leg swing
  bool sideways;     // legs swing about z
  bool low;          // sneaking posture
};

struct SlotPlan {
  const char* name;
  float duration;  // seconds
  Kind kind;
};

const SlotPlan kSlots[kAnimationCount] = {
    {"stand", 2.0f, kCycle},
    {"idle1", 3.0f, kCycle},
    {"idle2", 3.0f, kCycle},
    {"crouch", 1.0f, kCycle},
    {"sneak_fwd", 1.2f, kCycle},
    {"sneak_back", 1.2f, kCycle},
    {"sneak_left", 1.2f, kCycle},
    {"sneak_right", 1.2f, kCycle},
    {"run_fwd", 0.6f, kCycle},
    {"run_back", 0.6f, kCycle},
    {"walk_fwd", 1.0f, kCycle},
    {"walk_back", 1.0f, kCycle},
    {"walk_left", 1.0f, kCycle},
    {"walk_right", 1.0f, kCycle},
    {"turn_left", 1.0f, kCycle},
    {"turn_right", 1.0f, kCycle},
    {"use_high", 1.5f, kOnce},
    {"use_low", 1.5f, kOnce},
    {"use_high_crouch", 1.5f, kOnce},
    {"use_low_crouch", 1.5f, kOnce},
    {"lookaround", 4.0f, kCycle},
    {"block", 1.0f, kCycle},
    {"aim", 1.0f, kCycle},
    {"shot_pause", 1.0f, kCycle},
    {"shoot", 0.5f, kOnce},
    {"walk_fwd_left", 1.0f, kCycle},
    {"walk_fwd_right", 1.0f, kCycle},
    {"sneak_turn_left", 1.2f, kCycle},
    {"sneak_turn_right", 1.2f, kCycle},
    {"search", 2.0f, kCycle},
    {"search_crouch", 2.0f, kCycle},
    {"hit_front", 0.5f, kOnce},
    {"hit_back", 0.5f, kOnce},
    {"collapse", 1.0f, kOnce},
    {"fall_back", 1.0f, kOnce},
    {"fall_fwd1", 1.0f, kOnce},
    {"fall_fwd2", 1.0f, kOnce},
    {"lie_collapse", 1.0f, kStill},
    {"lie_back", 1.0f, kStill},
    {"lie_fwd1", 1.0f, kStill},
    {"lie_fwd2", 1.0f, kStill},
    {"shock_attack", 1.0f, kCycle},
};

const float kDiagonal = 0.70710678f;

// The gaits by slot; speed 0 for stepping in place. The root moves in the
// man's own axes, where +x is his left (a positive turn about y brings his
// facing towards +x): the left gaits go towards +x, the right ones towards -x.
bool GaitOf(int slot, Gait* gait) {
  switch (slot) {
    case 4:
      *gait = {kSneakSpeed, 0, 1, 15, false, true};
      return true;
    case 5:
      *gait = {kSneakSpeed, 0, -1, 15, false, true};
      return true;
    case 6:
      *gait = {kSneakSpeed, 1, 0, 10, true, true};
      return true;
    case 7:
      *gait = {kSneakSpeed, -1, 0, 10, true, true};
      return true;
    case 8:
      *gait = {kRunSpeed, 0, 1, 40, false, false};
      return true;
    case 9:
      *gait = {kRunSpeed, 0, -1, 35, false, false};
      return true;
    case 10:
      *gait = {kWalkSpeed, 0, 1, 25, false, false};
      return true;
    case 11:
      *gait = {kWalkSpeed, 0, -1, 20, false, false};
      return true;
    case 12:
      *gait = {kWalkSpeed, 1, 0, 15, true, false};
      return true;
    case 13:
      *gait = {kWalkSpeed, -1, 0, 15, true, false};
      return true;
    case 14:
    case 15:
      *gait = {0.0f, 0, 1, 10, false, false};
      return true;
    case 25:
      *gait = {kWalkSpeed, kDiagonal, kDiagonal, 25, false, false};
      return true;
    case 26:
      *gait = {kWalkSpeed, -kDiagonal, kDiagonal, 25, false, false};
      return true;
    case 27:
    case 28:
      *gait = {0.0f, 0, 1, 8, false, true};
      return true;
    default:
      return false;
  }
}

void Crouched(Pose* pose, float share) {
  pose->pelvisHeight = kPelvisHeight - 0.42f * share;
  pose->turn[kRightThigh].x = pose->turn[kLeftThigh].x = -90.0f * share;
  pose->turn[kRightShin].x = pose->turn[kLeftShin].x = 90.0f * share;
  pose->turn[kChest].x = 15.0f * share;
}

// The legs step through the cycle (the left foot down at a quarter, the
// right at three quarters) and the arms swing against them.
void Step(const Gait& gait, float phase, float duration, Pose* pose) {
  const float s = std::sin(2.0f * kPi * phase);
  if (gait.low) {
    Crouched(pose, 0.6f);
  }
  const float axisShare = gait.sideways ? 1.0f : 0.0f;
  pose->turn[kLeftThigh].x += -gait.swing * s * (1.0f - axisShare);
  pose->turn[kRightThigh].x += gait.swing * s * (1.0f - axisShare);
  pose->turn[kLeftThigh].z += gait.swing * s * axisShare;
  pose->turn[kRightThigh].z += gait.swing * s * axisShare;
  pose->turn[kLeftShin].x += gait.swing * std::fmax(0.0f, -s);
  pose->turn[kRightShin].x += gait.swing * std::fmax(0.0f, s);
  pose->turn[kRightArm].x = -0.8f * gait.swing * s;
  pose->turn[kLeftArm].x = 0.8f * gait.swing * s;
  if (gait.speed >= kRunSpeed) {
    pose->turn[kChest].x += 10.0f;
    pose->turn[kRightForearm].x = pose->turn[kLeftForearm].x = -60.0f;
  }
  const float travel = gait.speed * phase * duration;
  pose->root = {gait.dirX * travel, 0.0f, gait.dirZ * travel};
}

// 0 to 1 at the reach share of the length, back to 0 at the end.
float Reach(float phase) {
  return phase < kUseReachShare ? phase / kUseReachShare : (1.0f - phase) / (1.0f - kUseReachShare);
}

void Fallen(int fall, float share, Pose* pose) {
  const float eased = std::sin(0.5f * kPi * share);
  switch (fall) {
    case 33:  // folds where he stands
      pose->pelvisHeight = kPelvisHeight - 0.75f * eased;
      pose->turn[kRightThigh].x = pose->turn[kLeftThigh].x = -90.0f * eased;
      pose->turn[kRightShin].x = pose->turn[kLeftShin].x = 140.0f * eased;
      pose->turn[kSpine].x = 50.0f * eased;
      pose->turn[kChest].x = 30.0f * eased;
      pose->turn[kHead].x = 30.0f * eased;
      break;
    case 34:  // onto his back
      pose->pelvisHeight = kPelvisHeight - 0.8f * eased;
      pose->turn[kPelvis].x = -90.0f * eased;
      pose->turn[kRightArm].z = -70.0f * eased;
      pose->turn[kLeftArm].z = 70.0f * eased;
      break;
    default:  // onto his face, arms ahead (35) or along the body (36)
      pose->pelvisHeight = kPelvisHeight - 0.8f * eased;
      pose->turn[kPelvis].x = 90.0f * eased;
      pose->turn[kHead].y = (fall == 35 ? 60.0f : -60.0f) * eased;
      pose->turn[kRightArm].x = pose->turn[kLeftArm].x = (fall == 35 ? -150.0f : -10.0f) * eased;
      break;
  }
}

Pose PoseAt(int slot, float phase, float duration) {
  Pose pose;
  const float s = std::sin(2.0f * kPi * phase);
  Gait gait;
  if (GaitOf(slot, &gait)) {
    Step(gait, phase, duration, &pose);
    return pose;
  }
  switch (slot) {
    case 0:
      pose.turn[kChest].x = 2.0f * s;
      break;
    case 1:
      pose.turn[kHead].y = 20.0f * s;
      break;
    case 2:
      pose.turn[kPelvis].z = 4.0f * s;
      pose.turn[kChest].z = -4.0f * s;
      break;
    case 3:
      Crouched(&pose, 1.0f);
      pose.turn[kHead].y = 10.0f * s;
      break;
    case 16:
    case 18:
      if (slot == 18) {
        Crouched(&pose, 1.0f);
      }
      pose.turn[kRightArm].x = -120.0f * Reach(phase);
      break;
    case 17:
    case 19:
      if (slot == 19) {
        Crouched(&pose, 1.0f);
      }
      pose.turn[kSpine].x = 35.0f * Reach(phase);
      pose.turn[kRightArm].x = -50.0f * Reach(phase);
      break;
    case 20:
      pose.turn[kHead].y = 60.0f * s;
      pose.turn[kChest].y = 20.0f * s;
      break;
    case 21:
      pose.turn[kRightArm].x = pose.turn[kLeftArm].x = -80.0f;
      pose.turn[kRightForearm].z = 70.0f;
      pose.turn[kLeftForearm].z = -70.0f;
      break;
    case 22:
    case 23:
      pose.turn[kRightArm].x = -90.0f;
      break;
    case 24:
      pose.turn[kRightArm].x = -90.0f - 15.0f * std::sin(kPi * phase);
      break;
    case 29:
    case 30:
      if (slot == 30) {
        Crouched(&pose, 1.0f);
      }
      pose.turn[kSpine].x = 40.0f;
      pose.turn[kRightArm].x = -50.0f + 20.0f * s;
      pose.turn[kLeftArm].x = -50.0f - 20.0f * s;
      break;
    case 31:
    case 32: {
      const float jolt = (slot == 31 ? -25.0f : 25.0f) * std::sin(kPi * phase);
      pose.turn[kChest].x = jolt;
      pose.turn[kHead].x = 0.6f * jolt;
      break;
    }
    case 33:
    case 34:
    case 35:
    case 36:
      Fallen(slot, phase, &pose);
      break;
    case 37:
    case 38:
    case 39:
    case 40:
      Fallen(slot - 4, 1.0f, &pose);
      break;
    case 41:
      pose.turn[kRightArm].x = pose.turn[kLeftArm].x = -90.0f + 10.0f * std::sin(8.0f * kPi * phase);
      break;
    default:
      break;
  }
  return pose;
}

RtQuat Multiply(const RtQuat& a, const RtQuat& b) {
  return {{a.real * b.imag.x + a.imag.x * b.real + a.imag.y * b.imag.z - a.imag.z * b.imag.y,
           a.real * b.imag.y - a.imag.x * b.imag.z + a.imag.y * b.real + a.imag.z * b.imag.x,
           a.real * b.imag.z + a.imag.x * b.imag.y - a.imag.y * b.imag.x + a.imag.z * b.real},
          a.real * b.real - a.imag.x * b.imag.x - a.imag.y * b.imag.y - a.imag.z * b.imag.z};
}

RtQuat AxisTurn(float degrees, int axis) {
  const float half = degrees * kPi / 360.0f;
  RtQuat q = {{0.0f, 0.0f, 0.0f}, std::cos(half)};
  (axis == 0 ? q.imag.x : axis == 1 ? q.imag.y : q.imag.z) = std::sin(half);
  return q;
}

// About x first, then y, then z.
RtQuat Rotation(const RwV3d& degrees) {
  return Multiply(AxisTurn(degrees.z, 2), Multiply(AxisTurn(degrees.y, 1), AxisTurn(degrees.x, 0)));
}

float FootTime(int slot, float share) {
  Gait gait;
  return GaitOf(slot, &gait) ? share * kSlots[slot].duration : -1.0f;
}

}  // namespace

const std::vector<std::string>& AnimationNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const SlotPlan& slot : kSlots) {
      list.push_back(slot.name);
    }
    return list;
  }();
  return names;
}

ForgeAnimation Animation(int slot) {
  const SlotPlan& plan = kSlots[slot];
  const ForgeSkeleton skeleton = Skeleton();
  ForgeAnimation animation;
  animation.duration = plan.duration;
  animation.nodes.resize(kNodeCount);
  const int samples = plan.kind == kStill ? 1 : kSamples;
  for (int i = 0; i <= samples; i++) {
    const float phase = static_cast<float>(i) / static_cast<float>(samples);
    const Pose pose = PoseAt(slot, phase, plan.duration);
    for (int node = 0; node < kNodeCount; node++) {
      // The root moves evenly: its first and last keys hold the whole move,
      // which the models then carry at one velocity, under a hit's flinch too.
      if (node == kRoot && i != 0 && i != samples) {
        continue;
      }
      RwV3d translation = skeleton.bones[static_cast<size_t>(node)].translation;
      if (node == kRoot) {
        translation = pose.root;
      } else if (node == kPelvis) {
        translation.y = pose.pelvisHeight;
      }
      animation.nodes[static_cast<size_t>(node)].push_back(
          {phase * plan.duration, Rotation(pose.turn[node]), translation});
    }
  }
  return animation;
}

float LeftFootTime(int slot) { return FootTime(slot, 0.25f); }
float RightFootTime(int slot) { return FootTime(slot, 0.75f); }

}  // namespace men
}  // namespace demo
