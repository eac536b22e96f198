// The twelve particle files of the implants' and men's effects. Between them
// they use every key of the format: both instancer types, both blends, rates,
// colours, sizes and rotations as constants and as keyed envelopes, bursts,
// forces, inherited speed and texture strips. Each file's first line says
// what its effect shows and how it ends.
#include <string>
#include <utility>
#include <vector>

#include "tools/demo/demo.h"

namespace demo {
namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

struct Element {
  std::string name;
  Keys keys;
};

struct ParticleFile {
  const char* name;     // "eds": "data/implants/particles_eds.txt"
  const char* comment;  // what the effect shows and how it ends
  std::vector<Element> elements;
};

std::string Prc(const std::string& name) { return "data/implants/prc/prc_" + name; }

// Every effect ends: the game deletes one of a man's effects, or lets a
// placement go, once its last particle has died, and an effect that kept
// emitting would keep spraying where it was started, also after a restart.
// A hit, an impact or a block is one burst; a beam sparks for as long as an
// implant's use lasts; an awareness mark, which the game restarts while the
// man stays in his state, lasts a second.

// A sprite element: textured quads in one burst unless a RATE is given.
Element Sprites(const std::string& name, const std::string& texture, const std::string& colour, const Keys& more) {
  Keys keys = {{"TYPE", "SPRITE"},     {"MAXNUMBER", "48"},      {"RATE", "0"},     {"SPAN", "(0.3,0.8)"},
               {"SPEED", "(0.5,1.5)"}, {"ANGLE", "(0,25)"},      {"COLOR", colour}, {"SIZE", "0.1"},
               {"BLEND", "ADD"},       {"TEXTURE", Prc(texture)}};
  keys.insert(keys.end(), more.begin(), more.end());
  return {name, keys};
}

// A line element: short streaks with a constant colour, in one burst unless
// a RATE is given.
Element Lines(const std::string& name, const std::string& colour, const Keys& more) {
  Keys keys = {{"TYPE", "LINE"},    {"MAXNUMBER", "24"}, {"RATE", "0"},      {"SPAN", "(0.2,0.4)"},  {"SPEED", "(2,4)"},
               {"ANGLE", "(0,60)"}, {"COLOR", colour},   {"BLEND", "DECAL"}, {"LINE_LENGTH", "0.08"}};
  keys.insert(keys.end(), more.begin(), more.end());
  return {name, keys};
}

const std::vector<ParticleFile>& Files() {
  static const std::vector<ParticleFile> files = {
      {"darthit",
       "Sparks where a dart strikes a man: one burst.",
       {Sprites("spark", "star", "(1,1,0.6,1)", {{"BURST", "12"}})}},
      {"dartimpact",
       "Dust where a dart strikes a wall: one burst.",
       {Sprites("dust", "smoke", "[{0,(0.6,0.6,0.6,0.8)},{1,(0.3,0.3,0.3,0)}]",
                {{"BURST", "10"}, {"SIZE", "[{0,0.05},{1,0.3}]"}, {"FORCE", "(0,0.5,0)"}, {"BLEND", "DECAL"}})}},
      // A dart flies at most 50 m at 40 m/s: its trail streams for 1.5 s.
      {"dartshot",
       "A dart's trail: streams for as long as a dart flies.",
       {Lines("trail", "(0.8,0.9,1,1)",
              {{"RATE", "[{0,20},{1.5,20}]"}, {"INHERITSPEED", "0.8"}, {"DIST", "(0,0.02)"}})}},
      {"eds",
       "Sparks of the EDS beam on its target: a second long.",
       {Sprites("glow", "lightfx_blue", "(0.4,0.6,1,1)",
                {{"RATE", "[{0,60},{0.5,90},{1,60}]"}, {"ROTATE", "[{0,0},{1,360}]"}}),
        Lines("arcs", "(0.6,0.8,1,1)", {{"RATE", "[{0,20},{1,20}]"}})}},
      {"enemyalert",
       "The mark over a searching man: one sprite, shown again while he searches.",
       {Sprites("mark", "alert", "(1,0.2,0.1,1)", {{"MAXNUMBER", "1"}, {"BURST", "1"}, {"SPEED", "(0,0)"}})}},
      {"enemyattack",
       "Fire over an attacking man: a second long, started again while he attacks.",
       {Sprites("fire", "fire", "[{0,(1,0.8,0.3,1)},{0.5,(1,0.3,0,0.8)},{1,(0.3,0,0,0)}]",
                {{"RATE", "[{0,30},{1,30}]"}, {"NUMFRAMES", "4"}, {"SIZE", "[{0,0.2},{1,0.05}]"}})}},
      {"enemyquestion",
       "The mark over a wary man: one sprite, shown again while he looks.",
       {Sprites("mark", "info", "(1,1,0.2,1)", {{"MAXNUMBER", "1"}, {"BURST", "1"}, {"SPEED", "(0,0)"}})}},
      {"gunblock",
       "A shot the shield stops: one flash.",
       {Sprites("flash", "shinebit", "(0.5,0.8,1,1)", {{"BURST", "20"}, {"ROTATE", "90"}})}},
      {"gunhit",
       "Blood where a shot hits the agent: one spray.",
       {Sprites("blood", "redtwist", "(0.7,0,0,1)", {{"BURST", "16"}, {"FORCE", "(0,-9.8,0)"}, {"BLEND", "DECAL"}}),
        Lines("drops", "(0.6,0,0,1)", {{"BURST", "10"}, {"FORCE", "(0,-9.8,0)"}})}},
      {"gunimpact",
       "Smoke and chips where a shot misses: one burst.",
       {Sprites("smoke", "smoke", "[{0,(0.7,0.7,0.7,1)},{1,(0.4,0.4,0.4,0)}]", {{"BURST", "8"}, {"DIST", "(0,0.05)"}}),
        Lines("chips", "(1,0.9,0.6,1)", {{"BURST", "10"}})}},
      {"gunshot",
       "The muzzle flash of a shot: one burst.",
       {Sprites("muzzle", "fire1", "(1,0.9,0.5,1)", {{"BURST", "4"}, {"SPAN", "(0.05,0.1)"}})}},
      {"laser",
       "Sparks of the laser on its target: three seconds long.",
       {Sprites("sparks", "elctro", "[{0,(1,0.2,0.2,1)},{1,(1,0.8,0.2,0)}]",
                {{"NUMFRAMES", "2"},
                 {"INHERITSPEED", "0.5"},
                 {"ROTATE", "[{0,0},{0.5,90},{1,180}]"},
                 {"RATE", "[{0,30},{3,30}]"}}),
        Lines("beam", "(1,0.1,0.1,1)", {{"LINE_LENGTH", "0.2"}, {"RATE", "[{0,20},{3,20}]"}})}},
  };
  return files;
}

// Later keys of an element replace earlier ones of the same name: one line
// each, in first-seen order.
Keys Merged(const Keys& keys) {
  Keys merged;
  for (const auto& key : keys) {
    bool replaced = false;
    for (auto& existing : merged) {
      if (existing.first == key.first) {
        existing.second = key.second;
        replaced = true;
      }
    }
    if (!replaced) {
      merged.push_back(key);
    }
  }
  return merged;
}

std::string FileText(const ParticleFile& file) {
  std::string text = "# " + std::string(file.comment) + "\n[init]\nELEMENTS = [";
  for (size_t i = 0; i < file.elements.size(); i++) {
    text += (i == 0 ? "" : ",") + file.elements[i].name;
  }
  text += "]\n";
  for (const Element& element : file.elements) {
    text += "\n[" + element.name + "]\n";
    for (const auto& key : Merged(element.keys)) {
      text += key.first + " = " + key.second + "\n";
    }
  }
  return text;
}

}  // namespace

const std::vector<std::string>& ParticleFileNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const ParticleFile& file : Files()) {
      all.push_back(std::string("data/implants/particles_") + file.name + ".txt");
    }
    return all;
  }();
  return names;
}

void WriteParticles(DataFolder& data) {
  for (const ParticleFile& file : Files()) {
    data.WriteText(std::string("data/implants/particles_") + file.name + ".txt", FileText(file));
  }
}

}  // namespace demo
