// The men of the demo data: one 21-node skeleton, a skinned body of simple
// limbs for each of the 13 bodies (told apart by their colours), the 42
// animations every man shares, and the groups of a level's "men.txt" that
// name them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/demo/data_folder.h"
#include "tools/demo/picture.h"
#include "tools/forge/forge.h"

namespace demo {
namespace men {

constexpr int kNodeCount = 21;
constexpr int kRightHandNode = 9;
constexpr int kAnimationCount = 42;
// Root speeds of the gaits, units a second.
constexpr float kWalkSpeed = 1.5f;
constexpr float kRunSpeed = 4.0f;
constexpr float kSneakSpeed = 0.8f;
// Uses reach their target at this share of their length.
constexpr float kUseReachShare = 0.4f;
constexpr char kAnimationFolder[] = "data/man/anims/";

// The body names as the game's BODY table spells them, in its order.
const std::vector<std::string>& BodyNames();
// The animation names of the 42 slots; the file is kAnimationFolder + name + ".anm".
const std::vector<std::string>& AnimationNames();
// "data/man/<body>/body.dff".
std::string BodyPath(const std::string& body);
// The body's plain-colour textures, the clothes' and the skin's, by file path
// ("data/man/<body>/textures/<name>.bmp"); none for an unknown body.
std::vector<std::pair<std::string, Picture>> BodyTextures(const std::string& body);

ForgeSkeleton Skeleton();
// The skinned body in the body's colours, on the skeleton; null on failure.
RpClump* BodyCreate(int body);
ForgeAnimation Animation(int slot);
// Seconds into the slot at which the left and the right foot touch the
// ground; -1 for a slot without steps.
float LeftFootTime(int slot);
float RightFootTime(int slot);

// The "animdata" group, as property text for a level's "men.txt".
std::string AnimDataGroup();
// The USED_ANIMS lists that every level's men share. The player's: its
// action states, the stand's idle variations, the shield's block, the hit
// reactions and its fall. The other men's: standing, walking, running, a
// door's use and a boss's discharge, looking around, the pause between
// shots and the shot, the shock attack, the falls and the lying poses.
constexpr char kPlayerUsedAnims[] =
    "[0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 25, 26, 27, 28, 29, 30, 31, 32, 33]";
constexpr char kEnemyUsedAnims[] = "[0, 8, 10, 16, 20, 23, 24, 33, 34, 35, 36, 37, 38, 39, 40, 41]";
// A body group's keys (the model's animation settings), and a group of them
// for every body but those the level's file writes itself (a body named like
// a man group shares that group).
std::string BodyKeys();
std::string BodyGroups(const std::vector<std::string>& skip);

// The height of the bodies' top, the head's, standing in the bind pose.
float BodyHeight();
// The "CollisionCapsule" group every level's men share: from the shins,
// clear of the floor and low steps, to the top of the head, so that what
// hits the drawn head or shoulders hits the man.
std::string CollisionCapsuleGroup();

// Every body and animation file; false when an engine writer failed.
bool WriteMen(DataFolder& data);

}  // namespace men
}  // namespace demo
