// Fuzz target for locator files: any bytes as "data\level\objects.xrf"
// behind an in-memory file-function table, read by cLocatorFile entry by
// entry into the level's buffer sizes, every other entry without its data;
// the data read becomes the colour table of a copy of a two-quad static-lit
// model, which is then tinted. The same bytes then fill an object set of a
// level object whose model is a bare frame.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/render/models/locator_file.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/object_set.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"
#include "tests/support/quad_model.h"

namespace {

constexpr u32 kNameSize = 32;
constexpr u32 kDataSize = 10240;
// The least an entry occupies: matrix chunk and struct headers, the matrix
// body, and two empty texts with their lengths.
constexpr size_t kSmallestEntry = 12 + 12 + 52 + 4 + 4 + 4 + 4;

constexpr char kModelFile[] = "data\\level\\panel.dff";

cLightmap gLightmap;
cStaticLitClumpRO* gPrototype = nullptr;

// The bytes of a clump chunk of two quads, each of 4 vertices; the first
// numbers its vertices' colours 3, 2, 1, 0.
std::vector<uint8_t> ModelBytes() {
  return QuadModelBytes({tTestQuad(), tTestQuad()}, [](RpGeometry* geometry, size_t quad) {
    if (quad == 0) {
      RpUserDataArray* numbers =
          RpUserDataGeometryGetArray(geometry, RpUserDataGeometryAddArray(geometry, "vtxnum.vtxnum", rpINTUSERDATA, 4));
      for (RwInt32 i = 0; numbers != nullptr && i < 4; i++) {
        RpUserDataArraySetInt(numbers, i, 3 - i);
      }
    }
  });
}

bool Start() {
  if (!fakedevice::Init(nullptr, 0) || !RpWorldPluginAttach() || !RpUserDataPluginAttach() || !RegisterAtomicPlugin() ||
      !fakedevice::OpenAndStart()) {
    return false;
  }
  memoryfiles::Install();
  const std::vector<uint8_t> model = ModelBytes();
  memoryfiles::Serve(kModelFile, model.data(), model.size());
  gPrototype = new cStaticLitClumpRO("data/level/panel.dff", &gLightmap, nullptr);
  return gPrototype->GetClump() != nullptr;
}

// A placed object whose model is a frame of its own.
class FrameObject : public cLevelObject {
 public:
  FrameObject() : mFrame(RwFrameCreate()) {}
  FrameObject(const FrameObject& other) : cLevelObject(other), mFrame(RwFrameCreate()) {}
  ~FrameObject() override { RwFrameDestroy(mFrame); }
  cLevelObject* Clone() override { return new FrameObject(*this); }
  RwFrame* GetFrame() const { return mFrame; }

 private:
  RwFrame* mFrame;
};

// The entry's data as a placement's colour table, tinted into a copy.
void Tint(const char* data) {
  cStaticLitClumpRO copy(*gPrototype);
  copy.SetColourTable(data);
  copy.UpdateLightColour(nullptr);
  copy.Refresh(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  if (!started) {
    __builtin_trap();
  }
  if (size > 1 << 20) {
    return 0;
  }
  memoryfiles::Serve("data\\level\\objects.xrf", bytes, size);
  cLocatorFile file;
  if (!file.Open("data/level/objects.xrf")) {
    __builtin_trap();
  }
  static char name[kNameSize];
  static char data[kDataSize];
  RwMatrix matrix;
  size_t entries = 0;
  while (file.ReadEntry(name, kNameSize, entries % 2 == 0 ? data : nullptr, kDataSize, &matrix)) {
    if (entries % 2 == 0) {
      Tint(data);
    }
    entries++;
    if (strnlen(name, kNameSize) == kNameSize || strnlen(data, kDataSize) == kDataSize ||
        entries * kSmallestEntry > size) {
      __builtin_trap();
    }
  }
  file.Close();
  if (file.ReadEntry(name, kNameSize, data, kDataSize, &matrix)) {
    __builtin_trap();
  }
  tObjectSet<FrameObject> set;
  set.InstantiateDevices("data/level/objects.xrf");
  if (set.GetCount() > entries || set.GetCount() * kSmallestEntry > size) {
    __builtin_trap();
  }
  for (u32 i = 0; i < set.GetCount(); i++) {
    if (set.GetClone(i)->GetName().Length() >= kNameSize) {
      __builtin_trap();
    }
  }
  return 0;
}
