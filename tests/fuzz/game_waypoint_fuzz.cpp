// Fuzz target for the waypoint graph: byte 0 is the length n (at most 96) of
// the EDGES text that follows; the rest is served as the GRAPH file. The
// graph is built, then routes and the nearest point are asked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/world/navigation/waypoint_graph.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr size_t kMaxEdgesText = 96;

bool Start() {
  const bool started = fakedevice::Init(nullptr, 0) && fakedevice::OpenAndStart();
  memoryfiles::Install();
  return started;
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
  const size_t textSize = std::min<size_t>({bytes[0], kMaxEdgesText, size - 1});
  const std::string edges(reinterpret_cast<const char*>(bytes + 1), textSize);
  memoryfiles::Serve("data\\level\\graph.xrf", bytes + 1 + textSize, size - 1 - textSize);
  cWaypointGraph graph;
  graph.Build("data/level/graph.xrf", cString(edges.c_str()));
  const u32 nodes = graph.GetNodeCount();
  if (graph.GetEdgeCount() > textSize / 2 || (size - 1 - textSize) < nodes) {
    __builtin_trap();
  }
  // Routes start and end where asked and stand on nodes; points on edges.
  for (u32 pair = 0; pair < 12; pair++) {
    const u32 from = pair / 4;
    const u32 to = pair % 4;
    cRecordArray<u32> route;
    bool bad = false;
    if (graph.FindRoute(from, to, &route)) {
      bad = route.GetCount() == 0 || route[0] != from || route[route.GetCount() - 1] != to;
      for (u32 i = 0; i < route.GetCount() && from != to; i++) {
        bad = bad || route[i] >= nodes;
      }
    }
    RwV2d point{0.0f, 0.0f};
    u32 a = 0;
    u32 b = 0;
    bad = bad || (graph.FindNearestPoint(0, RwV2d{1.0f, 2.0f}, kWaypointQueryHeight, &point, &a, &b) &&
                  (a >= nodes || b >= nodes));
    if (bad) {
      __builtin_trap();
    }
  }
  return 0;
}
