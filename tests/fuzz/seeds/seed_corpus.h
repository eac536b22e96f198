// Seed corpora of the fuzz targets, written at build time by the program
// fuzz_seeds with the engine's own writers and the tests/support builders.
// A target's seeds are one writer function, registered by its first line:
//   TK_FUZZ_SEEDS(engine_bmp_fuzz) { seeds.Add("rle8.bmp", forge::WriteBmp(rle)); }
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct RwStream;

// The seeds of one target: each becomes a file of the target's corpus.
class SeedCorpus {
 public:
  void Add(const std::string& name, const std::vector<uint8_t>& bytes) { mSeeds.push_back({name, bytes}); }
  void Add(const std::string& name, const std::string& text) {
    Add(name, std::vector<uint8_t>(text.begin(), text.end()));
  }

  struct Seed {
    std::string name;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Seed>& Seeds() const { return mSeeds; }

 private:
  std::vector<Seed> mSeeds;
};

typedef void (*SeedWriter)(SeedCorpus& seeds);

// Records the writer of a target's seeds; true, for a static initialiser.
bool RegisterSeedWriter(const char* target, SeedWriter writer);

#define TK_FUZZ_SEEDS(target)                                                                          \
  static void WriteSeeds_##target(SeedCorpus& seeds);                                                  \
  static const bool kSeedWriterRegistered_##target = RegisterSeedWriter(#target, WriteSeeds_##target); \
  static void WriteSeeds_##target(SeedCorpus& seeds)

// Starts the engine once on the fake display device with the world module
// and the animation plugins attached, for seeds made by the engine's own
// stream writers and the forge; aborts when it cannot start.
void StartSeedEngine();
// What an engine writer put on a memory stream; aborts when it failed.
std::vector<uint8_t> EngineWritten(const std::function<bool(RwStream*)>& write);
