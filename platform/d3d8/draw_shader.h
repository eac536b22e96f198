// The fixed-function pipeline as generated GLSL: a compact key that names
// everything the picture depends on apart from uniform values, the vertex
// and fragment sources built from it, and the linked programs with their
// uniform locations, cached by key.
#pragma once

// The Windows types come first: they define APIENTRY for OpenGL's header.
#include "platform/win/win_types.h"

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace d3d8draw {

constexpr int kMaxStages = 8;
constexpr int kMaxLights = 8;

// The vec4 entries of the vertex stage's transform array (the
// world-view-projection matrix, the normal matrix's columns, the world-view
// matrix) and material array (diffuse, ambient, emissive, specular, power).
constexpr int kTransformVectors = 11;
constexpr int kMaterialVectors = 5;

// Attribute locations shared by every generated program and every vertex
// array object.
constexpr GLuint kAttribPosition = 0;
constexpr GLuint kAttribNormal = 1;
constexpr GLuint kAttribDiffuse = 2;
constexpr GLuint kAttribSpecular = 3;
constexpr GLuint kAttribPointSize = 4;
constexpr GLuint kAttribTexCoord0 = 5;  // sets 0..7 at 5..12

// Texture kinds a stage can sample.
enum : uint8_t { kTextureNone = 0, kTexture2D = 1, kTextureCube = 2 };

// The lights a lit program handles beside its directional ones: none, point
// lights, or point and spot lights.
enum : uint8_t { kLocalLightsNone = 0, kLocalLightsPoint = 1, kLocalLightsSpot = 2 };
constexpr int kLocalLightKinds = 3;

// Where the fog factor comes from.
enum : uint8_t { kFogOff = 0, kFogVertex = 1, kFogTable = 2, kFogSpecularAlpha = 3 };

struct StageKey {
  uint8_t colorOp;
  uint8_t alphaOp;
  uint8_t colorArg[3];  // ARG0, ARG1, ARG2
  uint8_t alphaArg[3];
  uint8_t resultTemp;  // result goes to the temporary register
  uint8_t texture;     // kTextureNone, kTexture2D, kTextureCube
  uint8_t texCoordSet;
  uint8_t texGen;          // high word of TEXCOORDINDEX: 0 pass-through, 1 normal, 2 position, 3 reflection
  uint8_t inputSize;       // floats of the source coordinates (0: the set does not exist)
  uint8_t transformCount;  // 0: no texture transform, else 1..4 output coordinates
  uint8_t projected;
  uint8_t pad[2];
};

// Every byte is set (the key is zeroed before filling), so keys compare and
// hash as plain memory.
//
// The lights: software GL runs every instruction of a vertex program for
// every vertex (a loop's body at least once, even for no turn) and reads an
// array through a loop's counter one vertex at a time, slowly, and takes long
// to make machine code of such a loop. So every light is written out with
// its own arithmetic and no loop: the directional lights (as many for every
// draw of a kind, the world's global lights) one by one, and, in a program
// for point or spot lights, every slot after them, a slot without a light
// adding nothing. The programs of the three kinds of local lights of one key
// are built together (see Renderer::BuildLightSiblings), so that a man
// walking from light to light finds his program built.
struct ShaderKey {
  uint32_t fvf;
  uint8_t lighting;
  uint8_t directionalLights;  // the first entries of the light arrays
  uint8_t localLights;        // kLocalLights...: what the entries after them hold
  uint8_t diffuseSource;      // 0 material, 1 vertex diffuse, 2 vertex specular
  uint8_t ambientSource;
  uint8_t specularSource;
  uint8_t emissiveSource;
  uint8_t normalizeNormals;
  uint8_t localViewer;
  uint8_t specularEnable;
  uint8_t fogSource;   // kFog...
  uint8_t fogFormula;  // D3DFOG_EXP, EXP2, LINEAR
  uint8_t fogUseZ;     // table fog from the depth value instead of the eye distance
  uint8_t rangeFog;
  uint8_t alphaFunc;  // 0: no alpha test, else D3DCMPFUNC
  uint8_t flatShade;
  uint8_t stageCount;
  uint8_t pad[3];
  StageKey stages[kMaxStages];
};

bool operator==(const ShaderKey& a, const ShaderKey& b);

struct ShaderKeyHash {
  size_t operator()(const ShaderKey& key) const;
};

// GLSL sources of the two stages of a key.
std::string GenerateVertexShader(const ShaderKey& key);
std::string GenerateFragmentShader(const ShaderKey& key);

// Uniform locations of one linked program (-1 where the program has none).
struct ProgramUniforms {
  GLint transforms, viewport, pointSize;
  GLint material, ambient;
  GLint lightDiffuse, lightSpecular, lightAmbient, lightDirection, lightPosition, lightAttenuation, lightSpot;
  GLint fog, fogColor, textureFactor, alphaRef;
  GLint textureMatrix[kMaxStages];
};

struct Program {
  GLuint name = 0;
  ProgramUniforms uniforms = {};
  // Serial numbers of the uniform groups last uploaded to this program.
  uint32_t transformSerial = 0;
  uint32_t lightingSerial = 0;
  uint32_t materialSerial = 0;
  uint32_t fixedSerial = 0;
  uint32_t viewportSerial = 0;
  uint32_t textureMatrixSerial = 0;
};

// Builds and keeps one program per key. Needs a current GL context for
// Get and Clear.
class ProgramCache {
 public:
  ProgramCache() = default;
  ~ProgramCache() = default;
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  // The program of a key, compiled on first use; null when it fails to
  // compile or link (the log is kept in LastError).
  Program* Get(const ShaderKey& key);
  // The program of a key when it is built already, else null.
  Program* Find(const ShaderKey& key) const;
  // Deletes every program.
  void Clear();
  size_t Size() const { return programs_.size(); }
  // Programs compiled since the cache was made, those cleared since counted.
  size_t CompiledCount() const { return compiled_; }
  const std::string& LastError() const { return lastError_; }

 private:
  std::unordered_map<ShaderKey, std::unique_ptr<Program>, ShaderKeyHash> programs_;
  std::string lastError_;
  size_t compiled_ = 0;
};

}  // namespace d3d8draw
