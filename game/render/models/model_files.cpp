// Model files: world and clump readers, the collision rewrite, geometry
// copies and collision paths.
#include "game/render/models/model_files.h"

#include <cstring>

#include "game/foundation/fatal_error.h"
#include "game/render/engine_file.h"
#include "game/render/models/model_user_data.h"
#include "game/render/models/texture_files.h"

namespace {

constexpr char kCollisionFolder[] = "collision/";
constexpr char kCollisionMarker[] = "collision";

// Builds the collision data of a collision-tested atomic whose geometry has
// none; true when it was built.
bool BuildAtomicCollision(RpAtomic* atomic) {
  RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  if (geometry == nullptr || RpCollisionGeometryQueryData(geometry)) {
    return false;
  }
  return RpCollisionGeometryBuildData(geometry) != nullptr;
}

struct tCollisionBuild {
  u32 built;
};

RpAtomic* BuildCollisionCallBack(RpAtomic* atomic, void* data) {
  if ((RpAtomicGetFlags(atomic) & kAtomicFlagCollision) != 0 && BuildAtomicCollision(atomic)) {
    static_cast<tCollisionBuild*>(data)->built++;
  }
  return atomic;
}

}  // namespace

bool BuildCollisionAndSave(const char* path, RpClump* clump) {
  tCollisionBuild build = {0};
  RpClumpForAllAtomics(clump, BuildCollisionCallBack, &build);
  if (build.built == 0) {
    return false;
  }
  RwMemory memory = {nullptr, 0};
  if (!WriteChunkToMemory<RpClump>(clump, RpClumpStreamWrite, &memory)) {
    DebugTrace("BuildCollisionAndSave : the model cannot be written, %s is not rewritten\n", path);
    return false;
  }
  const bool written = WriteEngineFile(path, memory);
  RwFree(memory.start);
  if (!written) {
    DebugTrace("BuildCollisionAndSave : cannot write %s\n", path);
  }
  return written;
}

RpWorld* LoadWorldFile(const char* path, const char* textureFolder) {
  SetTexturePath(path, textureFolder);
  RwStream* stream = OpenEngineFile(path, kRwStreamRead);
  if (stream == nullptr) {
    DebugTrace("LoadWorldFile : cannot open %s\n", path);
    return nullptr;
  }
  RpWorld* world = ReadChunkAndClose(stream, kRwChunkWorld, RpWorldStreamRead);
  if (world == nullptr) {
    DebugTrace("LoadWorldFile : no world in %s\n", path);
  }
  return world;
}

RpClump* LoadClumpFile(const char* path, bool buildCollision, const char* textureFolder, bool mustExist) {
  SetTexturePath(path, textureFolder);
  RwStream* stream = OpenEngineFile(path, kRwStreamRead);
  if (stream == nullptr) {
    if (mustExist && std::strstr(path, kCollisionMarker) == nullptr) {
      FatalError("Missing file: %s\n", path);
    }
    return nullptr;
  }
  RpClump* clump = ReadChunkAndClose(stream, kRwChunkClump, RpClumpStreamRead);
  if (clump == nullptr) {
    // A file that is there but cannot be read is reported as a missing one
    // would be; where a missing file is allowed, it counts as missing.
    if (mustExist && std::strstr(path, kCollisionMarker) == nullptr) {
      FatalUnreadableChunkFile(path, kRwChunkClump, "model");
    }
    DebugTrace("LoadClumpFile : cannot read %s\n", path);
    return nullptr;
  }
  if (buildCollision) {
    BuildCollisionAndSave(path, clump);
  }
  return clump;
}

RpGeometry* CloneGeometry(const RpGeometry* geometry) {
  RwMemory memory = {nullptr, 0};
  if (!WriteChunkToMemory<RpGeometry>(geometry, RpGeometryStreamWrite, &memory)) {
    return nullptr;
  }
  RpGeometry* copy = nullptr;
  RwStream* in = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (in != nullptr) {
    copy = ReadChunkAndClose(in, kRwChunkGeometry, RpGeometryStreamRead);
  }
  RwFree(memory.start);
  return copy;
}

cString MakeCollisionPath(const char* path) {
  const char* separator = std::strrchr(path, '/');
  const u32 folderLength = separator != nullptr ? static_cast<u32>(separator - path) + 1 : 0;
  cString result = cString(path).Slice(0, folderLength);
  result.Append(cString(kCollisionFolder));
  result.Append(cString(path + folderLength));
  return result;
}
