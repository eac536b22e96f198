// A later level's property and locator files: objects and props, one
// locator file a model, the waypoints, the men (the player and his double,
// set as on the first level), the camera, the texts in both languages and
// the level's groups of "data/config.txt".
#include <cmath>
#include <cstdio>

#include "tools/demo/implants/implants.h"
#include "tools/demo/level01/map_plan.h"
#include "tools/demo/levels/level_plan.h"
#include "tools/demo/men/men.h"
#include "tools/demo/search_texts.h"
#include "tools/forge/files/locator_writer.h"

namespace demo {
namespace levels {

namespace {

typedef std::vector<std::pair<std::string, std::string>> Keys;

// The first level's folders: its models serve every level.
constexpr char kFirstLevelModels[] = "data/level01/models/";
constexpr char kFirstLevelMen[] = "data/level01/men.txt";
constexpr char kFirstLevelCamera[] = "data/level01/camera.txt";

// An area measures to the point a man is perceived at, 1.7 above his feet:
// this reaches a standing player about 1.7 across.
constexpr char kAreaRange[] = "2.4";

constexpr int kSearchablesAWall = 5;
constexpr float kSearchableSpacing = 1.2f;

// Messages by number (from 1); the objects' props name them.
enum Message {
  kDoorOpens = 1,
  kDoorStuck,  // shown by nothing: no door's failed use shows a message
  kExitReached,
  kCheckpointReached,
  kCheckpointTaken,
  kCupboardEmpty,  // shown by nothing: a search tells what it finds
  kObjectiveDone,
  kMainMission,
};

// Numbered from 1, then from 55 on: the search's texts fill 40 to 54
// (search_texts.h).
const std::vector<LevelText> kMessages = {
    {"The door slides open.", "Die T\xFCr gleitet auf."},
    {"The door will not move.", "Die T\xFCr bewegt sich nicht."},
    {"You reached the exit.", "Du hast den Ausgang erreicht."},
    {"Checkpoint reached.", "Kontrollpunkt erreicht."},
    {"Checkpoint already taken.", "Kontrollpunkt schon erreicht."},
    {"Nothing but dust in the cupboard.", "Nichts als Staub im Schrank."},
    {"Objective done: the exit.", "Ziel erreicht: der Ausgang."},
    {"Find the exit and leave unseen.", "Finde den Ausgang und verschwinde ungesehen."},
    // The devices' and sensors' (devices.cpp); 14 and 18 close a lost and a
    // won hack (the panel shows them by index, 13 and 17).
    {"A camera has seen you.", "Eine Kamera hat dich gesehen."},
    {"The camera lost sight of you.", "Die Kamera hat dich aus den Augen verloren."},
    {"The lever clicks into place.", "Der Hebel rastet ein."},
    {"The button clicks.", "Der Knopf klickt."},
    {"You took a key.", "Du hast einen Schl\xFCssel genommen."},
    {"The panel sounds the alarm.", "Das Paneel l\xF6st Alarm aus."},
    // level02's paired buttons act together: one press moves both.
    {"Both buttons go down together: the door opens.", "Beide Kn\xF6pfe gehen zusammen hinunter: die T\xFCr geht auf."},
    {"The panel opens the door.",
     "Das Paneel \xF6"
     "ffnet die T\xFCr."},
    {"The air burns your skin.", "Die Luft brennt auf der Haut."},
    {"The panel gives way.", "Das Paneel gibt nach."},
    {"Your implants fizzle.", "Deine Implantate knistern."},
    {"The alarm clock runs.", "Die Alarmuhr l\xE4uft."},
    {"The alarm clock stopped.", "Die Alarmuhr ist stehen geblieben."},
    {"You took a card.", "Du hast eine Karte genommen."},
    {"You took a uniform.", "Du hast eine Uniform genommen."},
    {"You broke a light beam.", "Du hast eine Lichtschranke unterbrochen."},
    {"The light beam is whole again.", "Die Lichtschranke ist wieder geschlossen."},
    {"A microphone heard you.", "Ein Mikrofon hat dich geh\xF6rt."},
    {"The microphone is quiet.", "Das Mikrofon ist still."},
    // level03's paired levers open the door when both are up; the partial
    // text's at sign takes the count of levers still down.
    {"Levers still down: @ of 2.", "Hebel noch unten: @ von 2."},
    {"Both levers are up: the door opens.", "Beide Hebel sind oben: die T\xFCr geht auf."},
    {"You took the ledger.", "Du hast das Kassenbuch genommen."},
    {"Objective done: the key.", "Ziel erreicht: der Schl\xFCssel."},
    {"Objective done: the ledger.", "Ziel erreicht: das Kassenbuch."},
    {"You took the delivery note.", "Du hast den Lieferschein genommen."},
    {"You took the stock list.", "Du hast die Bestandsliste genommen."},
    {"You took the guard roster.", "Du hast den Wachplan genommen."},
    {"You took the vault code.", "Du hast den Tresorcode genommen."},
    {"You took the bonds.", "Du hast die Wertpapiere genommen."},
    {"Objective done: the delivery note.", "Ziel erreicht: der Lieferschein."},
    {"Objective done: the stock list.", "Ziel erreicht: die Bestandsliste."},  // 39
    {"Objective done: the guard roster.", "Ziel erreicht: der Wachplan."},     // 55
    {"Objective done: the vault code.", "Ziel erreicht: der Tresorcode."},     // 56
    {"Objective done: the bonds.", "Ziel erreicht: die Wertpapiere."},         // 57
    // The radio check shortly after the start (timer_2, devices.cpp): a
    // dialogue, each line naming the next ("$NN"), "$00" the last.
    {"$59Control: Can you hear me? Keep to the shadows.", "$59Zentrale: H\xF6rst du mich? Bleib im Schatten."},  // 58
    {"$60Dorva: Loud and clear.", "$60Dorva: Laut und deutlich."},                                               // 59
    {"$00Control: Find the exit. The line stays open.", "$00Zentrale: Finde den Ausgang. Ich bleibe dran."},     // 60
};

struct Placed {
  std::string key;  // the OBJECTS list
  std::string model;
  std::string name;
  float x, y, z;
  float heading;  // degrees about y; 0: 'at' along +z
  Keys keys;
};

// A special area of the type, on the floor.
Placed Area(const char* name, float x, float z, Keys keys) {
  keys.insert(keys.begin(), {"RANGE", kAreaRange});
  return {"SPECAREAS", "specarea", name, x, 0.0f, z, 0.0f, keys};
}

// The plan's searchables, five a wall along the first room's west, east and
// far walls, 1.2 apart about each wall's middle, facing into the room; no
// map marker for them, five a wall would cover the room on the maps.
std::vector<Placed> Searchables(const LevelPlan& plan) {
  const level01::Area& room = plan.spaces[1];
  const bool north = room.z0 > 0.0f;
  const float midX = (room.x0 + room.x1) * 0.5f, midZ = (room.z0 + room.z1) * 0.5f;
  const Keys use = {{"USEDIST", "1.6"}, {"USEANG", "120"}, {"USERANG", "90"}};
  std::vector<Placed> placed;
  for (int i = 0; i < plan.searchables; i++) {
    const float along = kSearchableSpacing * static_cast<float>(i % kSearchablesAWall - kSearchablesAWall / 2);
    const std::string name = "cupboard_" + std::to_string(i + 1);
    Placed cupboard = {"SEARCHABLES", "cupboard", name, room.x0 + 0.3f, 0.0f, midZ + along, 90.0f, use};
    if (i / kSearchablesAWall == 1) {
      cupboard.x = room.x1 - 0.3f;
      cupboard.heading = 270.0f;
    } else if (i / kSearchablesAWall == 2) {
      cupboard.x = midX + along;
      cupboard.z = north ? room.z1 - 0.3f : room.z0 + 0.3f;
      cupboard.heading = north ? 180.0f : 0.0f;
    }
    placed.push_back(cupboard);
  }
  return placed;
}

std::vector<Placed> PlacedObjects(const LevelPlan& plan) {
  std::vector<Placed> objects;
  for (const level01::Area& space : plan.spaces) {
    objects.push_back({"GLOWING",
                       "lamp",
                       std::string("lamp_") + space.name,
                       (space.x0 + space.x1) * 0.5f,
                       2.85f,
                       (space.z0 + space.z1) * 0.5f,
                       0.0f,
                       {{"GLOW", "lamp_glow"}}});
  }
  // The doors open by hand from as far as the first level's, for a player
  // who faces them within 30 degrees: one who faces a key or a button beside
  // a door gets that, not the door. They clear their whole doorway and stay
  // open: the guard's round passes the exit's door, which blinks on the maps.
  for (const level01::Doorway& d : plan.doorways) {
    const level01::Area& room = plan.spaces[static_cast<size_t>(d.room)];
    const bool wayOut = plan.exitX > room.x0 && plan.exitX < room.x1 && plan.exitZ > room.z0 && plan.exitZ < room.z1;
    objects.push_back({"DOORS",
                       "door",
                       d.door,
                       d.x,
                       0.0f,
                       d.z,
                       0.0f,
                       {{"IMPLANT", "none"},
                        {"USEPOINT", "[0, 1]"},
                        {"USEDIST", "1.8"},
                        {"USEANG", "120"},
                        {"USERANG", "60"},
                        {"MESSAGE", std::to_string(kDoorOpens)},
                        {"ICON", std::to_string(wayOut ? level01::kIconWayOut : level01::kIconDoor)},
                        {"MOVEDIR", "left"},
                        {"SPEED", "1.5"},
                        {"MOVEDIST", "1.7"},
                        {"DEPTH", "0.5"},
                        {"OPENEDTIME", "0"}}});
  }
  // The exit completes the level's first objective, which ends it.
  const std::string exitMessage = std::to_string(kExitReached);
  objects.push_back(
      Area("area_exit", plan.exitX, plan.exitZ,
           {{"TYPE", "special"}, {"MISSION", "1"}, {"MESSAGE1", exitMessage}, {"MESSAGE2", exitMessage}}));
  objects.push_back(Area("area_checkpoint", plan.checkpointX, plan.checkpointZ,
                         {{"TYPE", "checkpoint"},
                          {"MESSAGE1", std::to_string(kCheckpointReached)},
                          {"MESSAGE2", std::to_string(kCheckpointTaken)}}));
  // Searchables along the first room's walls, and a crate at the corridor's
  // far end.
  const std::vector<Placed> searchables = Searchables(plan);
  objects.insert(objects.end(), searchables.begin(), searchables.end());
  const level01::Area& corridor = plan.spaces[0];
  objects.push_back({"XRF", "crate", "crate_1", corridor.x1 - 1.0f, 0.0f, corridor.z0 + 0.7f, 0.0f, {}});
  for (const level01::Placed& device : LevelDevices(plan)) {
    objects.push_back(
        {device.key, device.model, device.name, device.x, device.y, device.z, device.heading, device.keys});
  }
  return objects;
}

LocatorWriterEntry Entry(const std::string& name, float x, float y, float z, float heading) {
  const float radians = heading * 3.14159265f / 180.0f;
  const float s = std::fabs(heading) < 1e-6f ? 0.0f : std::sin(radians);
  const float c = std::fabs(heading) < 1e-6f ? 1.0f : std::cos(radians);
  LocatorWriterEntry entry;
  entry.right[0] = c;
  entry.right[2] = -s;
  entry.at[0] = s;
  entry.at[2] = c;
  entry.pos[0] = x;
  entry.pos[1] = y;
  entry.pos[2] = z;
  entry.name = name;
  return entry;
}

std::string ListText(const std::vector<std::string>& names) {
  std::string text = "[";
  for (size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : ", ") + names[i];
  }
  return text + "]";
}

// A group of the first level's men file, its start lines replaced.
std::string FirstLevelGroup(const DataFolder& data, const std::string& name, const std::string& position,
                            const std::string& angle) {
  const std::vector<uint8_t>* bytes = data.Find(kFirstLevelMen);
  const std::string file = bytes != nullptr ? std::string(bytes->begin(), bytes->end()) : std::string();
  const size_t start = file.find("\n[" + name + "]\n");
  if (start == std::string::npos) {
    return "\n[" + name + "]\nTYPE = " + name + "\nBODY = " + name + "\nPOSITION = " + position + "\n";
  }
  const size_t end = file.find("\n[", start + 1);
  std::string group = file.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\n";
  std::string text;
  size_t from = 0;
  while (from < group.size()) {
    size_t line = group.find('\n', from);
    line = line == std::string::npos ? group.size() : line + 1;
    const std::string row = group.substr(from, line - from);
    if (row.compare(0, 11, "POSITION = ") == 0) {
      text += "POSITION = " + position + "\n";
    } else if (row.compare(0, 8, "ANGLE = ") == 0) {
      text += angle.empty() ? "" : "ANGLE = " + angle + "\n";
    } else {
      text += row;
    }
    from = line;
  }
  return text;
}

std::string TextFile(const LevelPlan& plan, bool english) {
  std::string text = "# Texts of " + plan.name + ".\n[TEXTS]\n";
  char key[32];
  // The filler up to the first level's count, so that the implants'
  // messages that follow keep their numbers on every level.
  text += MessageLines(english, kMessages, level01::kMessageCount);
  text += ImplantMessageLines(english, level01::kMessageCount);
  text += "MISSION00 = \"" + std::string(english ? plan.titleEnglish : plan.titleGerman) + "\"\n";
  std::snprintf(key, sizeof key, "@%02d ", kObjectiveDone);
  text += "MISSION01 = \"" + std::string(key) + (english ? "Reach the exit" : "Erreiche den Ausgang") + "\"\n";
  const std::vector<Objective> later = LaterObjectives(plan);
  for (size_t i = 0; i < later.size(); ++i) {
    std::snprintf(key, sizeof key, "MISSION%02d = \"@%02d ", static_cast<int>(i + 2), later[i].doneMessage);
    text += std::string(key) + (english ? later[i].english : later[i].german) + "\"\n";
  }
  text += "MISSION_OBJECTIVES = " + std::to_string(1 + later.size()) + "\n";
  text += "BRIEFING = \"" + std::string(english ? plan.briefingEnglish : plan.briefingGerman) + "\"\n";
  text += "MAINMISSIONTEXT = " + std::to_string(kMainMission) + "\n";
  return text;
}

}  // namespace

void WriteObjects(const LevelPlan& plan, DataFolder& data) {
  const std::string folder = Folder(plan);
  const std::vector<Placed> objects = PlacedObjects(plan);
  std::string list = "# The objects of " + plan.name + ", placed by their locator files.\n[OBJECTS]\n";
  std::string props = "# Properties of the placed objects of " + plan.name + ".\n";
  // One list a class naming its models, one locator file a model.
  for (const std::string& key : level01::ObjectKeys()) {
    std::vector<std::string> named;
    for (const Placed& object : objects) {
      bool listed = false;
      for (const std::string& model : named) {
        listed = listed || model == object.model;
      }
      if (object.key == key && !listed) {
        named.push_back(object.model);
      }
    }
    list += key + " = " + ListText(named) + "\n";
    for (const std::string& model : named) {
      LocatorWriter locator;
      for (const Placed& object : objects) {
        if (object.model == model) {
          locator.AddEntry(Entry(object.name, object.x, object.y, object.z, object.heading));
        }
      }
      data.Write(folder + "xrf/" + model + ".xrf", locator.Build());
    }
  }
  for (const Placed& object : objects) {
    if (!object.keys.empty()) {
      props += "\n[" + object.name + "]\n";
      for (const auto& k : object.keys) {
        props += k.first + " = " + k.second + "\n";
      }
    }
  }
  props += TimerGroups(plan);
  data.WriteText(folder + "objects.txt", list);
  data.WriteText(folder + "props.txt", props);

  LocatorWriter graph;
  for (size_t i = 0; i < plan.waypoints.size(); ++i) {
    graph.AddEntry(Entry("wp" + std::to_string(i + 1), plan.waypoints[i].x, 0.0f, plan.waypoints[i].z, 0.0f));
  }
  data.Write(folder + "waypoints.xrf", graph.Build());
}

void WriteMenAndCamera(const LevelPlan& plan, DataFolder& data) {
  char position[64];
  std::snprintf(position, sizeof position, "(%.1f,0.0,%.1f)", plan.startX, plan.startZ);
  char angle[16];
  std::snprintf(angle, sizeof angle, "%.0f", plan.startAngle);
  std::string text = "# The men of " + plan.name + ": the player first, its double second.\n";
  std::vector<std::string> men = {"dorvaman", "dorvaholoman"};
  const std::vector<std::string> npcs = NpcNames(plan);
  men.insert(men.end(), npcs.begin(), npcs.end());
  text += "[Men]\nMEN = " + ListText(men) + "\n";
  text += FirstLevelGroup(data, "dorvaman", position, angle);
  text += FirstLevelGroup(data, "dorvaholoman", "(1000.0,1000.0,1000.0)", "");
  // The double and the other men take their animations from the enemies' settings.
  text += FirstLevelGroup(data, "enemy", "", "");
  text += NpcGroups(plan);
  text += men::BodyGroups({"dorvaman", "dorvaholoman"});
  text += "\n" + men::AnimDataGroup();
  text += "\n" + men::CollisionCapsuleGroup();
  data.WriteText(Folder(plan) + "men.txt", text);
  if (const std::vector<uint8_t>* camera = data.Find(kFirstLevelCamera)) {
    data.Write(Folder(plan) + "camera.txt", *camera);
  }
}

void WriteTexts(const LevelPlan& plan, DataFolder& data) {
  data.WriteText(Folder(plan) + "texts_eng.txt", TextFile(plan, true));
  data.WriteText(Folder(plan) + "texts_d.txt", TextFile(plan, false));
}

std::string ConfigGroups(const LevelPlan& plan) {
  const std::string folder = Folder(plan);
  std::string edges;
  for (int number : plan.edges) {
    edges += (edges.empty() ? "" : ", ") + std::to_string(number);
  }
  const std::string ambient = plan.name + "_ambient", sun = plan.name + "_sun";
  std::string text = "[" + plan.name + "]\n";
  text += "NEXTSTAGE = " + plan.next + "\n";
  if (!plan.nextHard.empty()) {
    text += "NEXTSTAGEHARD = " + plan.nextHard + "\n";
  }
  text += "AI_DO_DISTANCE = 40.0\nBSP = " + folder + plan.name + ".bsp\n";
  text += "FOG = 1\nFOGDISTANCE = 40.0\nFOGCOLOR = [20, 22, 28, 255]\n";
  text += "DFFPATH = " + std::string(kFirstLevelModels) + "\nXRFPATH = " + folder + "xrf/\n";
  text += "OBJECTS = " + folder + "objects\nPROPS = " + folder + "props\n";
  text += "MAPDIST = 12.0\nFLASHICON = " + std::to_string(level01::kFlashIcon) + "\nMAP = " + folder +
          "map.dff\nMAP_ANGLE = " + std::to_string(kMapAngle) + "\n";
  text += "GRAPH = " + folder + "waypoints\nEDGES = [" + edges + "]\n";
  text += "SKY = " + std::string(kFirstLevelModels) + "sky\n";
  text += "LIGHT = [" + ambient + ", " + sun + "]\n";
  text += "LIGHTMAP = " + folder + "lightmap_\n" + LightmapKeys();
  text += "DIRLIGHTADD = 0.1\nDIRLIGHTANGLE = 55\n";
  if (!TimerNames(plan).empty()) {
    text += "TIMERDEVICES = " + ListText(TimerNames(plan)) + "\n";
  }
  text += "TEXTS = " + folder + "texts\n";
  text += "HACK_DEFAULT_KEY_NUMBER = 3\nHACK_KEY_TIME = 2.5\nHACK_ICON_ALPHA_VALUE = 128\n";
  // Dim, as in the first level: the men are lit by these, the camera's
  // lights and their lightmaps together.
  text += "\n[" + ambient + "]\nTYPE = AMBIENT\nCOLOR = (0.1,0.1,0.12,1.0)\n";
  text += "\n[" + sun + "]\nTYPE = DIRECTIONAL\nCOLOR = (0.3,0.29,0.25,1.0)\nPOS = (8.0,10.0,4.0)\n" +
          std::string("LOOKATPOS = (8.0,0.0,0.0)\n");
  return text;
}

}  // namespace levels
}  // namespace demo
