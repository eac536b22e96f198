// Seeds of the native geometry data target: one and two indexed meshes,
// meshes without indices, and a two-target geometry, each as the flags byte
// the target reads followed by the struct chunk.
#include <cstdint>
#include <vector>

#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/native_geometry_bytes.h"

namespace {

constexpr uint8_t kOneMaterial = 0x10;
constexpr uint8_t kTwoMorphTargets = 0x4;
constexpr uint8_t kUnindexed = 0x8;

std::vector<uint8_t> Input(uint8_t flags, const NativeGeometryDescription& description) {
  std::vector<uint8_t> bytes = {flags};
  const ChunkBytes chunk = NativeGeometryStruct(description);
  bytes.insert(bytes.end(), chunk.bytes().begin(), chunk.bytes().end());
  return bytes;
}

}  // namespace

TK_FUZZ_SEEDS(engine_native_data_fuzz) {
  NativeGeometryDescription one;
  one.meshes = {NativePositionsMesh(4)};
  seeds.Add("one.bin", Input(kOneMaterial, one));
  seeds.Add("morph.bin", Input(kOneMaterial | kTwoMorphTargets, one));
  NativeGeometryDescription two;
  two.meshes = {NativePositionsMesh(4), NativePositionsMesh(4)};
  two.meshes[1].material = 1;
  two.meshes[1].primType = 5;  // strip
  seeds.Add("two.bin", Input(0x20 | 0x1, two));
  NativeGeometryDescription runs;
  runs.meshes = {NativePositionsMesh(6)};
  runs.meshes[0].indices.clear();
  seeds.Add("runs.bin", Input(kOneMaterial | kUnindexed, runs));
}
