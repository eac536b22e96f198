// The damaged-data walk's plan: which files of a run folder it damages, how
// (cut short or garbled in the middle), which road through the game reads
// each file, and what a run's end says about the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace walk {

enum class Damage { kCut, kGarbled };

// The road a run takes through the game until the damaged file has been read.
enum class Road {
  kLevel,  // a level loaded (new game for level01, else Continue) and played a little
  kEnd,    // level05 loaded and finished: the end texts, then the credits
};

struct Case {
  std::string file;  // relative to the run folder, '/' separated
  Damage damage = Damage::kCut;
  Road road = Road::kLevel;
  int level = 1;  // the level the road loads (kLevel, kEnd)
  // An image a texture dictionary may serve: the dictionaries that hold it
  // are left out of the case's folder, so that the game reads the image and
  // writes them afresh.
  bool image = false;
  // The files served from "data.pak" (damaged: file is "data.pak"); only
  // the movies stay in the folder.
  bool packed = false;
  // German chosen at the first start (the "_d" texts are read), else English.
  bool german = false;
};

// The two files a walk damages beside those of the folder: the save file
// (holding a profile to continue) and the pack of every file.
constexpr char kSaveFile[] = "save.dat";
constexpr char kPackFile[] = "data.pak";

// The road to the file's reader: a level's own files load with their
// level, the end texts and credits at the game's end, the save file's
// profile with Continue (level02), everything else with level01.
Case PlanCase(const std::string& file, Damage damage);

// True when the texture dictionary's bytes hold the texture of the image
// file: its name (the file's name without extension and without a mask's
// "_mask") ended by a zero byte, in any case.
bool DictionaryHolds(const std::string& dictionary, const std::string& imageFile);

// One file of each kind, cut short: the walk's quick set (CI runs it), each
// read along its road (the save file along level01's, where the intro reads
// it and a new game writes it). The model, the world and the pack are those
// the players met; the dictionary is one the game writes on its first run.
const std::vector<std::string>& KindSamples();

// A short name for the kind of file: its reader, so that the walk can pick
// one file of each kind ("model", "world", "texture", "property", ...).
std::string KindOf(const std::string& file);

// The damaged bytes: cut to two fifths of the file (an empty file stays
// empty), or a run in the middle (an eighth of the file, 1 to 256 bytes)
// overwritten with bytes from a generator seeded by the file's name, each
// different from the byte it replaces. Deterministic.
std::string Damaged(const std::string& bytes, Damage damage, const std::string& file);

const char* DamageName(Damage damage);

// How a run ended, as its parent saw it.
struct Outcome {
  int exitStatus = -1;  // -1 when it did not exit
  int signal = 0;       // the signal that ended it, 0 for none
  bool timedOut = false;
  std::string output;  // its standard error
};

// Exit statuses of a run's own (beside the game's 0 and 3).
constexpr int kStatusRoadBlocked = 4;  // the data offers no way on: no profile, no objective
constexpr int kStatusEndedEarly = 5;   // the game ended before the road did
constexpr int kStatusNotStarted = 6;   // the run could not be set up
constexpr int kStatusStuck = 7;        // the road's next step never came

// A fault of the game, or empty: a signal, a hang, an exit status other than
// 0 (played on) and 3 (fatal error), a fatal error whose text does not name
// the file, or a game that stopped going on (kStatusStuck). A road the data
// no longer offers (kStatusRoadBlocked) is no fault: a damaged save file may
// hold no profile to continue, damaged level texts no objective to finish.
std::string FaultOf(const Case& run, const Outcome& outcome);

// The fatal error's text from a run's standard error ("Error: ..."); empty
// when none.
std::string FatalText(const std::string& output);

}  // namespace walk
