// Particle property files as text, for tests and fuzz seeds: an "init"
// group naming the elements in its ELEMENTS list, then one group per
// element with its keys in order.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ParticleElementText {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};

inline std::string ParticleFileText(const std::vector<ParticleElementText>& elements) {
  std::string text = "[init]\nELEMENTS = [";
  for (size_t i = 0; i < elements.size(); i++) {
    text += (i == 0 ? "" : ",") + elements[i].name;
  }
  text += "]\n";
  for (const ParticleElementText& element : elements) {
    text += "\n[" + element.name + "]\n";
    for (const auto& key : element.keys) {
      text += key.first + " = " + key.second + "\n";
    }
  }
  return text;
}

// Every key of both kinds: sparks drawn as sprites with keyed colour, size
// and rotation over a strip of four frames of the texture, and trails drawn
// as lines with a constant colour, pulled down by a force.
inline std::vector<ParticleElementText> EveryKeyElements(const std::string& texture) {
  return {
      {"sparks",
       {{"TYPE", "SPRITE"},
        {"MAXNUMBER", "64"},
        {"RATE", "[{0,40},{0.5,80},{2,0}]"},
        {"BURST", "8"},
        {"SPAN", "(0.5,1)"},
        {"SPEED", "(1,2)"},
        {"DIST", "(0,0.1)"},
        {"INHERITSPEED", "0.5"},
        {"ANGLE", "(0,30)"},
        {"COLOR", "[{0,(1,1,0.5,1)},{1,(1,0,0,0)}]"},
        {"SIZE", "[{0,0.1},{0.5,0.3},{1,0}]"},
        {"ROTATE", "[{0,0},{1,180}]"},
        {"BLEND", "ADD"},
        {"TEXTURE", texture},
        {"NUMFRAMES", "4"}}},
      {"trails",
       {{"TYPE", "LINE"},
        {"MAXNUMBER", "32"},
        {"RATE", "20"},
        {"SPAN", "(1,1)"},
        {"SPEED", "(3,3)"},
        {"ANGLE", "(0,180)"},
        {"FORCE", "(0,-9.8,0)"},
        {"COLOR", "(0.5,0.5,1,1)"},
        {"BLEND", "DECAL"},
        {"LINE_LENGTH", "0.05"}}},
  };
}
