// The forge's scene text: materials, vertices, triangles, boxes and grids of
// a world's triangle soup, and the options it is forged with, one statement
// a line.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "tools/forge/forge.h"

namespace {

// The words of one line with a cursor, failing with a reason.
class Statement {
 public:
  Statement(const std::string& line, int number) : number_(number) {
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      words_.push_back(word);
    }
  }

  bool Empty() const { return words_.empty(); }
  bool AtEnd() const { return next_ == words_.size(); }
  const std::string& Keyword() const { return words_[0]; }
  void Start() { next_ = 1; }

  bool Word(std::string* out) {
    if (AtEnd()) {
      return Fail("a word is missing");
    }
    *out = words_[next_++];
    return true;
  }
  bool Real(RwReal* out) {
    std::string word;
    if (!Word(&word)) {
      return false;
    }
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(word.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(value)) {
      return Fail("\"" + word + "\" is not a finite number");
    }
    *out = static_cast<RwReal>(value);
    return true;
  }
  // An unsigned integer up to limit, decimal or 0x hexadecimal.
  bool Count(RwUInt32 limit, RwUInt32* out) {
    std::string word;
    if (!Word(&word)) {
      return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(word.c_str(), &end, 0);
    if (word[0] == '-' || *end != '\0' || errno != 0 || value > limit) {
      return Fail("\"" + word + "\" is not a count up to " + std::to_string(limit));
    }
    *out = static_cast<RwUInt32>(value);
    return true;
  }
  bool Byte(RwUInt8* out) {
    RwUInt32 value = 0;
    if (!Count(255, &value)) {
      return false;
    }
    *out = static_cast<RwUInt8>(value);
    return true;
  }
  // True when every word was used.
  bool Finish() { return AtEnd() || Fail("unexpected \"" + words_[next_] + "\""); }
  bool Vector(RwV3d* out) { return Real(&out->x) && Real(&out->y) && Real(&out->z); }
  bool Color(RwRGBA* out) { return Byte(&out->red) && Byte(&out->green) && Byte(&out->blue) && Byte(&out->alpha); }
  bool Fail(const std::string& reason) {
    if (error_.empty()) {
      error_ = "line " + std::to_string(number_) + ": " + reason;
    }
    return false;
  }
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::string> words_;
  size_t next_ = 1;
  int number_;
  std::string error_;
};

constexpr RwUInt32 kMaxIndex = 0x7FFFFFFF;
constexpr RwUInt32 kMaxGridCells = 256;
constexpr RwUInt32 kMaxBlend = kRwBlendSrcAlphaSat;

// One effect attribute of a material statement.
bool ReadMaterialEffect(Statement* s, const std::string& key, ForgeMaterialEffects* effects) {
  if (key == "bumpmap") {
    return s->Word(&effects->bumpSource) && s->Real(&effects->bumpCoefficient);
  }
  if (key == "envmap") {
    return s->Word(&effects->envTexture) && s->Real(&effects->envCoefficient);
  }
  if (key == "dual") {
    return s->Word(&effects->dualTexture) && s->Count(kMaxBlend, &effects->dualSrcBlend) &&
           s->Count(kMaxBlend, &effects->dualDestBlend);
  }
  return s->Fail("unknown material attribute \"" + key + "\"");
}

RwUInt32 EffectsKind(const ForgeMaterialEffects& effects) {
  const bool bump = !effects.bumpSource.empty();
  const bool environment = !effects.envTexture.empty();
  if (bump && environment) {
    return kRpMatFXEffectBumpEnvMap;
  }
  if (bump) {
    return kRpMatFXEffectBumpMap;
  }
  if (environment) {
    return kRpMatFXEffectEnvMap;
  }
  return effects.dualTexture.empty() ? kRpMatFXEffectNull : kRpMatFXEffectDual;
}

bool ReadMaterial(Statement* s, ForgeSoup* soup) {
  ForgeMaterial material;
  if (!s->Color(&material.color)) {
    return false;
  }
  while (!s->AtEnd()) {
    std::string key;
    s->Word(&key);
    if (key == "texture") {
      if (!s->Word(&material.texture)) {
        return false;
      }
    } else if (key == "mask") {
      if (!s->Word(&material.mask)) {
        return false;
      }
    } else if (key == "surface") {
      if (!s->Real(&material.surface.ambient) || !s->Real(&material.surface.specular) ||
          !s->Real(&material.surface.diffuse)) {
        return false;
      }
    } else if (!ReadMaterialEffect(s, key, &material.effects)) {
      return false;
    }
  }
  if (!material.effects.dualTexture.empty() &&
      (!material.effects.bumpSource.empty() || !material.effects.envTexture.empty())) {
    return s->Fail("a dual pass takes no bump map or environment map");
  }
  material.effects.effects = EffectsKind(material.effects);
  soup->materials.push_back(material);
  return true;
}

bool ReadVertex(Statement* s, ForgeSoup* soup) {
  ForgeVertex vertex;
  if (!s->Vector(&vertex.position)) {
    return false;
  }
  RwInt32 sets = 0;
  while (!s->AtEnd()) {
    std::string key;
    s->Word(&key);
    if (key == "normal") {
      if (!s->Vector(&vertex.normal)) {
        return false;
      }
    } else if (key == "prelight") {
      if (!s->Color(&vertex.prelight)) {
        return false;
      }
    } else if (key == "uv") {
      if (sets == kRpGeometryMaxTexCoordSets) {
        return s->Fail("more than 8 coordinate sets");
      }
      if (!s->Real(&vertex.uv[sets].u) || !s->Real(&vertex.uv[sets].v)) {
        return false;
      }
      ++sets;
    } else {
      return s->Fail("unknown vertex attribute \"" + key + "\"");
    }
  }
  soup->vertices.push_back(vertex);
  return true;
}

bool ReadTriangle(Statement* s, ForgeSoup* soup) {
  ForgeTriangle triangle;
  if (!s->Count(kMaxIndex, &triangle.vertex[0]) || !s->Count(kMaxIndex, &triangle.vertex[1]) ||
      !s->Count(kMaxIndex, &triangle.vertex[2]) || !s->Count(kMaxIndex, &triangle.material)) {
    return false;
  }
  soup->triangles.push_back(triangle);
  return true;
}

bool ReadOption(Statement* s, const std::string& keyword, ForgeWorldOptions* options) {
  const struct {
    const char* word;
    RwUInt32 flag;
  } flags[] = {{"normals", rpWORLDNORMALS},
               {"prelit", rpWORLDPRELIT},
               {"tristrip", rpWORLDTRISTRIP},
               {"lit", rpWORLDLIGHT},
               {"modulate", rpWORLDMODULATEMATERIALCOLOR}};
  for (const auto& flag : flags) {
    if (keyword == flag.word) {
      options->flags |= flag.flag;
      return true;
    }
  }
  RwUInt32 count = 0;
  if (keyword == "version") {
    if (!s->Count(kRwLibraryVersion, &options->version)) {
      return false;
    }
    return options->version >= kRwLibraryOldestVersion || s->Fail("versions start at 0x31000");
  }
  if (keyword == "collision") {
    std::string mode;
    if (!s->Word(&mode)) {
      return false;
    }
    if (mode != "on" && mode != "off") {
      return s->Fail("collision is on or off");
    }
    options->collisionTrees = mode == "on";
    return true;
  }
  if (keyword == "planes") {
    std::string mode;
    if (!s->Word(&mode)) {
      return false;
    }
    if (mode != "separate" && mode != "single") {
      return s->Fail("planes are separate or single");
    }
    options->flags = mode == "separate" ? options->flags | rpWORLDSECTORSOVERLAP
                                        : options->flags & ~static_cast<RwUInt32>(rpWORLDSECTORSOVERLAP);
    return true;
  }
  if (keyword == "texcoords" || keyword == "sector" || keyword == "depth") {
    const RwUInt32 limit =
        keyword == "texcoords" ? kRpGeometryMaxTexCoordSets : (keyword == "depth" ? kRpWorldMaxPlaneDepth : kMaxIndex);
    if (!s->Count(limit, &count)) {
      return false;
    }
    RwInt32& field = keyword == "texcoords" ? options->texCoordSets
                                            : (keyword == "depth" ? options->maxDepth : options->maxSectorTriangles);
    field = static_cast<RwInt32>(count);
    return true;
  }
  if (keyword == "origin") {
    return s->Vector(&options->origin);
  }
  return s->Fail("unknown statement \"" + keyword + "\"");
}

bool ReadStatement(Statement* s, ForgeSoup* soup, ForgeWorldOptions* options) {
  const std::string keyword = s->Keyword();
  s->Start();
  bool read = false;
  if (keyword == "material") {
    read = ReadMaterial(s, soup);
  } else if (keyword == "vertex") {
    read = ReadVertex(s, soup);
  } else if (keyword == "triangle") {
    read = ReadTriangle(s, soup);
  } else if (keyword == "box") {
    RwV3d inf;
    RwV3d sup;
    RwUInt32 material = 0;
    read = s->Vector(&inf) && s->Vector(&sup) && s->Count(kMaxIndex, &material);
    if (read) {
      ForgeAddBox(soup, inf, sup, material);
    }
  } else if (keyword == "grid") {
    RwV3d origin;
    RwReal size = 0.0f;
    RwUInt32 cells = 0;
    RwUInt32 material = 0;
    read = s->Vector(&origin) && s->Real(&size) && s->Count(kMaxGridCells, &cells) && s->Count(kMaxIndex, &material);
    if (read) {
      ForgeAddGrid(soup, origin, size, static_cast<RwInt32>(cells), material);
    }
  } else {
    read = ReadOption(s, keyword, options);
  }
  return read && s->Finish();
}

// The triangles one statement added, for the line to blame.
struct TriangleSource {
  int line;
  std::string keyword;
  size_t end;  // one past its last triangle in the soup
};

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Vertices and materials may be named before they are given: every name is
// checked once the whole scene is read, against what it holds then.
bool CheckReferences(const ForgeSoup& soup, const std::vector<TriangleSource>& sources, std::string* error) {
  size_t next = 0;
  for (const TriangleSource& source : sources) {
    for (; next < source.end; next++) {
      const ForgeTriangle& triangle = soup.triangles[next];
      std::string reason;
      for (RwUInt32 vertex : triangle.vertex) {
        if (vertex >= soup.vertices.size() && reason.empty()) {
          reason = "vertex " + std::to_string(vertex) + ", and the scene has " +
                   Counted(soup.vertices.size(), "vertex", "vertices");
        }
      }
      if (reason.empty() && triangle.material >= soup.materials.size()) {
        reason = "material " + std::to_string(triangle.material) + ", and the scene has " +
                 Counted(soup.materials.size(), "material", "materials");
      }
      if (!reason.empty()) {
        *error = "line " + std::to_string(source.line) + ": the " + source.keyword + " names " + reason;
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool ForgeReadScene(const std::string& text, ForgeSoup* soup, ForgeWorldOptions* options, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  std::vector<TriangleSource> sources;
  while (std::getline(lines, line)) {
    ++number;
    const size_t comment = line.find('#');
    if (comment != std::string::npos) {
      line.erase(comment);
    }
    Statement statement(line, number);
    if (statement.Empty()) {
      continue;
    }
    const size_t triangles = soup->triangles.size();
    if (!ReadStatement(&statement, soup, options)) {
      if (error != nullptr) {
        *error = statement.Error();
      }
      return false;
    }
    if (soup->triangles.size() != triangles) {
      sources.push_back({number, statement.Keyword(), soup->triangles.size()});
    }
  }
  std::string referenceError;
  if (!CheckReferences(*soup, sources, &referenceError)) {
    if (error != nullptr) {
      *error = referenceError;
    }
    return false;
  }
  for (const ForgeMaterial& material : soup->materials) {
    if (material.effects.effects != kRpMatFXEffectNull) {
      options->hooks.push_back(ForgeMatFXWorldHook());
      break;
    }
  }
  return true;
}
