// Fuzz target for the waypoint graph: the first byte n gives the length of
// an EDGES text that follows it (at most 96 bytes), the rest is served as
// the GRAPH file "data\level\graph.xrf". The graph is built, a few routes
// are sought between its first nodes and the nearest point of a position is
// asked; every route must start and end where asked and stand on the graph.
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/world/navigation/waypoint_graph.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr size_t kMaxEdgesText = 96;

bool Start() {
  if (!fakedevice::Init(nullptr, 0) || !fakedevice::OpenAndStart()) {
    return false;
  }
  memoryfiles::Install();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  if (!started) {
    __builtin_trap();
  }
  if (size == 0 || size > 1 << 16) {
    return 0;
  }
  size_t textSize = bytes[0] < kMaxEdgesText ? bytes[0] : kMaxEdgesText;
  if (textSize > size - 1) {
    textSize = size - 1;
  }
  const std::string edges(reinterpret_cast<const char*>(bytes + 1), textSize);
  memoryfiles::Serve("data\\level\\graph.xrf", bytes + 1 + textSize, size - 1 - textSize);
  cWaypointGraph graph;
  graph.Build("data/level/graph.xrf", cString(edges.c_str()));
  const u32 nodes = graph.GetNodeCount();
  if (graph.GetEdgeCount() > textSize / 2 || (size - 1 - textSize) < nodes) {
    __builtin_trap();
  }
  for (u32 from = 0; from < 3; from++) {
    for (u32 to = 0; to < 4; to++) {
      cRecordArray<u32> route;
      if (!graph.FindRoute(from, to, &route)) {
        continue;
      }
      if (route.GetCount() == 0 || route[0] != from || route[route.GetCount() - 1] != to) {
        __builtin_trap();
      }
      for (u32 i = 0; i < route.GetCount(); i++) {
        if (route[i] >= nodes && from != to) {
          __builtin_trap();
        }
      }
    }
  }
  RwV2d point{0.0f, 0.0f};
  u32 a = 0;
  u32 b = 0;
  if (graph.FindNearestPoint(0, RwV2d{1.0f, 2.0f}, kWaypointQueryHeight, &point, &a, &b) &&
      (a >= nodes || b >= nodes)) {
    __builtin_trap();
  }
  return 0;
}
