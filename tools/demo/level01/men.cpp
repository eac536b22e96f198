// The first level's men and camera: "men.txt" with the player first and
// its hologram double second, three others on waypoint routes, the shared
// groups (the player's and the enemies' settings, the animation table, the
// collision capsule, the bodies' animation settings), and "camera.txt".
#include "tools/demo/men/men.h"

#include <cstdio>

#include "tools/demo/level01/level01_parts.h"

namespace demo {
namespace level01 {

namespace {

std::string MenFile() {
  std::string text = "# The men of level01: the player first, its double second.\n";
  text += "[Men]\nMEN = [dorvaman, dorvaholoman, guard_1, civilian_1, gangster_1, boss_1]\n";

  // The player's group is also the player type's static group and its
  // body's group.
  text +=
      "\n[dorvaman]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (2.0,0.0,0.0)\nANGLE = 90\n"
      "ENERGYREGENERATION = 10.0\n"  // thousandths a second: a full bar in 100 s
      "USED_ANIMS = " +
      std::string(men::kPlayerUsedAnims) +
      "\n"
      "MAGNETIC_EFFECT = 0.1\nMATTER_EFFECT = 0.1\nNOISE_SOFT = 0.5\nNOISE_MEDIUM = 1.0\nNOISE_LOUD = 4.0\n"
      "DART_SPEED = 40.0\nDART_DISTANCE = 50.0\nHOLO_TIME = 10.0\nANGLE_STAND = 1.6\nANGLE_SNEAK = 1.8\n"
      "ANGLE_WALK = 2.2\nANGLE_RUN = 2.4\nVEST_SHOOTENERGY = 0.1\nVEST_ANGLE = 1.5707964\nULTRA_ALPHA = 50\n"
      "ULTRA_PC_OVERLAYS = 10\nSEARCH_INCHEALTH = 0.3\nSEARCH_DECHEALTH = 0.3\nSEARCH_ADDENERGY = 0.3\n"
      "SEARCH_SPEED = 4.0\nHARDENERGYFACTOR = 0.5\n"
      "START_ANIM_INDEX = 0\nGLOBAL_BLEND_TIME = 0.2\nGLOBAL_ANIM_SPEED = 1.0\n";
  text +=
      "\n[dorvaholoman]\nTYPE = dorvaholoman\nBODY = dorvaholoman\nPOSITION = (1000.0,1000.0,1000.0)\n"
      "START_ANIM_INDEX = 0\nGLOBAL_BLEND_TIME = 0.2\nGLOBAL_ANIM_SPEED = 1.0\n";
  // guard_1 starts in room C's far corner (waypoint 14), comes out into the
  // corridor through door C about a quarter of a minute after the start,
  // walks east to x 16 and back, and goes into room C again for a round of
  // about a minute and a half there. He never comes nearer the start than
  // the corridor's lamp, so that a player who waits at the start is left
  // alone; shut behind him, door C hides the corridor while he walks room C,
  // long enough for a player who sets off when he goes in and takes his time
  // (three to five seconds between moves) to reach room D with half a
  // minute to spare.
  text +=
      "\n[guard_1]\nTYPE = guard\nBODY = guard\nSTARTPOINT = 14\nANGLE = 45\nLOOSER = 50\n"
      "WAYPOINTS = [14, 13, 12, 3, 19, 3, 12, 13, 20, 13, 14, 13, 20, 13, 14, 13, 20, 13, 14, 13, 20, 13, 14, 13, 20, "
      "13, 14, 13, 20, 13, 14, 13, 20, 13]\n";
  // room B's staff: a clerk on its east side, the gangster in its middle and
  // the boss on its west side (npcs.cpp), all called out by the camera.
  text += "\n[civilian_1]\nTYPE = civilian\nBODY = civilian1\nSTARTPOINT = 1\nANGLE = 180\nWAYPOINTS = [1, 21]\n";
  text +=
      "\n[gangster_1]\nTYPE = gangster\nBODY = gangster\nSTARTPOINT = 10\nANGLE = 90\nLOOSER = 80\n"
      "WAYPOINTS = [10, 11, 10, 9]\n";
  text += BossGroups();
  for (const char* body : {"guard", "civilian1", "gangster"}) {
    text += "\n[" + std::string(body) + "]\nSTART_ANIM_INDEX = 0\nGLOBAL_BLEND_TIME = 0.25\nGLOBAL_ANIM_SPEED = 1.0\n";
  }

  text += "\n[enemy]\nUSED_ANIMS = " + std::string(men::kEnemyUsedAnims) +
          "\n"
          "SEE_DISTANCE0 = 12\nSEE_DISTANCE1 = 5\nSEE_DISTANCE2 = 10\nSEE_DISTANCE3 = 8\nSEE_DISTANCE4 = 8\n"
          "SEE_ANGLE0 = 90\nSEE_ANGLE1 = 120\nSEE_ANGLE2 = 100\nSEE_ANGLE3 = 90\nSEE_ANGLE4 = 90\n"
          "SHADOW_DARKNESS = 1.0\nHEAR_DISTANCE = 2.0\nHARDHURTFACTOR = 2.0\nPERCEPTOR_POINT = [0, 1.6]\n"
          "SHOOT_DAMAGE = 0.1\nPANIC_WAYPOINTTIME = 15\nSHOOT_DAMAGE_LIMIT = 0.4\nSHOOT_SUCCESS = 0.6\n"
          "SHOOT_PERIOD = 0.8\nSHOOT_DISTANCE = 3\nSHOOT_DIST_LIMIT = 5\nDEAD_HIDE_TIME = 5\n"
          "LOOKAROUND_ANIMLOOP = 1\nSEARCH_SEARCH_TIME = 5\nCHASE_SEARCH_TIME = 5\n";

  // The bodies the groups above do not hold, and the men's animation table.
  text += men::BodyGroups({"dorvaman", "dorvaholoman", "guard", "civilian1", "gangster"});
  text += "\n" + men::AnimDataGroup();
  text += "\n" + men::CollisionCapsuleGroup();
  return text;
}

const char kCameraFile[] =
    "# The camera of level01: behind and above the player, near enough that\n"
    "# it stays inside the corridors when the player faces across one, and\n"
    "# low enough (2.1, under the doorways' 2.4 and a lifted door's edge)\n"
    "# that a camera left behind him in a doorway sees through it, not the\n"
    "# wall round it; and 0.3 to his right, so that his head, as high as the\n"
    "# camera nearly, does not hide what lies straight ahead of him.\n"
    "# It stands 0.1 in front of a wall it comes to, often at a slant: a\n"
    "# near plane well inside that keeps its corners out of the wall.\n"
    "CLIP = (0.02,500.0)\n"
    "FOV = 90\n"
    "MINZOOMFOV = 60\n"
    "MAXZOOMFOV = 10\n"
    "ZOOMSPEED = 40\n"
    "RELATIVE_POSITION = (-0.3,2.1,-2.5)\n"
    "LOOK_AT_RELATIVE_POSITION = (0.0,1.6,2.0)\n"
    "# Dim: the men add it to the level's lights and their lightmap light,\n"
    "# and the brightness option scales the ambient one 0.5 to 2 times.\n"
    "LIGHTCOLOR = (0.2,0.2,0.2,1.0)\n"
    "LIGHT_DIRECTION = (0.3,-1.0,0.4)\n"
    "# A wall behind the player holds the camera at the wall; one within a\n"
    "# metre of his head (a cupboard at his back) has it rise over it, or\n"
    "# over his head. Only where there is no room for that does it pull in,\n"
    "# to a shoulder point in front of the wall.\n"
    "BLEND_MIN = 0.5\n"
    "BLEND_MAX = 0.8\n"
    "BLEND_SPEED = 2.0\n"
    "BLEND_PLUSLOOKAT = 0.25\n"
    "BLEND_POSDISTANCE = 0.35\n";

}  // namespace

void WriteMen(DataFolder& data) {
  data.WriteText(std::string(kFolder) + "men.txt", MenFile());
  data.WriteText(std::string(kFolder) + "camera.txt", kCameraFile);
}

}  // namespace level01
}  // namespace demo
