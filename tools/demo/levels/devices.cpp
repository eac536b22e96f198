// The later levels' devices and sensors beside their doors, areas and
// searchables: "level02" holds a camera, a lever, a button, a key, a pair of
// synchronised buttons, a matter area and a timer; "level03" the hackable
// laser and EDS panels, a card, a disguise, a photocell, a listener, a
// magnetic area, a pair of levers, a ledger to take and a timer; "level04"
// (and its copy "level05") a camera and a button. Besides the objectives'
// pickups, only level02's camera and level03's photocell watch the way from
// the start to the exit; the messages are the later levels' shared numbers
// (level_files.cpp).
#include "tools/demo/levels/level_plan.h"

namespace demo {
namespace levels {

namespace {

using level01::kCorridorHalfWidth;
using level01::Keys;
using level01::kRoomFar;
using level01::kRoomNear;
using level01::WallUse;

// A fitting on a corridor wall, standing out from its face.
constexpr float kWall = kCorridorHalfWidth - level01::kOnTheWall;
// A lever's pivot stands this far into the corridor from its wall's face.
constexpr float kLeverWall = kCorridorHalfWidth - 0.08f;

// A pickup on the floor, its use point at hand height, marked on the maps
// until it is taken.
Keys Pickup(const Keys& more) {
  Keys keys = {{"USEPOINT", "[0, 0.8]"},
               {"USEDIST", "1.2"},
               {"USEANG", "360"},
               {"USERANG", "90"},
               {"ICON", std::to_string(level01::kIconPickup)}};
  keys.insert(keys.end(), more.begin(), more.end());
  return keys;
}

// clang-format off
std::vector<level01::Placed> Level02() {
  const Keys pair = {{"GROUP", "[sbutton_1, sbutton_2]"}, {"SYNCRON", "yes"}, {"MESSAGE", "15"},
                     {"DOORS", "[door_1]"}};
  return {
      // Its cone (4 deep) sweeps the corridor's east end and the doorway.
      {"SECURITYCAMERAS", "seccam", "seccam_1", 17.0f, 2.6f, kCorridorHalfWidth - 0.15f, 180.0f, "",
       {{"SEEDIST", "4.0"}, {"RANGEANG", "90"}, {"SEEANG", "40"}, {"SPEED", "15"}, {"ALERTTIME", "5.0"},
        {"MESSAGE1", "9"}, {"MESSAGE2", "10"}, {"STARTEDTIMERS", "[timer_1]"}, {"ALERTED", "[guard_1, guard_2]"}}},
      {"SPECAREAS", "specarea", "area_matter", 19.0f, 0.0f, 0.0f, 0.0f, "",
       {{"RANGE", "1.0"}, {"TYPE", "matter"}, {"MESSAGE1", "17"}, {"MESSAGE2", "17"}}},
      {"DEVICES", "button", "button_1", 14.5f, 1.2f, kWall, 180.0f, "",
       WallUse({{"TYPE", "button"}, {"OPENEDTIME", "5.0"}, {"MESSAGE", "12"}, {"DOORS", "[door_1]"}})},
      // The objectives' pickups lie on the way to the exit: two along the
      // corridor, the key inside the store's doorway.
      {"DEVICES", "pickup", "key_1", 16.0f, 0.0f, kRoomNear + 1.3f, 0.0f, "",
       Pickup({{"TYPE", "key"}, {"MESSAGE", "13"}, {"VARIANT", "1"}, {"DOORS", "[door_1]"}, {"MISSION", "2"}})},
      {"DEVICES", "pickup", "special_1", 5.0f, 0.0f, 0.0f, 0.0f, "",
       Pickup({{"TYPE", "special"}, {"MESSAGE", "33"}, {"MISSION", "3"}})},
      {"DEVICES", "pickup", "special_2", 9.0f, 0.0f, 0.0f, 0.0f, "",
       Pickup({{"TYPE", "special"}, {"MESSAGE", "34"}, {"MISSION", "4"}})},
      // A pair's members lie beyond each other's reach (1.5), so that a
      // player in front of one never works the other.
      {"MULTIDEVICES", "groupbutton", "sbutton_1", 14.8f, 1.2f, -kWall, 0.0f, "", WallUse(pair)},
      {"MULTIDEVICES", "groupbutton", "sbutton_2", 16.4f, 1.2f, -kWall, 0.0f, "", WallUse(pair)},
      // On the store's far wall, placed down and facing it.
      {"LEVERS", "lever", "lever_1", 14.0f, 1.3f, kRoomFar - 0.08f, 0.0f, "",
       WallUse({{"POSITION", "down"}, {"OPENERPOS", "up"}, {"OPENEDTIME", "10.0"}, {"MESSAGE", "11"},
                {"DOORS", "[door_1]"}, {"SECURITY", "[seccam_1]"}})},
  };
}

std::vector<level01::Placed> Level03() {
  const Keys levers = {{"GROUP", "[mlever_1, mlever_2]"}, {"POSITION", "down"}, {"OPENERPOS", "up"},
                       {"PARTIAL_MESSAGE", "28"}, {"MESSAGE", "29"}, {"DOORS", "[door_1]"}};
  return {
      // Across the corridor west of the vault's doorway, on the way to it.
      {"PHOTOCELLS", "photocell", "photocell_1", 13.0f, 1.0f, -kWall, 0.0f, "",
       {{"RAYLENGTH", level01::Number(2.0f * kWall)}, {"RAYHEIGHT", "0.05"}, {"HURT", "-0.05"}, {"MESSAGE1", "24"}, {"MESSAGE2", "25"},
        {"ALERTED", "[guard_1]"}}},
      {"LISTENERS", "listener", "listener_1", 23.9f, 1.5f, 0.0f, 270.0f, "",
       {{"HEARDIST", "3.0"}, {"MESSAGE1", "26"}, {"MESSAGE2", "27"}, {"STARTEDTIMERS", "[timer_1]"},
        {"ALERTED", "[gangster_1]"}}},
      {"SPECAREAS", "specarea", "area_magnetic", 22.5f, 0.0f, 0.8f, 0.0f, "",
       {{"RANGE", "1.0"}, {"TYPE", "magnetic"}, {"MESSAGE1", "19"}, {"MESSAGE2", "19"}}},
      // The two hackable panels face their walls and turn round when set up.
      {"DEVICES", "wallpanel", "laserpanel_1", 6.0f, 1.2f, kWall, 0.0f, "",
       WallUse({{"TYPE", "laserpanel"}, {"MESSAGE", "16"}, {"DOORS", "[door_1]"}, {"SECURITY", "[photocell_1]"}})},
      {"DEVICES", "wallpanel", "edspanel_1", 11.0f, 1.2f, -kWall, 180.0f, "",
       WallUse({{"TYPE", "edspanel"}, {"IMPLANT", "eds"}, {"MESSAGE", "16"}, {"DOORS", "[door_1]"},
                {"ALERTED", "[guard_1, boss_1]"}})},
      {"DEVICES", "pickup", "card_1", 19.5f, 0.0f, -kRoomNear - 0.8f, 0.0f, "",
       Pickup({{"TYPE", "card"}, {"MESSAGE", "22"}, {"VARIANT", "2"}, {"DOORS", "[door_1]"}})},
      {"DEVICES", "pickup", "disguise_1", 21.0f, 0.0f, -1.0f, 0.0f, "",
       Pickup({{"TYPE", "disguise"}, {"MESSAGE", "23"}})},
      // The objectives' pickups lie on the way to the exit: two along the
      // corridor, the ledger and the bonds inside the vault.
      {"DEVICES", "pickup", "special_1", 18.0f, 0.0f, -kRoomNear - 1.3f, 0.0f, "",
       Pickup({{"TYPE", "special"}, {"MESSAGE", "30"}, {"MISSION", "2"}})},
      {"DEVICES", "pickup", "special_2", 4.5f, 0.0f, 0.0f, 0.0f, "",
       Pickup({{"TYPE", "special"}, {"MESSAGE", "35"}, {"MISSION", "3"}})},
      {"DEVICES", "pickup", "special_3", 6.5f, 0.0f, 0.0f, 0.0f, "",
       Pickup({{"TYPE", "special"}, {"MESSAGE", "36"}, {"MISSION", "4"}})},
      {"DEVICES", "pickup", "special_4", 18.0f, 0.0f, -5.4f, 0.0f, "",
       Pickup({{"TYPE", "special"}, {"MESSAGE", "37"}, {"MISSION", "5"}})},
      // Facing each other across the corridor east of the light beam: a
      // player at one never reaches the other (1.5).
      {"MULTILEVERS", "multilever", "mlever_1", 13.5f, 1.3f, kLeverWall, 0.0f, "", WallUse(levers)},
      {"MULTILEVERS", "multilever", "mlever_2", 14.5f, 1.3f, -kLeverWall, 180.0f, "", WallUse(levers)},
  };
}
std::vector<level01::Placed> Level04() {
  return {
      // A short-sighted camera over the corridor's east end, and a button in
      // the hall that opens its door.
      {"SECURITYCAMERAS", "seccam", "seccam_1", 15.5f, 2.6f, -kCorridorHalfWidth + 0.15f, 0.0f, "",
       {{"SEEDIST", "3.0"}, {"RANGEANG", "60"}, {"SEEANG", "40"}, {"SPEED", "10"}, {"ALERTTIME", "5.0"},
        {"MESSAGE1", "9"}, {"MESSAGE2", "10"}, {"ALERTED", "[guard_1]"}}},
      {"DEVICES", "button", "button_1", 2.5f, 1.2f, kRoomNear + level01::kOnTheWall, 0.0f, "",
       WallUse({{"TYPE", "button"}, {"OPENEDTIME", "5.0"}, {"MESSAGE", "12"}, {"DOORS", "[door_1]"}})},
  };
}
// clang-format on

}  // namespace

std::vector<level01::Placed> LevelDevices(const LevelPlan& plan) {
  if (plan.layout == "level02") {
    return Level02();
  }
  if (plan.layout == "level03") {
    return Level03();
  }
  if (plan.layout == "level04") {
    return Level04();
  }
  return {};
}

std::vector<Objective> LaterObjectives(const LevelPlan& plan) {
  if (plan.layout == "level02") {
    return {{"Take the store's key", "Nimm den Schl\xFCssel des Lagers", 31},
            {"Take the delivery note", "Nimm den Lieferschein", 38},
            {"Take the stock list", "Nimm die Bestandsliste", 39}};
  }
  if (plan.layout == "level03") {
    return {{"Take the ledger from the vault", "Nimm das Kassenbuch aus dem Tresor", 32},
            {"Take the guard roster", "Nimm den Wachplan", 55},
            {"Take the vault code", "Nimm den Tresorcode", 56},
            {"Take the bonds from the vault", "Nimm die Wertpapiere aus dem Tresor", 57}};
  }
  return {};
}

std::vector<std::string> TimerNames(const LevelPlan& plan) {
  if (plan.layout == "level02" || plan.layout == "level03") {
    return {"timer_1", "timer_2"};
  }
  return {};
}

std::string TimerGroups(const LevelPlan& plan) {
  // timer_2 starts with the level and, a second after the briefing,
  // opens the radio dialogue (message 58, level_files.cpp).
  const std::string radio = "\n[timer_2]\nSTARTED = 1\nDURATION = 1.0\nSTOPPEDMESSAGE = 58\n";
  if (plan.layout == "level02") {
    return "\n[timer_1]\nDURATION = 20.0\nSTARTEDMESSAGE = 20\nSTOPPEDMESSAGE = 21\nDEACTIVATED = [area_matter]\n" +
           radio;
  }
  if (plan.layout == "level03") {
    return "\n[timer_1]\nDURATION = 30.0\nSTARTEDMESSAGE = 20\nSTOPPEDMESSAGE = 21\nACTIVATED = [photocell_1]\n" +
           radio;
  }
  return "";
}

}  // namespace levels
}  // namespace demo
