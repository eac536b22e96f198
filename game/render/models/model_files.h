// Model files: worlds (".bsp") and clumps (".dff") read through the engine's
// streams (a mounted pack serves them), collision data built once and
// written back into the model file, geometries copied through memory, and
// the path of a model's collision twin.
#pragma once

#include "engine/engine.h"
#include "game/foundation/string.h"

// The world of the file, its textures from the folder (or from "textures/"
// beside the file); null, traced, when the file or its world chunk is
// missing.
RpWorld* LoadWorldFile(const char* path, const char* textureFolder);
// The clump of the file. A missing file that must exist ends the program
// ("Missing file: %s\n"), and so does one that cannot be read ("Damaged
// file: %s (why)"), unless its path holds "collision": a collision twin that
// is missing or cannot be read is null. With buildCollision the clump's
// collision data is built and saved.
RpClump* LoadClumpFile(const char* path, bool buildCollision, const char* textureFolder, bool mustExist);
// Builds the collision data of every collision-tested atomic whose geometry
// has none; when any was built the clump is written back to the path
// (through memory first: a failed write leaves the file as it was, traced).
// True when the file was rewritten.
bool BuildCollisionAndSave(const char* path, RpClump* clump);
// A new geometry read back from the geometry's own stream; null when it
// cannot be written or read.
RpGeometry* CloneGeometry(const RpGeometry* geometry);
// "collision/" inserted after the last '/' (at the front without one):
// data/x/door.dff gives data/x/collision/door.dff.
cString MakeCollisionPath(const char* path);
