// The first level's placed objects: the objects file (one list a class),
// the props file (one group a placed object), one locator file a model, the
// waypoints and the particle placements. Every class of object is there,
// and the lists of one class name objects of others.
#include "tools/demo/level01/objects.h"

#include <cmath>
#include <cstdio>

#include "tools/demo/level01/level01_parts.h"
#include "tools/forge/files/locator_writer.h"

namespace demo {
namespace level01 {

std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
  return text;
}

Keys WallUse(const Keys& more) {
  Keys keys = {{"USEPOINT", "[0, 0]"}, {"USEDIST", "1.5"}, {"USEANG", "120"}, {"USERANG", "90"}};
  keys.insert(keys.end(), more.begin(), more.end());
  return keys;
}

namespace {

std::string Icon(int number) { return std::to_string(number); }

// The middles of the cupboards along room A's side walls.
constexpr float kSearchRows[] = {3.9f, 5.1f, 6.3f, 7.5f, 8.7f};

// One row an object; the rows keep to one line where they fit.
// clang-format off
std::vector<Placed> FixedObjects() {
  const Doorway& a = Doorways()[0];
  const Doorway& b = Doorways()[1];
  const Doorway& c = Doorways()[2];
  const Doorway& d = Doorways()[3];
  const float wall = kCorridorHalfWidth - kOnTheWall;  // a fitting on a corridor wall
  const float roomMiddle = (kRoomNear + kRoomFar) * 0.5f;
  return {
      // Static objects, recoloured by their locator data.
      {"XRF", "crate", "crate_1", 6.0f, 0.0f, 8.5f, 0.0f, "FF000000FF000000FF", {}},
      {"XRF", "crate", "crate_2", 22.8f, 0.0f, 8.9f, 30.0f, "C08040A0A0A0406080", {}},
      // Off the waypoints' ways: the men walk their rounds through objects.
      {"XRF", "pillar", "pillar_1", 14.0f, 0.0f, -4.0f, 0.0f, "C0A080", {}},
      {"XRF", "pillar", "pillar_2", 12.0f, 0.0f, -8.0f, 0.0f, "", {}},
      // Glowing lamps, one a space.
      {"GLOWING", "lamp", "lamp_corridor", 12.0f, 2.85f, 0.0f, 0.0f, "", {{"GLOW", "lamp_glow"}}},
      {"GLOWING", "lamp", "lamp_a", 4.0f, 2.85f, roomMiddle, 0.0f, "", {{"GLOW", "lamp_glow"}}},
      {"GLOWING", "lamp", "lamp_b", 20.0f, 2.85f, roomMiddle, 0.0f, "", {{"GLOW", "lamp_glow"}}},
      {"GLOWING", "lamp", "lamp_c", 12.0f, 2.85f, -roomMiddle, 0.0f, "", {{"GLOW", "lamp_glow"}}},
      {"GLOWING", "lamp", "lamp_d", 20.0f, 2.85f, -roomMiddle, 0.0f, "", {{"GLOW", "lamp_glow"}}},
      // Sensors. The beam across the corridor, which nothing shows, hurts and
      // switches the camera on; the camera over door C calls room B's men
      // out. The button by door A switches both off, so that a player who
      // presses it and times guard_1's round gets by unseen.
      {"SECURITYCAMERAS", "seccam", "seccam_1", 12.0f, 2.6f, kCorridorHalfWidth - 0.15f, 180.0f, "",
       {{"SEEDIST", "8.0"},
        {"RANGEANG", "100"},
        {"SEEANG", "40"},
        {"SPEED", "15"},
        {"ALERTTIME", "5.0"},
        {"MESSAGE1", "19"},
        {"MESSAGE2", "20"},
        {"ACTIVATED", "[listener_1]"},
        {"DEACTIVATED", "[area_matter]"},
        {"STARTEDTIMERS", "[timer_2]"},
        {"STOPPEDTIMERS", "[timer_1]"},
        {"ALERTED", "[gangster_1, boss_1, civilian_1]"}}},
      {"PHOTOCELLS", "photocell", "photocell_1", 8.5f, 1.0f, -wall, 0.0f, "",
       {{"RAYLENGTH", Number(2.0f * wall)},
        {"RAYHEIGHT", "0.05"},
        {"HURT", "-0.05"},
        {"MESSAGE1", "21"},
        {"MESSAGE2", "22"},
        {"ACTIVATED", "[seccam_1]"}}},
      {"LISTENERS", "listener", "listener_1", 8.05f, 1.5f, -5.0f, 90.0f, "",
       {{"HEARDIST", "3.0"},
        {"MESSAGE1", "23"},
        {"MESSAGE2", "24"},
        {"DEACTIVATED", "[seccam_1]"},
        {"STARTEDTIMERS", "[timer_1]"},
        {"ALERTED", "[gangster_1]"}}},
      {"SPECAREAS", "specarea", "area_magnetic", 14.0f, 0.0f, -7.0f, 0.0f, "",
       {{"RANGE", "1.2"}, {"TYPE", "magnetic"}, {"MESSAGE1", "25"}, {"MESSAGE2", "26"}, {"ACTIVATED", "[listener_1]"}}},
      {"SPECAREAS", "specarea", "area_matter", 22.0f, 0.0f, 5.0f, 0.0f, "",
       {{"RANGE", "1.0"}, {"TYPE", "matter"}, {"MESSAGE1", "27"}, {"MESSAGE2", "28"}}},
      // Areas measure from the floor to the player's perceived point (1.7
      // up): a range of 2 takes a player standing within about 1 of them.
      {"SPECAREAS", "specarea", "area_special", 4.0f, 0.0f, kRoomNear + 3.3f, 0.0f, "",
       {{"RANGE", "2.0"}, {"TYPE", "special"}, {"MISSION", "3"}, {"MESSAGE1", "29"}, {"MESSAGE2", "30"}}},
      // The checkpoint just inside room A, where no guard's round sees it: a
      // player brought back to it is not under fire at once.
      {"SPECAREAS", "specarea", "area_checkpoint", 4.0f, 0.0f, kRoomNear + 1.5f, 0.0f, "",
       {{"RANGE", "2.0"},
        {"TYPE", "checkpoint"},
        {"MESSAGE1", "31"},
        {"MESSAGE2", "32"},
        {"STOPPEDTIMERS", "[timer_2]"}}},
      // The way out at the back of room D: the first objective, which ends
      // the level. A range of 2.4 takes a player within about 1.7.
      {"SPECAREAS", "specarea", "area_exit", 20.0f, 0.0f, -7.5f, 0.0f, "",
       {{"RANGE", "2.4"}, {"TYPE", "special"}, {"MISSION", "1"}, {"MESSAGE1", "74"}, {"MESSAGE2", "74"}}},
      // Doors, one a doorway: A and D slide left and open by hand, B slides
      // right and needs the laser or a control, C slides left and opens by
      // hand once the EDS implant or its panel has unlocked it. guard_1's
      // round passes door C, which he opens (the waypoint graph holds every
      // door on a man's way; a lifting door's doorway has no width for it,
      // and a man walks through a door it does not hold): it opens when he
      // comes out and when he goes back in, and shut behind him it hides
      // the corridor from him while he walks room C.
      {"DOORS", "door", "door_a", a.x, 0.0f, a.z, 0.0f, "",
       {{"IMPLANT", "none"},
        {"USEPOINT", "[0, 1]"},
        {"USEDIST", "1.8"},
        {"USEANG", "120"},
        {"USERANG", "60"},
        {"MESSAGE", "1"},
        {"ICON", Icon(kIconDoor)},
        {"MOVEDIR", "left"},
        {"SPEED", "1.5"},
        {"MOVEDIST", "1.5"},
        {"DEPTH", "0.5"},
        {"OPENEDTIME", "4.0"}}},
      {"DOORS", "door", "door_b", b.x, 0.0f, b.z, 0.0f, "",
       {{"IMPLANT", "laser"},
        {"USEPOINT", "[0, 1]"},
        {"USEDIST", "1.8"},
        {"USEANG", "120"},
        {"USERANG", "60"},
        {"MOVEDIR", "right"},
        {"MOVEDIST", "1.5"},
        {"OPENEDTIME", "5.0"}}},
      {"DOORS", "door", "door_c", c.x, 0.0f, c.z, 0.0f, "",
       {{"IMPLANT", "eds"},
        {"USEPOINT", "[0, 1]"},
        {"USEDIST", "1.8"},
        {"USEANG", "120"},
        {"USERANG", "60"},
        {"MESSAGE", "55"},
        {"ICON", Icon(kIconDoor)},
        {"MOVEDIR", "left"},
        {"SPEED", "1.5"},
        {"MOVEDIST", "1.7"},
        {"DEPTH", "0.5"},
        {"OPENEDTIME", "3.0"}}},
      // The way out's door is used from farther and more aside than the
      // others, from the corridor's middle on, opens fast, clears its whole
      // doorway and stays open: a player who comes to it along the corridor
      // opens it without first squaring up to it.
      {"DOORS", "door", "door_d", d.x, 0.0f, d.z, 0.0f, "",
       {{"IMPLANT", "none"},
        {"USEPOINT", "[0, 1]"},
        {"USEDIST", "3.5"},
        {"USEANG", "120"},
        {"USERANG", "90"},
        {"MESSAGE", "1"},
        {"ICON", Icon(kIconWayOut)},
        {"MOVEDIR", "left"},
        {"SPEED", "3.0"},
        {"MOVEDIST", "1.7"},
        {"DEPTH", "0.5"},
        {"OPENEDTIME", "0"}}},
      // Devices of every type.
      {"DEVICES", "button", "button_1", 2.0f, 1.2f, wall, 180.0f, "",
       WallUse({{"TYPE", "button"},
                {"OPENEDTIME", "5.0"},
                {"MESSAGE", "4"},
                {"DOORS", "[door_a]"},
                {"SECURITY", "[photocell_1, seccam_1]"},
                {"ALERTED", "[guard_1]"},
                {"ICON", Icon(kIconControl)}})},
      // Laser and EDS panels turn round when they are set up and flip every
      // second while unused, the usable side following: placed facing the
      // wall, they are used from the corridor.
      {"DEVICES", "wallpanel", "laserpanel_1", 18.7f, 1.2f, wall, 0.0f, "",
       WallUse({{"TYPE", "laserpanel"}, {"MESSAGE", "5"}, {"DOORS", "[door_b]"}, {"SECURITY", "[seccam_1]"}})},
      {"DEVICES", "wallpanel", "edspanel_1", 10.7f, 1.2f, -wall, 180.0f, "",
       WallUse({{"TYPE", "edspanel"},
                {"IMPLANT", "eds"},
                {"MESSAGE", "6"},
                {"DOORS", "[door_c]"},
                {"DEVICES", "[lever_1]"},
                {"ALERTED", "[guard_1, gangster_1]"}})},
      // Pickups lie on the floor; their use points sit at hand height, so
      // that a player standing over one (at most 1.1 away) reaches it.
      {"DEVICES", "pickup", "key_1", 1.5f, 0.0f, kRoomNear + 1.3f, 0.0f, "",
       {{"TYPE", "key"},
        {"USEPOINT", "[0, 0.8]"},
        {"USEDIST", "1.2"},
        {"USEANG", "360"},
        {"USERANG", "90"},
        {"MESSAGE", "7"},
        {"VARIANT", "1"},
        {"DOORS", "[door_b]"},
        {"DEVICES", "[laserpanel_1]"},
        {"ICON", Icon(kIconPickup)}}},
      {"DEVICES", "pickup", "card_1", 23.0f, 0.0f, kRoomNear + 1.3f, 0.0f, "",
       {{"TYPE", "card"}, {"USEPOINT", "[0, 0.8]"}, {"USEDIST", "1.2"}, {"USEANG", "360"}, {"USERANG", "90"}, {"MESSAGE", "8"},
        {"VARIANT", "2"}, {"DOORS", "[door_c]"}}},
      // The card of number 0 that a searched body may give: out of reach below the corridor.
      {"DEVICES", "pickup", "card_0", 12.0f, -3.0f, 0.0f, 0.0f, "", {{"TYPE", "card"}, {"USEDIST", "0.1"}, {"VARIANT", "1"}}},
      {"DEVICES", "pickup", "disguise_1", 15.0f, 0.0f, -9.0f, 0.0f, "",
       {{"TYPE", "disguise"}, {"USEPOINT", "[0, 0.8]"}, {"USEDIST", "1.2"}, {"USEANG", "360"}, {"USERANG", "90"}, {"MESSAGE", "9"}}},
      {"DEVICES", "pickup", "special_1", 9.0f, 0.0f, -9.0f, 0.0f, "",
       {{"TYPE", "special"}, {"USEPOINT", "[0, 0.8]"}, {"USEDIST", "1.2"}, {"USEANG", "360"}, {"USERANG", "90"}, {"MESSAGE", "10"},
        {"MISSION", "4"}, {"ICON", Icon(kIconPickup)}}},
      // A group of three buttons and a synchronised pair.
      {"MULTIDEVICES", "groupbutton", "gbutton_1", 14.0f, 1.2f, -wall, 0.0f, "",
       WallUse({{"GROUP", "[gbutton_1, gbutton_2, gbutton_3]"}, {"PARTIAL_MESSAGE", "11"}, {"MESSAGE", "12"},
                {"DOORS", "[door_b]"}, {"OPENEDTIME", "2.0"}})},
      {"MULTIDEVICES", "groupbutton", "gbutton_2", 15.3f, 1.2f, -wall, 0.0f, "",
       WallUse({{"GROUP", "[gbutton_1, gbutton_2, gbutton_3]"}, {"PARTIAL_MESSAGE", "11"}, {"MESSAGE", "12"},
                {"DOORS", "[door_b]"}, {"OPENEDTIME", "2.0"}})},
      {"MULTIDEVICES", "groupbutton", "gbutton_3", 16.6f, 1.2f, -wall, 0.0f, "",
       WallUse({{"GROUP", "[gbutton_1, gbutton_2, gbutton_3]"}, {"PARTIAL_MESSAGE", "11"}, {"MESSAGE", "12"},
                {"DOORS", "[door_b]"}, {"OPENEDTIME", "2.0"}})},
      {"MULTIDEVICES", "groupbutton", "sbutton_1", 16.05f, 1.2f, 5.0f, 90.0f, "",
       WallUse({{"GROUP", "[sbutton_1, sbutton_2]"}, {"SYNCRON", "yes"}, {"MESSAGE", "13"},
                {"SECURITY", "[listener_1]"}})},
      {"MULTIDEVICES", "groupbutton", "sbutton_2", 16.05f, 1.2f, 7.0f, 90.0f, "",
       WallUse({{"GROUP", "[sbutton_1, sbutton_2]"}, {"SYNCRON", "yes"}, {"SECURITY", "[area_magnetic]"}})},
      // A lever, and a pair of levers that open door C together; placed
      // down, they face the wall (see the lever model).
      {"LEVERS", "lever", "lever_1", 4.0f, 1.3f, 9.62f, 0.0f, "",
       WallUse({{"POSITION", "down"}, {"OPENERPOS", "up"}, {"OPENEDTIME", "10.0"}, {"MESSAGE", "57"},
                {"DOORS", "[door_a]"}, {"SECURITY", "[area_magnetic]"}})},
      {"MULTILEVERS", "multilever", "mlever_1", 11.0f, 1.3f, -9.62f, 180.0f, "",
       WallUse({{"GROUP", "[mlever_1, mlever_2]"}, {"POSITION", "down"}, {"OPENERPOS", "up"},
                {"PARTIAL_MESSAGE", "15"}, {"MESSAGE", "16"}, {"DOORS", "[door_c]"}})},
      {"MULTILEVERS", "multilever", "mlever_2", 13.0f, 1.3f, -9.62f, 180.0f, "",
       WallUse({{"GROUP", "[mlever_1, mlever_2]"}, {"POSITION", "down"}, {"OPENERPOS", "up"},
                {"PARTIAL_MESSAGE", "15"}, {"MESSAGE", "16"}, {"DOORS", "[door_c]"},
                {"SECURITY", "[photocell_1]"}})},
  };
}
// clang-format on

// Room A holds the level's whole search bag: thirteen cupboards along its
// west, east and far walls (none where the far wall's lever hangs) and two
// desks in the room. A search draws one item of the bag, the plans among
// them, so a player who searches all of them finds the plans. Their use
// shows nothing by itself. They carry no map marker: fifteen of them, a
// step apart, would cover room A on the maps.
std::vector<Placed> Searchables() {
  const Keys use = {{"USEPOINT", "[0, 0]"}, {"USEDIST", "1.6"}, {"USEANG", "120"}, {"USERANG", "90"}};
  const float wall = 0.3f;  // a cupboard's middle, off its wall
  std::vector<Placed> placed;
  int cupboards = 0, desks = 0;
  const auto add = [&](const char* model, float x, float z, float heading) {
    const int number = std::string(model) == "desk" ? ++desks : ++cupboards;
    placed.push_back(
        {"SEARCHABLES", model, std::string(model) + "_" + std::to_string(number), x, 0.0f, z, heading, "", use});
  };
  for (const float z : kSearchRows) {
    add("cupboard", wall, z, 90.0f);
  }
  for (const float z : kSearchRows) {
    add("cupboard", 8.0f - wall, z, 270.0f);
  }
  for (const float x : {1.5f, 2.7f, 5.3f}) {
    add("cupboard", x, kRoomFar - wall, 180.0f);
  }
  for (const float x : {2.5f, 5.5f}) {
    add("desk", x, 7.3f, 180.0f);
  }
  return placed;
}

std::vector<Placed> BuildObjects() {
  std::vector<Placed> objects = FixedObjects();
  const std::vector<Placed> searchables = Searchables();
  objects.insert(objects.end(), searchables.begin(), searchables.end());
  return objects;
}

std::string PropsText(const std::vector<Placed>& objects) {
  std::string text = "# Properties of the placed objects of level01, one group an object.\n";
  for (const Placed& object : objects) {
    if (object.keys.empty()) {
      continue;
    }
    text += "\n[" + object.name + "]\n";
    for (const auto& key : object.keys) {
      text += key.first + " = " + key.second + "\n";
    }
  }
  // The timers wait for the player: the microphone starts timer_1, which
  // switches the light beam off 45 s later for timer_2's 15 s; the camera's
  // alarm starts timer_2, which switches the beam back on 15 s later, also
  // after the button by door A has switched it off. They show nothing: a
  // message 45 s after its cause would tell the player nothing he did.
  text += "\n[timer_1]\nDURATION = 45.0\nDEACTIVATED = [photocell_1]\nSTARTEDTIMERS = [timer_2]\n";
  text += "\n[timer_2]\nDURATION = 15.0\nACTIVATED = [photocell_1]\nSTOPPEDTIMERS = [timer_1]\n";
  return text;
}

LocatorWriterEntry Entry(const std::string& name, const std::string& data, float x, float y, float z, float heading) {
  // Turned about y: 'at' (+z at heading 0) goes round towards +x.
  const float radians = heading * 3.14159265f / 180.0f;
  const float s = std::fabs(heading) < 1e-6f ? 0.0f : std::sin(radians);
  const float co = std::fabs(heading) < 1e-6f ? 1.0f : std::cos(radians);
  LocatorWriterEntry entry;
  entry.right[0] = co;
  entry.right[2] = -s;
  entry.at[0] = s;
  entry.at[2] = co;
  entry.pos[0] = x;
  entry.pos[1] = y;
  entry.pos[2] = z;
  entry.name = name;
  entry.data = data;
  return entry;
}

}  // namespace

const std::vector<Placed>& PlacedObjects() {
  static const std::vector<Placed> objects = BuildObjects();
  return objects;
}

const std::vector<std::string>& ObjectKeys() {
  static const std::vector<std::string> keys = {"XRF",          "GLOWING",   "SECURITYCAMERAS", "PHOTOCELLS",
                                                "LISTENERS",    "SPECAREAS", "DOORS",           "DEVICES",
                                                "MULTIDEVICES", "LEVERS",    "MULTILEVERS",     "SEARCHABLES"};
  return keys;
}

const std::vector<Waypoint>& Waypoints() {
  // clang-format off
  static const std::vector<Waypoint> waypoints = {
      // A panicking civilian runs to the first waypoint: room B's east side,
      // the clerk's own corner, far from the start and the checkpoint.
      {22.8f, 7.4f},
      {4.0f, 0.0f},   {12.0f, 0.0f},  {20.0f, 0.0f}, {22.0f, 0.0f},                  // corridor
      {4.0f, kRoomNear + 1.3f},   {4.0f, 6.0f},   {1.5f, 6.0f},                      // room A
      {20.0f, kRoomNear + 1.3f},  {20.0f, 6.0f},  {22.0f, 8.0f},                     // room B
      {12.0f, -kRoomNear - 1.3f}, {12.0f, -6.0f}, {10.0f, -8.9f},                    // room C
      {20.0f, -kRoomNear - 1.8f}, {20.0f, -6.5f},                                    // room D
      {17.5f, 8.0f},  {17.5f, 4.5f},                                                 // room B's west side
      // guard_1's east end of the corridor, his turn in room C.
      {16.0f, 0.0f},  {15.5f, -8.5f},
      {22.8f, 5.0f},                                                                 // room B's east side
      {2.0f, 0.0f},                                                                  // the start
  };
  // clang-format on
  return waypoints;
}

const std::vector<int>& Edges() {
  // Along the corridor from its west end (22), then through each door (2-6,
  // 4-9, 3-12, 4-15) into its room; 17 and 18 along room B's west side, 20
  // in room C's east half, 21 and 1 along room B's east side.
  static const std::vector<int> edges = {22, 2,  2,  3,  3,  19, 19, 4, 4,  5,  2,  6,  6,  7, 7,
                                         8,  4,  9,  9,  10, 10, 11, 3, 12, 12, 13, 13, 14, 4, 15,
                                         15, 16, 10, 17, 17, 18, 18, 9, 13, 20, 9,  21, 21, 1};
  return edges;
}

const std::vector<std::string>& ParticleNames() {
  static const std::vector<std::string> names = {"particles_eds", "particles_laser"};
  return names;
}

std::string ListText(const std::vector<std::string>& names) {
  std::string text = "[";
  for (size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : ", ") + names[i];
  }
  return text + "]";
}

void WriteObjects(DataFolder& data) {
  const std::vector<Placed>& objects = PlacedObjects();
  std::string text = "# The objects of level01: each list names models, placed by their locator files.\n[OBJECTS]\n";
  for (const std::string& key : ObjectKeys()) {
    std::vector<std::string> models;
    for (const Placed& object : objects) {
      if (object.key == key && (models.empty() || models.back() != object.model)) {
        models.push_back(object.model);
      }
    }
    text += key + " = " + ListText(models) + "\n";
  }
  text += "DFF = [mirror]\n";
  data.WriteText(std::string(kObjectsPath) + ".txt", text);
  data.WriteText(std::string(kPropsPath) + ".txt", PropsText(objects));

  // One locator file a model, its entries in the order of the table.
  std::vector<std::string> written;
  for (const Placed& object : objects) {
    bool done = false;
    for (const std::string& model : written) {
      done = done || model == object.model;
    }
    if (done) {
      continue;
    }
    written.push_back(object.model);
    LocatorWriter locator;
    for (const Placed& clone : objects) {
      if (clone.model == object.model) {
        locator.AddEntry(Entry(clone.name, clone.data, clone.x, clone.y, clone.z, clone.heading));
      }
    }
    data.Write(std::string(kLocatorFolder) + object.model + ".xrf", locator.Build());
  }

  LocatorWriter graph;
  const std::vector<Waypoint>& waypoints = Waypoints();
  for (size_t i = 0; i < waypoints.size(); ++i) {
    graph.AddEntry(Entry("wp" + std::to_string(i + 1), "", waypoints[i].x, 0.0f, waypoints[i].z, 0.0f));
  }
  data.Write(std::string(kGraphPath) + ".xrf", graph.Build());

  // Sparks at the two panels, aimed out of the wall.
  LocatorWriter eds;
  constexpr float kSparks = kCorridorHalfWidth - 0.1f;
  eds.AddEntry(Entry("sparks_1", "", 10.7f, 1.5f, -kSparks, 0.0f));
  data.Write(std::string(kFolder) + ParticleNames()[0] + ".xrf", eds.Build());
  LocatorWriter laser;
  laser.AddEntry(Entry("sparks_2", "", 18.7f, 1.5f, kSparks, 180.0f));
  laser.AddEntry(Entry("sparks_3", "", 20.9f, 2.0f, kSparks, 180.0f));
  data.Write(std::string(kFolder) + ParticleNames()[1] + ".xrf", laser.Build());
}

}  // namespace level01
}  // namespace demo
