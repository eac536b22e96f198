// The forge: writers of the engine's data files, used for test fixtures, fuzz
// seed corpora and data. Writers need a started engine with the plugins whose
// data they write attached; texture dictionaries need the Direct3D 8 driver.
//
// Worlds. ForgeWriteWorld takes a triangle soup and splits it into an
// axis-aligned BSP (the longest axis of a node's box at the median triangle
// centre; a leaf at ForgeWorldOptions::maxSectorTriangles or fewer, at
// maxDepth planes, or when no plane separates the triangles), then writes
// the world chunk (0xB) with its material list, plane and atomic sectors.
//
// Plugin hooks. A plugin that stores data with worlds (collision trees,
// visibility, material effects, user data) adds a ForgeWorldHook to the
// options. Each of its callbacks may be empty; the forge calls them in the
// order of the hooks, in this sequence:
//   arrange(layout)        once the BSP is laid out and before anything is
//                          written; may reorder each sector's polygons (a
//                          collision tree's order) but not change the set.
//   material(index, m)     for each material created for the world's
//                          material list, before the list is written; may
//                          attach plugin data to it (it travels with the
//                          material chunk through RpMaterialListStreamWrite).
//   world(layout, ext)     appends sub-chunks {plugin id, body} to the
//                          world's extension chunk.
//   sector(layout, s, ext) the same for each atomic sector's extension.
// Sectors are numbered (ForgeSector::index) in the order in which
// RpWorldForAllWorldSectors visits them after reading, which is also the
// order of layout.sectors and of the sectors in the stream.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"

// ---- Materials and soups ------------------------------------------------

// Material effects, written with the material when effects is not 0 (the
// material-effects plugin must be attached). Textures are stored by name;
// the bump map by its height source, from which the reader builds it.
struct ForgeMaterialEffects {
  RwUInt32 effects = kRpMatFXEffectNull;  // RpMatFXMaterialFlags
  std::string bumpSource;                 // kinds 1 and 3
  RwReal bumpCoefficient = 1.0f;
  std::string envTexture;  // kinds 2 and 3
  RwReal envCoefficient = 1.0f;
  bool envFrameBufferAlpha = false;
  std::string dualTexture;  // kind 4
  RwUInt32 dualSrcBlend = kRwBlendSrcAlpha;
  RwUInt32 dualDestBlend = kRwBlendInvSrcAlpha;
};

struct ForgeMaterial {
  RwRGBA color = {255, 255, 255, 255};
  std::string texture;  // empty: untextured
  std::string mask;     // the texture's mask name, or empty
  RpSurfaceProperties surface = {1.0f, 1.0f, 1.0f};
  ForgeMaterialEffects effects;
};

// The attributes a world keeps of a vertex are chosen by the options' flags.
struct ForgeVertex {
  RwV3d position = {0.0f, 0.0f, 0.0f};
  RwV3d normal = {0.0f, 0.0f, 0.0f};  // unit length; stored as signed bytes
  RwRGBA prelight = {255, 255, 255, 255};
  RwTexCoords uv[kRpGeometryMaxTexCoordSets] = {};
};

struct ForgeTriangle {
  RwUInt32 vertex[3];
  RwUInt32 material;  // into ForgeSoup::materials
};

struct ForgeSoup {
  std::vector<ForgeVertex> vertices;
  std::vector<ForgeTriangle> triangles;
  std::vector<ForgeMaterial> materials;
};

// Adds an axis-aligned box between the corners: four vertices a face with
// its outward normal and coordinates 0 to 1, two triangles a face, faces
// pointing out.
void ForgeAddBox(ForgeSoup* soup, const RwV3d& inf, const RwV3d& sup, RwUInt32 material);
// Adds a flat grid in the plane y = origin.y from origin along +x and +z:
// cells x cells squares of two triangles, normals up, coordinates 0 to 1.
void ForgeAddGrid(ForgeSoup* soup, const RwV3d& origin, RwReal size, RwInt32 cells, RwUInt32 material);

// ---- World layout (what hooks see) --------------------------------------

struct ForgeSector {
  RwInt32 index;                     // RpWorldForAllWorldSectors order
  RwBBox box;                        // of its vertices
  RwBBox planeBox;                   // the region the planes give it within the world's box
  RwUInt16 materialBase;             // the world material of polygon material 0
  std::vector<RwUInt32> soupVertex;  // the soup vertex of each sector vertex
  std::vector<RpPolygon> polygons;   // materials relative to the base, sector vertex indices
};

// A child of a plane: an atomic sector or another plane, by index.
struct ForgeNode {
  bool atomic;
  RwInt32 index;  // into ForgeWorldLayout::sectors or ::planes
};

struct ForgePlane {
  RwInt32 type;  // rpSECTORPLANEX, Y or Z
  RwReal value;
  RwReal leftValue;   // the largest coordinate of the left side's triangles
  RwReal rightValue;  // the smallest of the right side's
  ForgeNode left;
  ForgeNode right;
};

struct ForgeWorldLayout {
  const ForgeSoup* soup = nullptr;
  RwUInt32 format = 0;  // the world's format flags as written
  RwBBox box = {};      // the union of the sectors' boxes
  ForgeNode root = {true, 0};
  std::vector<ForgePlane> planes;
  std::vector<ForgeSector> sectors;
};

// One plugin sub-chunk of an extension chunk.
struct ForgeSubChunk {
  RwUInt32 pluginID;
  std::vector<RwUInt8> body;
};
typedef std::vector<ForgeSubChunk> ForgeExtension;

struct ForgeWorldHook {
  std::function<void(ForgeWorldLayout* layout)> arrange;
  std::function<void(RwInt32 index, RpMaterial* material)> material;
  std::function<void(const ForgeWorldLayout& layout, ForgeExtension* extension)> world;
  std::function<void(const ForgeWorldLayout& layout, const ForgeSector& sector, ForgeExtension* extension)> sector;
};

struct ForgeWorldOptions {
  // Chunk version: 0x34003 and later carry the box in the 64-byte struct,
  // 0x34001 and 0x34002 have the 64-byte struct without a box that is read,
  // older ones the 52-byte struct.
  RwUInt32 version = kRwLibraryVersion;
  // rpWORLDNORMALS, rpWORLDPRELIT, rpWORLDTRISTRIP, rpWORLDLIGHT,
  // rpWORLDMODULATEMATERIALCOLOR and rpWORLDSECTORSOVERLAP. With the overlap
  // flag each plane stores its left and right values (from the triangles'
  // extents, so neighbouring sectors may overlap); without it only planes
  // that no triangle crosses are used, with the value for both sides.
  RwUInt32 flags = rpWORLDSECTORSOVERLAP;
  RwInt32 texCoordSets = 0;  // 0 to 8
  RwV3d origin = {0.0f, 0.0f, 0.0f};
  RwInt32 maxSectorTriangles = 256;
  RwInt32 maxDepth = 32;  // planes from the root to a leaf; at most kRpWorldMaxPlaneDepth
  // Each sector carries its collision tree (ForgeCollisionHook, run after
  // the options' hooks); engines read it with the collision plugin attached.
  bool collisionTrees = true;
  // Each sector carries the mesh header the engine would build for it (the
  // bin mesh, sub-chunk 0x50E), so that readers need not build it.
  bool binMeshes = true;
  std::vector<ForgeWorldHook> hooks;
};

// Writes each sector's collision tree, built over its polygons, into its
// extension (sub-chunk 0x11D).
ForgeWorldHook ForgeCollisionHook();

// Splits the soup into sectors and planes; false (with the reason in *error
// when given) for a soup that refers outside its vertices or materials, for
// options out of range, or when a sector would hold 65536 vertices or
// polygons or more.
bool ForgeLayoutWorld(const ForgeSoup& soup, const ForgeWorldOptions& options, ForgeWorldLayout* layout,
                      std::string* error = nullptr);
// Lays out and writes the whole world chunk, running the options' hooks.
bool ForgeWriteWorld(RwStream* stream, const ForgeSoup& soup, const ForgeWorldOptions& options,
                     std::string* error = nullptr);
bool ForgeWriteWorldFile(const RwChar* path, const ForgeSoup& soup, const ForgeWorldOptions& options,
                         std::string* error = nullptr);
// The world chunk's bytes, header included; empty on failure.
std::vector<RwUInt8> ForgeWorldBytes(const ForgeSoup& soup, const ForgeWorldOptions& options,
                                     std::string* error = nullptr);
// The world as the engine reads it back from its forged chunk; null on failure.
RpWorld* ForgeWorldCreate(const ForgeSoup& soup, const ForgeWorldOptions& options);

// The material-effects hook: sets the effects flag (a sub-chunk of plugin
// 0x120) of every sector that holds a polygon of a material with effects, so
// that the sector draws them.
ForgeWorldHook ForgeMatFXWorldHook();

// ---- Scene files ----------------------------------------------------------

// Reads the forge's scene text: one statement a line, "#" starts a comment.
//   version <number>            chunk version (decimal or 0x hex)
//   planes separate|single      plane values (default separate)
//   collision on|off            sectors' collision trees (default on)
//   normals | prelit | tristrip | lit | modulate    world flags
//   texcoords <n>               coordinate sets kept (0 to 8)
//   origin <x> <y> <z>
//   sector <triangles> | depth <planes>             leaf limits
//   material <r> <g> <b> <a> [texture <name>] [mask <name>] [surface <ambient> <specular> <diffuse>]
//            [bumpmap <source> <coefficient>] [envmap <name> <coefficient>] [dual <name> <src> <dest>]
//                               a bump map and an environment map combine; a
//                               dual pass stands alone; effects add the
//                               material-effects hook to the options
//   vertex <x> <y> <z> [normal <x> <y> <z>] [prelight <r> <g> <b> <a>] [uv <u> <v>]...
//   triangle <v0> <v1> <v2> <material>
//   box <x0> <y0> <z0> <x1> <y1> <z1> <material>
//   grid <x> <y> <z> <size> <cells> <material>    cells: 1 to 256 a side
// Materials and vertices are numbered from 0 in the order they appear.
// False with "line N: reason" in *error for anything else.
bool ForgeReadScene(const std::string& text, ForgeSoup* soup, ForgeWorldOptions* options, std::string* error);

// ---- Plugin data ----------------------------------------------------------

// A named user-data array holding the elements of its format (the other
// lists are ignored); an array given no elements gets one zeroed element, so
// that readers counting arrays with elements see it.
struct ForgeUserData {
  std::string name;
  RwInt32 format = rpINTUSERDATA;
  std::vector<RwInt32> ints;
  std::vector<RwReal> reals;
  std::vector<std::string> strings;  // an empty string is stored as none
};

// Gives the geometry the arrays through the user-data plugin; false when the
// plugin is not attached or an array cannot be made.
bool ForgeAddUserData(RpGeometry* geometry, const std::vector<ForgeUserData>& arrays);
// World hooks. Visibility data: sector k gets bit k and row k of rows, each
// (sectors + 7) / 8 bytes (a missing or short row is completed with visible
// bits); without rows every sector sees every other.
ForgeWorldHook ForgeVisibilityHook(const std::vector<std::vector<RwUInt8>>& rows);
// User data on each atomic sector: the arrays the function gives for it.
ForgeWorldHook ForgeSectorUserDataHook(const std::function<std::vector<ForgeUserData>(const ForgeSector&)>& arrays);

// ---- Clumps and texture dictionaries -------------------------------------

enum ForgeShape {
  kForgeShapeBox,   // size: edge lengths, centred on the part's frame
  kForgeShapeGrid,  // size.x: side; cells x cells squares from the frame along +x and +z
};

// A further level of detail of a part: its shape at that level.
struct ForgeLevel {
  RwInt32 level = 1;  // 1 to 9; level 0 is the part's own shape
  ForgeShape shape = kForgeShapeBox;
  RwV3d size = {1.0f, 1.0f, 1.0f};
  RwInt32 cells = 1;
};

// One atomic of a procedural clump on a frame of its own; a material with
// effects sets the atomic's effects flag.
struct ForgePart {
  ForgeShape shape = kForgeShapeBox;
  RwV3d size = {1.0f, 1.0f, 1.0f};
  RwInt32 cells = 1;
  RwInt32 parent = -1;                // the part whose frame is this one's parent; -1: the clump's root frame
  RwV3d offset = {0.0f, 0.0f, 0.0f};  // the frame's translation from its parent's
  ForgeMaterial material;
  std::vector<ForgeUserData> userData;  // on the part's geometry (the user-data plugin)
  // Levels of detail (the LOD plugin) over the far range; a part with
  // levels needs a range above 0.
  std::vector<ForgeLevel> levels;
  RwReal lodRange = 0.0f;
  bool collisionData = false;  // the geometry carries a collision tree (written as sub-chunk 0x11D)
};

// A clump with a root frame and one frame and atomic a part (parents must
// come before their children); null for a bad parent or a failed creation.
RpClump* ForgeClumpCreate(const std::vector<ForgePart>& parts);
bool ForgeWriteClump(RwStream* stream, const std::vector<ForgePart>& parts);
// Writes the clump through the engine's clump writer and destroys it; false
// for no clump or a failed write.
bool ForgeWriteAndDestroyClump(RwStream* stream, RpClump* clump);
bool ForgeWriteClumpFile(const RwChar* path, const std::vector<ForgePart>& parts);

enum ForgePattern {
  kForgePatternSolid,     // colors[0]
  kForgePatternChecker,   // 8-pixel squares of colors[0] and colors[1]
  kForgePatternGradient,  // colors[0] at the top row to colors[1] at the bottom
};

struct ForgeTexture {
  std::string name;
  RwInt32 width = 64;
  RwInt32 height = 64;
  ForgePattern pattern = kForgePatternChecker;
  RwRGBA colors[2] = {{255, 255, 255, 255}, {0, 0, 0, 255}};
};

// A 32-bit image of the texture's pattern; null on failure.
RwImage* ForgeImageCreate(const ForgeTexture& texture);
// A dictionary chunk (0x16) of the textures in the driver's native format.
bool ForgeWriteTexDictionary(RwStream* stream, const std::vector<ForgeTexture>& textures);
bool ForgeWriteTexDictionaryFile(const RwChar* path, const std::vector<ForgeTexture>& textures);

// ---- Animations -----------------------------------------------------------

// One key of a node: its pose at a time.
struct ForgeKey {
  RwReal time;      // seconds
  RtQuat rotation;  // unit length
  RwV3d translation;
};

// An animation as one key list a node, each in time order from 0 to the duration.
struct ForgeAnimation {
  RwReal duration = 0.0f;
  RwUInt32 flags = 0;
  std::vector<std::vector<ForgeKey>> nodes;
};

// A key by its node and its place in the node's list.
struct ForgeKeyRef {
  RwInt32 node;
  RwInt32 key;
};

// The order the player needs the keys in: the first key of every node, then
// the second key of every node, then every further key by the time of its
// previous key, ties by node.
std::vector<ForgeKeyRef> ForgeAnimationKeyOrder(const ForgeAnimation& animation);
// Whether the player can play it: a positive duration, every node with at
// least two keys, the first at 0, times rising, the last at the duration.
bool ForgeAnimationPlayable(const ForgeAnimation& animation);
// Writes the animation chunk (0x1B) with standard keys (type 1) in player
// order; false for an unplayable animation or a failed write.
bool ForgeWriteAnimation(RwStream* stream, const ForgeAnimation& animation);
bool ForgeWriteAnimationFile(const RwChar* path, const ForgeAnimation& animation);
// The animation as the engine reads it back from a forged chunk; null on failure.
RtAnimAnimation* ForgeAnimationCreate(const ForgeAnimation& animation);

// ---- Skeletons and skins ------------------------------------------------

// A bone: a frame with a node id, placed from its parent by a rotation and
// then a translation.
struct ForgeBone {
  RwInt32 id;         // node id
  RwInt32 parent;     // index of the parent bone; -1 for the root alone
  RwV3d translation;  // from the parent's origin
  RtQuat rotation;    // unit length
};

// Bones depth first (every parent before its children, each bone's subtree
// in one run); bone i is node i of the hierarchy on the root.
struct ForgeSkeleton {
  std::vector<ForgeBone> bones;
  RwUInt32 hierarchyFlags = 0;
};

// Whether the bones can form a hierarchy: one root first, depth first.
bool ForgeSkeletonValid(const ForgeSkeleton& skeleton);
// Node flags (push and pop) of the bones as the hierarchy walks them.
std::vector<RwUInt32> ForgeSkeletonNodeFlags(const ForgeSkeleton& skeleton);
// Each bone's bind-pose matrix relative to the skeleton root's parent.
std::vector<RwMatrix> ForgeSkeletonBindPose(const ForgeSkeleton& skeleton);
// The frames of the bones with their node ids and the hierarchy on the root
// (standard keys); the root frame, or null for an invalid skeleton.
RwFrame* ForgeSkeletonCreate(const ForgeSkeleton& skeleton);
// A clump whose frame is the skeleton's root, without atomics.
RpClump* ForgeSkeletonClumpCreate(const ForgeSkeleton& skeleton);
// Writes that clump through the engine's clump writer.
bool ForgeWriteSkeleton(RwStream* stream, const ForgeSkeleton& skeleton);
bool ForgeWriteSkeletonFile(const RwChar* path, const ForgeSkeleton& skeleton);
// A chain of bones along +y, boneLength apart, ids 1 to count, root at the origin.
ForgeSkeleton ForgeBoneChain(RwInt32 count, RwReal boneLength);
// The chain bending about +z: every bone but the root turns from the rest
// pose at 0 to degrees at half the duration, and holds that to the end.
ForgeAnimation ForgeBendAnimation(RwInt32 count, RwReal boneLength, RwReal degrees, RwReal duration);

// A tube along +y around a bone chain, skinned: each ring of vertices is
// weighted between the two bones whose middles it lies between.
struct ForgeTube {
  RwInt32 bones = 4;
  RwReal length = 4.0f;
  RwReal radius = 0.5f;
  RwInt32 sides = 12;
  RwInt32 rings = 17;  // at least 2, the first at y = 0 and the last at y = length
  RwUInt32 geometryFlags = rpGEOMETRYNORMALS | rpGEOMETRYPRELIT;
  RwRGBA color = {255, 255, 255, 255};  // the material's and the pre-lit colours
};

// The tube's bone chain.
ForgeSkeleton ForgeTubeSkeleton(const ForgeTube& tube);
// The tube's geometry with its skin; null for a bad tube or on failure.
RpGeometry* ForgeTubeGeometryCreate(const ForgeTube& tube);
// A clump: a root frame, the skeleton under it, and one atomic of the
// geometry on the root frame. Takes the caller's reference to the geometry
// (also on failure, and a null geometry fails); null on failure.
RpClump* ForgeSkinnedClumpCreate(RpGeometry* geometry, const ForgeSkeleton& skeleton);
// A clump: a root frame, the tube's skeleton under it, and one atomic of the
// tube geometry on the root frame. Null on failure.
RpClump* ForgeSkinnedTubeCreate(const ForgeTube& tube);
// Writes that clump through the engine's clump writer.
bool ForgeWriteSkinnedTube(RwStream* stream, const ForgeTube& tube);
bool ForgeWriteSkinnedTubeFile(const RwChar* path, const ForgeTube& tube);

// ---- Chunk trees ----------------------------------------------------------

// One line a chunk, indented by nesting: type (with its name when known),
// body length and version; chunks that hold chunks are opened. A header
// that claims more than its parent holds ends the listing with a note, and
// *whole (when given) becomes false.
std::string ForgeDumpChunks(const std::vector<RwUInt8>& bytes, bool* whole = nullptr);
// Whether the bytes start with the whole header of a chunk kind the listing
// knows: what tells a file of chunks from any other.
bool ForgeIsChunkFile(const std::vector<RwUInt8>& bytes);
