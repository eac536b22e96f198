// The damaged-data walk's plan: roads, kinds, damaged bytes and faults.
#include "tools/damage_walk/damage.h"

#include <sys/wait.h>

#include <cstring>

namespace walk {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
bool Holds(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

std::string Extension(const std::string& file) {
  const size_t dot = file.rfind('.');
  const size_t slash = file.rfind('/');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? std::string() : file.substr(dot + 1);
}

std::string Leaf(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? file : file.substr(slash + 1);
}

// The level number of a file under "data/levelNN/", else 0.
int LevelOf(const std::string& file) {
  if (!StartsWith(file, "data/level") || file.size() < 13 || file[12] != '/') {
    return 0;
  }
  const char tens = file[10], ones = file[11];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') {
    return 0;
  }
  return (tens - '0') * 10 + (ones - '0');
}

// The last level of the hard game's Continue: its way out ends the game.
constexpr int kLastLevel = 5;

// A generator for the garbage: the same bytes for the same file name.
uint32_t Seed(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash = (hash ^ c) * 16777619u;
  }
  return hash != 0 ? hash : 1;
}

uint32_t Next(uint32_t* state) {
  uint32_t x = *state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return *state = x;
}

}  // namespace

Case PlanCase(const std::string& file, Damage damage) {
  Case run;
  run.file = file;
  run.damage = damage;
  const std::string extension = Extension(file);
  // Lightmaps are read by the level itself, never from a dictionary.
  run.image = (extension == "bmp" || extension == "png") && !StartsWith(Leaf(file), "lightmap_");
  run.packed = file == kPackFile;
  const std::string leaf = Leaf(file);
  run.german = leaf.size() > 6 && leaf.compare(leaf.size() - 6, 6, "_d.txt") == 0;
  const int level = LevelOf(file);
  // A level's dictionary cache lies apart from the level's folder.
  const int cachedLevel =
      StartsWith(file, "data/texdicts/level") && file.size() >= 21 ? (file[19] - '0') * 10 + (file[20] - '0') : 0;
  if (file == kSaveFile) {
    run.road = Road::kLevel;  // Continue reads the profiles
    run.level = 2;
  } else if (StartsWith(file, "data/endtexts") || StartsWith(file, "data/credits") || level == kLastLevel ||
             cachedLevel == kLastLevel) {
    run.road = Road::kEnd;
    run.level = kLastLevel;
  } else {
    run.road = Road::kLevel;
    run.level = level > 0 ? level : cachedLevel > 0 ? cachedLevel : 1;
  }
  return run;
}

const std::vector<std::string>& KindSamples() {
  static const std::vector<std::string> samples = {
      kPackFile,
      kSaveFile,
      "data/level01/models/door.dff",
      "data/level01/level01.bsp",
      "data/texdicts/logos.txd",
      "data/hack/frame.png",
      "data/level01/lightmap_north.bmp",
      "data/man/anims/block.anm",
      "data/level01/waypoints.xrf",
      "data/level01/men.txt",
      "data/font/gothic13.met",
      "data/media/sfx/al_1.wav",
      "data/media/music/INGAME01.ogg",
      "data/movies/final.avi",
  };
  return samples;
}

bool DictionaryHolds(const std::string& dictionary, const std::string& imageFile) {
  std::string name = Leaf(imageFile);
  name = name.substr(0, name.rfind('.'));
  const char kMask[] = "_mask";
  if (name.size() > 5 && name.compare(name.size() - 5, 5, kMask) == 0) {
    name.resize(name.size() - 5);
  }
  auto lower = [](std::string text) {
    for (char& c : text) {
      c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
  };
  return !name.empty() && lower(dictionary).find(lower(name) + std::string(1, '\0')) != std::string::npos;
}

std::string KindOf(const std::string& file) {
  const std::string extension = Extension(file);
  const std::string leaf = Leaf(file);
  if (file == kSaveFile) {
    return "save file";
  }
  if (file == kPackFile) {
    return "pack file";
  }
  if (extension == "dff") {
    return StartsWith(file, "data/man/")        ? "man's body"
           : Holds(file, "/collision/")         ? "collision model"
           : leaf == "map.dff"                  ? "map model"
           : StartsWith(file, "data/implants/") ? "implant model"
                                                : "model";
  }
  if (extension == "bsp") {
    return Holds(file, "/collision/") ? "collision world" : "world";
  }
  if (extension == "bmp") {
    return StartsWith(leaf, "lightmap_")          ? "lightmap"
           : StartsWith(file, "data/menu/fonts/") ? "menu font letter"
                                                  : "bmp picture";
  }
  if (extension == "xrf") {
    return leaf == "waypoints.xrf"          ? "waypoints"
           : StartsWith(leaf, "particles_") ? "particle placements"
                                            : "object locator";
  }
  if (extension == "txt") {
    if (LevelOf(file) > 0) {
      return StartsWith(leaf, "texts_") ? "level texts" : leaf.substr(0, leaf.size() - 4);
    }
    return leaf == "config.txt"                 ? "configuration"
           : leaf == "inputmap.txt"             ? "input map"
           : StartsWith(file, "data/menu/")     ? "menu texts"
           : StartsWith(file, "data/implants/") ? "particle effect"
           : StartsWith(leaf, "endtexts_")      ? "end texts"
           : StartsWith(leaf, "credits_")       ? "credits"
                                                : "text";
  }
  return extension == "png"   ? "png picture"
         : extension == "txd" ? "texture dictionary"
         : extension == "anm" ? "animation"
         : extension == "met" ? "font metrics"
         : extension == "wav" ? "sound"
         : extension == "ogg" ? "music"
         : extension == "avi" ? "movie"
                              : extension;
}

std::string Damaged(const std::string& bytes, Damage damage, const std::string& file) {
  if (damage == Damage::kCut) {
    return bytes.substr(0, bytes.size() * 2 / 5);
  }
  std::string garbled = bytes;
  if (garbled.empty()) {
    return garbled;
  }
  size_t length = garbled.size() / 8;
  length = length < 1 ? 1 : length > 256 ? 256 : length;
  const size_t start = (garbled.size() - length) / 2;
  uint32_t state = Seed(file);
  for (size_t i = start; i < start + length; i++) {
    // Never the byte that stood there: every byte of the run changes.
    garbled[i] = static_cast<char>(static_cast<uint8_t>(garbled[i]) ^ (1 + Next(&state) % 255));
  }
  return garbled;
}

const char* DamageName(Damage damage) { return damage == Damage::kCut ? "cut" : "garbled"; }

std::string FatalText(const std::string& output) {
  // The message box's copy on standard error: "<caption>: <text>" on one line.
  const char* const kCaption = "Error: ";
  size_t at = output.rfind(std::string("\n") + kCaption);
  at = at != std::string::npos ? at + 1 : StartsWith(output, kCaption) ? 0 : std::string::npos;
  if (at == std::string::npos) {
    return std::string();
  }
  const size_t end = output.find('\n', at);
  return output.substr(at + std::strlen(kCaption), end == std::string::npos ? std::string::npos : end - at - 7);
}

std::string FaultOf(const Case& run, const Outcome& outcome) {
  if (outcome.timedOut) {
    return "hang: no end within the time";
  }
  if (outcome.signal != 0) {
    return std::string("signal ") + std::to_string(outcome.signal) + " (" + strsignal(outcome.signal) + ")";
  }
  switch (outcome.exitStatus) {
    case 0:
    case kStatusRoadBlocked:
      return std::string();
    case 3: {
      const std::string text = FatalText(outcome.output);
      if (text.empty()) {
        return "exit status 3 without a fatal error's text";
      }
      // A file inside the pack names itself; the pack's own damage names the pack.
      const bool named = Holds(text, run.file.c_str()) || (run.packed && Holds(text, "data/"));
      return named ? std::string() : "the fatal error does not name " + run.file;
    }
    case kStatusEndedEarly:
      return "the game ended before the road did";
    case kStatusStuck:
      return "the game did not go on along the road";
    default:
      return "exit status " + std::to_string(outcome.exitStatus);
  }
}

}  // namespace walk
