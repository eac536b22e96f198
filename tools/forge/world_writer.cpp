// The forge's world writer: the world chunk (0xB) of a laid-out soup in
// either struct layout, with the material list through the engine's writer,
// nested plane (0xA) and atomic (9) sector chunks, and the extension
// sub-chunks the hooks add.
#include <algorithm>
#include <cmath>

#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

// Versions below this have the 52-byte struct.
constexpr RwUInt32 kLongStructVersion = 0x34001;

RwInt8 PackNormal(RwReal component) {
  const RwReal scaled = std::round(component * 128.0f);
  return static_cast<RwInt8>(std::max(-128.0f, std::min(127.0f, scaled)));
}

std::vector<RwUInt8> ExtensionBody(const ForgeExtension& extension, RwUInt32 version) {
  ForgeBytes body;
  for (const ForgeSubChunk& sub : extension) {
    body.Chunk(sub.pluginID, version, sub.body);
  }
  return body.bytes();
}

class WorldWriter {
 public:
  WorldWriter(const ForgeWorldLayout& layout, const ForgeWorldOptions& options)
      : layout_(layout), options_(options), soup_(*layout.soup) {}

  ~WorldWriter() { RpMaterialListDeinitialize(&materials_); }

  // The whole world chunk; false when the material list or a bin mesh cannot
  // be written.
  bool Write(std::vector<RwUInt8>* bytes);

 private:
  std::vector<RwUInt8> StructBody() const;
  bool MaterialList(std::vector<RwUInt8>* bytes);
  bool BinMesh(const ForgeSector& sector, ForgeExtension* extension) const;
  bool SectorChunk(const ForgeSector& sector, std::vector<RwUInt8>* bytes) const;
  bool NodeChunk(ForgeNode node, std::vector<RwUInt8>* bytes) const;

  const ForgeWorldLayout& layout_;
  const ForgeWorldOptions& options_;
  const ForgeSoup& soup_;
  RpMaterialList materials_ = {nullptr, 0, 0};  // the world's, kept for the sectors' bin meshes
};

std::vector<RwUInt8> WorldWriter::StructBody() const {
  RwUInt32 vertices = 0;
  RwUInt32 polygons = 0;
  for (const ForgeSector& sector : layout_.sectors) {
    vertices += static_cast<RwUInt32>(sector.soupVertex.size());
    polygons += static_cast<RwUInt32>(sector.polygons.size());
  }
  const RwV3d negatedOrigin = {-options_.origin.x, -options_.origin.y, -options_.origin.z};
  ForgeBytes body;
  body.U32(layout_.root.atomic ? 1 : 0).Vector(negatedOrigin);
  const bool longStruct = options_.version >= kLongStructVersion;
  if (!longStruct) {
    body.Real(1.0f).Real(1.0f).Real(1.0f);  // surface properties, unused by readers
  }
  body.U32(polygons).U32(vertices);
  body.U32(static_cast<RwUInt32>(layout_.planes.size())).U32(static_cast<RwUInt32>(layout_.sectors.size()));
  body.U32(0).U32(layout_.format);
  if (longStruct) {
    body.Vector(layout_.box.sup).Vector(layout_.box.inf);
  }
  return body.bytes();
}

bool WorldWriter::MaterialList(std::vector<RwUInt8>* bytes) {
  RpMaterialList& list = materials_;
  RpMaterialListInitialize(&list);
  bool made = true;
  for (size_t i = 0; i < soup_.materials.size() && made; ++i) {
    RpMaterial* material = ForgeMaterialCreate(soup_.materials[i]);
    made = material != nullptr;
    if (made) {
      for (const ForgeWorldHook& hook : options_.hooks) {
        if (hook.material) {
          hook.material(static_cast<RwInt32>(i), material);
        }
      }
      made = RpMaterialListAppendMaterial(&list, material) >= 0;
      RpMaterialDestroy(material);  // the list holds its own reference
    }
  }
  return made &&
         ForgeEngineWritten([&list](RwStream* stream) { return RpMaterialListStreamWrite(&list, stream); }, bytes);
}

// The mesh header the engine would build for the sector, as its 0x50E
// sub-chunk; a sector without polygons gets none.
bool WorldWriter::BinMesh(const ForgeSector& sector, ForgeExtension* extension) const {
  if (sector.polygons.empty()) {
    return true;
  }
  RpMeshBuilder* builder = RpMeshBuilderCreate(static_cast<RwUInt32>(sector.polygons.size()));
  if (builder == nullptr) {
    return false;
  }
  for (const RpPolygon& polygon : sector.polygons) {
    const RwInt32 index = sector.materialBase + polygon.matIndex;
    RpMaterial* material = index < materials_.numMaterials ? materials_.materials[index] : nullptr;
    if (RpMeshBuilderAddTriangle(builder, material, polygon.vertIndex[0], polygon.vertIndex[1], polygon.vertIndex[2]) ==
        nullptr) {
      RpMeshBuilderDestroy(builder);
      return false;
    }
  }
  const RwUInt8 flags = (layout_.format & rpWORLDTRISTRIP) != 0 ? kRpMeshHeaderTriStrip : kRpMeshHeaderTriList;
  RpMeshHeader* header = RpMeshBuilderToMeshHeader(builder, flags);
  if (header == nullptr) {
    RpMeshBuilderDestroy(builder);
    return false;
  }
  ForgeSubChunk chunk = {static_cast<RwUInt32>(kRpPluginIdBinMesh), {}};
  const bool written = ForgeEngineWritten(
      [this, header](RwStream* stream) {
        return RpMeshHeaderStreamWrite(header, stream, &materials_, FALSE) != nullptr;
      },
      &chunk.body);
  RpMeshHeaderDestroy(header);
  if (written) {
    extension->push_back(chunk);
  }
  return written;
}

bool WorldWriter::SectorChunk(const ForgeSector& sector, std::vector<RwUInt8>* bytes) const {
  const RwUInt32 format = layout_.format;
  ForgeBytes data;
  data.U32(sector.materialBase)
      .U32(static_cast<RwUInt32>(sector.polygons.size()))
      .U32(static_cast<RwUInt32>(sector.soupVertex.size()))
      .Vector(sector.box.inf)
      .Vector(sector.box.sup)
      .U32(0)
      .U32(0);
  // The arrays follow the struct's fields inside the struct chunk.
  ForgeBytes& arrays = data;
  for (RwUInt32 v : sector.soupVertex) {
    arrays.Vector(soup_.vertices[v].position);
  }
  if ((format & rpWORLDNORMALS) != 0) {
    for (RwUInt32 v : sector.soupVertex) {
      const RwV3d& n = soup_.vertices[v].normal;
      arrays.U8(static_cast<RwUInt8>(PackNormal(n.x)))
          .U8(static_cast<RwUInt8>(PackNormal(n.y)))
          .U8(static_cast<RwUInt8>(PackNormal(n.z)))
          .U8(0);
    }
  }
  if ((format & rpWORLDPRELIT) != 0) {
    for (RwUInt32 v : sector.soupVertex) {
      const RwRGBA& c = soup_.vertices[v].prelight;
      arrays.U8(c.red).U8(c.green).U8(c.blue).U8(c.alpha);
    }
  }
  for (RwInt32 set = 0; set < options_.texCoordSets; ++set) {
    for (RwUInt32 v : sector.soupVertex) {
      arrays.Real(soup_.vertices[v].uv[set].u).Real(soup_.vertices[v].uv[set].v);
    }
  }
  for (const RpPolygon& polygon : sector.polygons) {
    arrays.U16(polygon.matIndex).U16(polygon.vertIndex[0]).U16(polygon.vertIndex[1]).U16(polygon.vertIndex[2]);
  }
  ForgeBytes body;
  body.Chunk(kRwChunkStruct, options_.version, data.bytes());
  ForgeExtension extension;
  if (options_.binMeshes && !BinMesh(sector, &extension)) {
    return false;
  }
  for (const ForgeWorldHook& hook : options_.hooks) {
    if (hook.sector) {
      hook.sector(layout_, sector, &extension);
    }
  }
  body.Chunk(kRwChunkExtension, options_.version, ExtensionBody(extension, options_.version));
  ForgeBytes chunk;
  chunk.Chunk(kRwChunkAtomicSector, options_.version, body.bytes());
  *bytes = chunk.bytes();
  return true;
}

bool WorldWriter::NodeChunk(ForgeNode node, std::vector<RwUInt8>* bytes) const {
  if (node.atomic) {
    return SectorChunk(layout_.sectors[static_cast<size_t>(node.index)], bytes);
  }
  const ForgePlane& plane = layout_.planes[static_cast<size_t>(node.index)];
  ForgeBytes data;
  data.S32(plane.type)
      .Real(plane.value)
      .U32(plane.left.atomic ? 1 : 0)
      .U32(plane.right.atomic ? 1 : 0)
      .Real(plane.leftValue)
      .Real(plane.rightValue);
  std::vector<RwUInt8> left;
  std::vector<RwUInt8> right;
  if (!NodeChunk(plane.left, &left) || !NodeChunk(plane.right, &right)) {
    return false;
  }
  ForgeBytes body;
  body.Chunk(kRwChunkStruct, options_.version, data.bytes()).Bytes(left).Bytes(right);
  ForgeBytes chunk;
  chunk.Chunk(kRwChunkPlaneSector, options_.version, body.bytes());
  *bytes = chunk.bytes();
  return true;
}

bool WorldWriter::Write(std::vector<RwUInt8>* bytes) {
  std::vector<RwUInt8> materials;
  std::vector<RwUInt8> root;
  if (!MaterialList(&materials) || !NodeChunk(layout_.root, &root)) {
    return false;
  }
  ForgeExtension extension;
  for (const ForgeWorldHook& hook : options_.hooks) {
    if (hook.world) {
      hook.world(layout_, &extension);
    }
  }
  ForgeBytes body;
  body.Chunk(kRwChunkStruct, options_.version, StructBody())
      .Bytes(materials)
      .Bytes(root)
      .Chunk(kRwChunkExtension, options_.version, ExtensionBody(extension, options_.version));
  ForgeBytes chunk;
  chunk.Chunk(kRwChunkWorld, options_.version, body.bytes());
  *bytes = chunk.bytes();
  return true;
}

bool Forge(const ForgeSoup& soup, const ForgeWorldOptions& requested, std::vector<RwUInt8>* bytes, std::string* error) {
  ForgeWorldOptions options = requested;
  if (options.collisionTrees) {
    options.hooks.push_back(ForgeCollisionHook());
  }
  ForgeWorldLayout layout;
  if (!ForgeLayoutWorld(soup, options, &layout, error)) {
    return false;
  }
  for (const ForgeWorldHook& hook : options.hooks) {
    if (hook.arrange) {
      hook.arrange(&layout);
    }
  }
  if (!WorldWriter(layout, options).Write(bytes)) {
    if (error != nullptr) {
      *error = "the material list or a bin mesh could not be written";
    }
    return false;
  }
  return true;
}

}  // namespace

std::vector<RwUInt8> ForgeWorldBytes(const ForgeSoup& soup, const ForgeWorldOptions& options, std::string* error) {
  std::vector<RwUInt8> bytes;
  if (!Forge(soup, options, &bytes, error)) {
    bytes.clear();
  }
  return bytes;
}

bool ForgeWriteWorld(RwStream* stream, const ForgeSoup& soup, const ForgeWorldOptions& options, std::string* error) {
  std::vector<RwUInt8> bytes;
  return Forge(soup, options, &bytes, error) &&
         RwStreamWrite(stream, bytes.data(), static_cast<RwUInt32>(bytes.size())) != nullptr;
}

bool ForgeWriteWorldFile(const RwChar* path, const ForgeSoup& soup, const ForgeWorldOptions& options,
                         std::string* error) {
  std::vector<RwUInt8> bytes;
  return Forge(soup, options, &bytes, error) && ForgeWriteBytesFile(path, bytes);
}

RpWorld* ForgeWorldCreate(const ForgeSoup& soup, const ForgeWorldOptions& options) {
  std::vector<RwUInt8> bytes;
  return Forge(soup, options, &bytes, nullptr) ? ForgeReadChunk(bytes, kRwChunkWorld, RpWorldStreamRead) : nullptr;
}
