// GLSL generation for the fixed-function pipeline (see draw_shader.h).
#include "platform/d3d8/draw_shader.h"

#include <GL/glext.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/d3d8_draw_types.h"
#include "platform/d3d8/fvf.h"

namespace d3d8draw {

bool operator==(const ShaderKey& a, const ShaderKey& b) { return std::memcmp(&a, &b, sizeof(ShaderKey)) == 0; }

size_t ShaderKeyHash::operator()(const ShaderKey& key) const {
  // FNV-1a over the key's bytes.
  const auto* bytes = reinterpret_cast<const uint8_t*>(&key);
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof(ShaderKey); ++i) {
    hash = (hash ^ bytes[i]) * 1099511628211ull;
  }
  return static_cast<size_t>(hash);
}

namespace {

static_assert(sizeof(StageKey) == 17, "stage key has no padding");
static_assert(sizeof(ShaderKey) == 4 + 20 + 8 * 17, "shader key has no padding");

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Append(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int length = vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  if (length > 0) {
    out.append(buffer, static_cast<size_t>(length) < sizeof(buffer) ? static_cast<size_t>(length) : sizeof(buffer) - 1);
  }
}

constexpr char kHeader[] = "#version 330 core\n";

// Vertex-shader expression of a material colour source.
const char* ColorSource(uint8_t source, const char* material) {
  switch (source) {
    case 1:
      return "inDiffuse";
    case 2:
      return "inSpecular";
    default:
      return material;
  }
}

// What a light with direction L (towards it, unit length) adds to the sums;
// light is its index into the arrays, att its attenuation ("" for none,
// else the name followed by " * ").
void EmitLightTerms(std::string& s, const ShaderKey& key, int light, const char* att) {
  Append(s,
         "    float NdotL = dot(N, L);\n"
         "    ambientSum += %suLightAmbient[%d].rgb;\n"
         "    if (NdotL > 0.0) {\n"
         "      diffuseSum += %sNdotL * uLightDiffuse[%d].rgb;\n",
         att, light, att, light);
  if (key.specularEnable) {
    Append(s,
           "      vec3 H = normalize(L + toEye);\n"
           "      float NdotH = max(dot(N, H), 0.0);\n"
           "      float highlight = uMaterial[4].x > 0.0 ? pow(NdotH, uMaterial[4].x) : 1.0;\n"
           "      specularSum += %shighlight * uLightSpecular[%d].rgb;\n",
           att, light);
  }
  Append(s, "    }\n");
}

// The lights one by one (see ShaderKey): the directional ones, then as many
// point or spot lights as the arrays have room for after them. A slot
// without a light holds zeros and adds nothing.
void EmitLights(std::string& s, const ShaderKey& key) {
  for (int i = 0; i < key.directionalLights; ++i) {
    Append(s, "  {\n    vec3 L = -uLightDirection[%d];\n", i);
    EmitLightTerms(s, key, i, "");
    Append(s, "  }\n");
  }
  if (key.localLights == kLocalLightsNone) return;
  for (int i = key.directionalLights; i < kMaxLights; ++i) {
    Append(s,
           "  {\n"
           "    vec3 toLight = uLightPosition[%d] - P;\n"
           "    float dist = length(toLight);\n"
           "    vec3 L = dist > 0.0 ? toLight / dist : vec3(0.0);\n"
           "    vec4 a = uLightAttenuation[%d];\n"
           "    float att = dist <= a.w ? 1.0 / max(a.x + a.y * dist + a.z * dist * dist, 1e-20) : 0.0;\n",
           i, i);
    if (key.localLights == kLocalLightsSpot) {
      // A point light among spot lights is a cone wider than every angle.
      Append(s,
             "    vec4 sp = uLightSpot[%d];\n"
             "    float rho = dot(uLightDirection[%d], -L);\n"
             "    att *= rho > sp.x ? 1.0 : (rho <= sp.y ? 0.0 : pow(max((rho - sp.y) / max(sp.x - sp.y, 1e-20), "
             "0.0), sp.z));\n",
             i, i);
    }
    EmitLightTerms(s, key, i, "att * ");
    Append(s, "  }\n");
  }
}

// Emits the computation of one texture stage's coordinates into outTex<i>.
void EmitTexCoord(std::string& s, const ShaderKey& key, int stage) {
  const StageKey& st = key.stages[stage];
  if (st.texture == kTextureNone) {
    return;
  }
  int size = st.inputSize;
  switch (st.texGen) {
    case 1:
      Append(s, "  vec4 tc%d = vec4(N, 1.0);\n", stage);
      size = 3;
      break;
    case 2:
      Append(s, "  vec4 tc%d = vec4(P, 1.0);\n", stage);
      size = 3;
      break;
    case 3:
      Append(s, "  vec4 tc%d = vec4(reflect(-toEye, N), 1.0);\n", stage);
      size = 3;
      break;
    default:
      if (size == 0) {
        Append(s, "  vec4 tc%d = vec4(0.0, 0.0, 0.0, 1.0);\n", stage);
      } else {
        // A missing component after the last given one reads as 1, the rest
        // as 0, so a 2D coordinate meets the matrix as (u, v, 1, 0).
        static const char* kPadded[5] = {"", "vec4(inTex%d.x, 1.0, 0.0, 0.0)", "vec4(inTex%d.xy, 1.0, 0.0)",
                                         "vec4(inTex%d.xyz, 1.0)", "inTex%d"};
        Append(s, "  vec4 tc%d = ", stage);
        Append(s, kPadded[size], st.texCoordSet);
        Append(s, ";\n");
      }
      break;
  }
  if (st.transformCount != 0) {
    Append(s, "  tc%d = uTextureMatrix[%d] * tc%d;\n", stage, stage, stage);
    size = st.transformCount;
  }
  // The fragment stage divides projected coordinates by their last one.
  if (st.projected && size >= 2) {
    static const char* kLast[5] = {"x", "x", "y", "z", "w"};
    Append(s, "  outTex%d = vec4(tc%d.xyz, tc%d.%s);\n", stage, stage, stage, kLast[size]);
  } else {
    Append(s, "  outTex%d = vec4(tc%d.xyz, 1.0);\n", stage, stage);
  }
}

void EmitFogFactor(std::string& s, const ShaderKey& key, const char* depth, const char* out) {
  switch (key.fogFormula) {
    case D3DFOG_LINEAR:
      // Equal start and end make a sharp edge instead of a division by zero.
      Append(s,
             "  %s = uFog.y != uFog.x ? clamp((uFog.y - %s) / (uFog.y - uFog.x), 0.0, 1.0) : (%s < uFog.y ? 1.0 : "
             "0.0);\n",
             out, depth, depth);
      break;
    case D3DFOG_EXP:
      Append(s, "  %s = clamp(exp(-uFog.z * %s), 0.0, 1.0);\n", out, depth);
      break;
    case D3DFOG_EXP2:
      Append(s, "  %s = clamp(exp(-(uFog.z * %s) * (uFog.z * %s)), 0.0, 1.0);\n", out, depth, depth);
      break;
    default:
      Append(s, "  %s = 1.0;\n", out);
      break;
  }
}

}  // namespace

std::string GenerateVertexShader(const ShaderKey& key) {
  const FvfLayout layout = DecodeFvf(key.fvf);
  std::string s = kHeader;
  // Passes of one mesh with different programs must land on the same depth
  // (multi-pass effects draw again with an equal-depth test).
  Append(s, "invariant gl_Position;\n");
  const char* interp = key.flatShade ? "flat " : "";
  Append(s, "layout(location = 0) in vec4 inPosition;\n");
  if (layout.normalOffset >= 0) Append(s, "layout(location = 1) in vec3 inNormal;\n");
  if (layout.diffuseOffset >= 0) Append(s, "layout(location = 2) in vec4 inDiffuse;\n");
  if (layout.specularOffset >= 0) Append(s, "layout(location = 3) in vec4 inSpecular;\n");
  if (layout.pointSizeOffset >= 0) Append(s, "layout(location = 4) in float inPointSize;\n");
  for (int i = 0; i < layout.texCoordCount; ++i) {
    Append(s, "layout(location = %d) in vec4 inTex%d;\n", static_cast<int>(kAttribTexCoord0) + i, i);
  }
  // What changes from draw to draw comes in two arrays, each sent whole at
  // once: the world-view-projection matrix's columns, the normal matrix's and
  // the world-view matrix's; the material's diffuse, ambient, emissive and
  // specular colours and its power. Software GL copies every value a stage
  // reads at every draw that changed one, so what most programs leave unread
  // comes last (an array ends at its last entry read).
  Append(s,
         "uniform vec4 uTransforms[%d];\n"
         "uniform vec4 uMaterial[%d];\n"
         "uniform vec4 uViewport;\n"  // x, y, 1 / width, 1 / height of the D3D viewport
         "uniform float uPointSize;\n"
         "uniform vec4 uAmbient;\n"
         "uniform vec4 uFog;\n",
         kTransformVectors, kMaterialVectors);
  if (key.lighting) {
    // In view space, the directions unit long and the way the light shines;
    // the attenuation's constant, linear and quadratic terms and the range;
    // a cone's cosines of its inner and outer half angles and its falloff.
    Append(s,
           "uniform vec4 uLightDiffuse[%d], uLightSpecular[%d], uLightAmbient[%d];\n"
           "uniform vec3 uLightDirection[%d], uLightPosition[%d];\n"
           "uniform vec4 uLightAttenuation[%d], uLightSpot[%d];\n",
           kMaxLights, kMaxLights, kMaxLights, kMaxLights, kMaxLights, kMaxLights, kMaxLights);
  }
  Append(s, "uniform mat4 uTextureMatrix[%d];\n", kMaxStages);
  Append(s, "%sout vec4 outDiffuse;\n%sout vec4 outSpecular;\nout float outFog;\n", interp, interp);
  for (int i = 0; i < key.stageCount; ++i) {
    if (key.stages[i].texture != kTextureNone) Append(s, "out vec4 outTex%d;\n", i);
  }
  Append(s, "void main() {\n");
  if (layout.transformed) {
    // Screen coordinates with Direct3D pixel centres on integers; the half
    // pixel moves them onto OpenGL's centres. w is 1 / rhw so attributes are
    // interpolated in perspective.
    Append(s,
           "  float w = inPosition.w != 0.0 ? 1.0 / inPosition.w : 1.0;\n"
           "  vec2 ndc = vec2((inPosition.x + 0.5 - uViewport.x) * uViewport.z * 2.0 - 1.0,\n"
           "                  1.0 - (inPosition.y + 0.5 - uViewport.y) * uViewport.w * 2.0);\n"
           "  gl_Position = vec4(ndc, inPosition.z * 2.0 - 1.0, 1.0) * w;\n"
           "  vec3 P = vec3(inPosition.xy, w);\n"
           "  vec3 N = vec3(0.0, 0.0, 0.0);\n"
           "  vec3 toEye = vec3(0.0, 0.0, -1.0);\n");
  } else {
    Append(s,
           "  mat4 worldViewProjection = mat4(uTransforms[0], uTransforms[1], uTransforms[2], uTransforms[3]);\n"
           "  mat4 worldView = mat4(uTransforms[7], uTransforms[8], uTransforms[9], uTransforms[10]);\n"
           "  vec4 clip = worldViewProjection * vec4(inPosition.xyz, 1.0);\n"
           "  clip.xy += vec2(uViewport.z, -uViewport.w) * clip.w;\n"
           "  clip.z = clip.z * 2.0 - clip.w;\n"
           "  gl_Position = clip;\n"
           "  vec3 P = (worldView * vec4(inPosition.xyz, 1.0)).xyz;\n");
    if (layout.normalOffset >= 0) {
      Append(s, "  vec3 N = mat3(uTransforms[4].xyz, uTransforms[5].xyz, uTransforms[6].xyz) * inNormal;\n");
      if (key.normalizeNormals) Append(s, "  N = length(N) > 0.0 ? normalize(N) : N;\n");
    } else {
      Append(s, "  vec3 N = vec3(0.0, 0.0, 0.0);\n");
    }
    if (key.localViewer) {
      Append(s, "  vec3 toEye = length(P) > 0.0 ? -normalize(P) : vec3(0.0, 0.0, -1.0);\n");
    } else {
      Append(s, "  vec3 toEye = vec3(0.0, 0.0, -1.0);\n");
    }
  }
  if (key.lighting) {
    Append(s,
           "  vec3 ambientSum = uAmbient.rgb;\n"
           "  vec3 diffuseSum = vec3(0.0);\n"
           "  vec3 specularSum = vec3(0.0);\n");
    EmitLights(s, key);
    const char* diffuse = ColorSource(key.diffuseSource, "uMaterial[0]");
    const char* ambient = ColorSource(key.ambientSource, "uMaterial[1]");
    const char* specular = ColorSource(key.specularSource, "uMaterial[3]");
    const char* emissive = ColorSource(key.emissiveSource, "uMaterial[2]");
    Append(s,
           "  outDiffuse = vec4(clamp(%s.rgb + %s.rgb * ambientSum + %s.rgb * diffuseSum, 0.0, 1.0), "
           "clamp(%s.a, 0.0, 1.0));\n",
           emissive, ambient, diffuse, diffuse);
    Append(s, "  outSpecular = vec4(clamp(%s.rgb * specularSum, 0.0, 1.0), clamp(%s.a, 0.0, 1.0));\n", specular,
           specular);
  } else {
    Append(s, "  outDiffuse = %s;\n", layout.diffuseOffset >= 0 ? "inDiffuse" : "vec4(1.0)");
    Append(s, "  outSpecular = %s;\n", layout.specularOffset >= 0 ? "inSpecular" : "vec4(0.0)");
  }
  if (key.fogSource == kFogVertex) {
    EmitFogFactor(s, key, key.rangeFog ? "length(P)" : "abs(P.z)", "outFog");
  } else if (key.fogSource == kFogTable) {
    // The w of the projected vertex (the eye distance for a perspective
    // projection), interpolated; the fragment stage applies the formula.
    Append(s, "  outFog = %s;\n", layout.transformed ? "w" : "clip.w");
  } else if (key.fogSource == kFogSpecularAlpha) {
    Append(s, "  outFog = outSpecular.a;\n");
  } else {
    Append(s, "  outFog = 1.0;\n");
  }
  // Targets keep the top row first: Direct3D's downward y is OpenGL's row
  // order, so clip-space y turns over.
  Append(s, "  gl_Position.y = -gl_Position.y;\n");
  Append(s, "  gl_PointSize = %s;\n", layout.pointSizeOffset >= 0 ? "inPointSize" : "uPointSize");
  for (int i = 0; i < key.stageCount; ++i) {
    EmitTexCoord(s, key, i);
  }
  Append(s, "}\n");
  return s;
}

namespace {

// Fragment-shader expression of a stage argument, as a vec4.
std::string Argument(uint8_t arg, int stage) {
  std::string base;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
      base = "diffuse";
      break;
    case D3DTA_CURRENT:
      base = "current";
      break;
    case D3DTA_TEXTURE:
      base = "tex" + std::to_string(stage);
      break;
    case D3DTA_TFACTOR:
      base = "uTextureFactor";
      break;
    case D3DTA_SPECULAR:
      base = "specular";
      break;
    case D3DTA_TEMP:
      base = "temp";
      break;
    default:
      base = "current";
      break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) base = base + ".aaaa";
  if (arg & D3DTA_COMPLEMENT) base = "(1.0 - " + base + ")";
  return base;
}

// The expression of one operation on the swizzle (".rgb" or ".a").
std::string Operation(uint8_t op, const std::string& a0, const std::string& a1, const std::string& a2,
                      const std::string& sw, int stage) {
  const std::string x0 = a0 + sw;
  const std::string x1 = a1 + sw;
  const std::string x2 = a2 + sw;
  const std::string tex = "tex" + std::to_string(stage);
  switch (op) {
    case D3DTOP_SELECTARG1:
      return x1;
    case D3DTOP_SELECTARG2:
      return x2;
    case D3DTOP_MODULATE:
      return x1 + " * " + x2;
    case D3DTOP_MODULATE2X:
      return "2.0 * " + x1 + " * " + x2;
    case D3DTOP_MODULATE4X:
      return "4.0 * " + x1 + " * " + x2;
    case D3DTOP_ADD:
      return x1 + " + " + x2;
    case D3DTOP_ADDSIGNED:
      return x1 + " + " + x2 + " - 0.5";
    case D3DTOP_ADDSIGNED2X:
      return "2.0 * (" + x1 + " + " + x2 + " - 0.5)";
    case D3DTOP_SUBTRACT:
      return x1 + " - " + x2;
    case D3DTOP_ADDSMOOTH:
      return x1 + " + " + x2 + " - " + x1 + " * " + x2;
    case D3DTOP_BLENDDIFFUSEALPHA:
      return "mix(" + x2 + ", " + x1 + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA:
      return "mix(" + x2 + ", " + x1 + ", " + tex + ".a)";
    case D3DTOP_BLENDFACTORALPHA:
      return "mix(" + x2 + ", " + x1 + ", uTextureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM:
      return x1 + " + " + x2 + " * (1.0 - " + tex + ".a)";
    case D3DTOP_BLENDCURRENTALPHA:
      return "mix(" + x2 + ", " + x1 + ", current.a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
      return sw == ".a" ? x1 : x1 + " + " + a1 + ".a * " + x2;
    case D3DTOP_MODULATECOLOR_ADDALPHA:
      return sw == ".a" ? x1 : x1 + " * " + x2 + " + " + a1 + ".a";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
      return sw == ".a" ? x1 : x1 + " + (1.0 - " + a1 + ".a) * " + x2;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
      return sw == ".a" ? x1 : "(1.0 - " + x1 + ") * " + x2 + " + " + a1 + ".a";
    case D3DTOP_DOTPRODUCT3: {
      const std::string dot = "dot(" + a1 + ".rgb * 2.0 - 1.0, " + a2 + ".rgb * 2.0 - 1.0)";
      return sw == ".a" ? dot : "vec3(" + dot + ")";
    }
    case D3DTOP_MULTIPLYADD:
      return x0 + " + " + x1 + " * " + x2;
    case D3DTOP_LERP:
      return "mix(" + x2 + ", " + x1 + ", " + x0 + ")";
    default:
      // Bump mapping and pre-modulation have no counterpart here: pass the
      // first argument on.
      return x1;
  }
}

bool UsesTexture(uint8_t op, const uint8_t* args) {
  if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
  for (int i = 0; i < 3; ++i) {
    if ((args[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE) return true;
  }
  return false;
}

const char* CompareOperator(uint8_t func) {
  switch (func) {
    case D3DCMP_NEVER:
      return nullptr;
    case D3DCMP_LESS:
      return "<";
    case D3DCMP_EQUAL:
      return "==";
    case D3DCMP_LESSEQUAL:
      return "<=";
    case D3DCMP_GREATER:
      return ">";
    case D3DCMP_NOTEQUAL:
      return "!=";
    case D3DCMP_GREATEREQUAL:
      return ">=";
    default:
      return "";
  }
}

}  // namespace

std::string GenerateFragmentShader(const ShaderKey& key) {
  std::string s = kHeader;
  const char* interp = key.flatShade ? "flat " : "";
  Append(s, "%sin vec4 outDiffuse;\n%sin vec4 outSpecular;\nin float outFog;\n", interp, interp);
  Append(s,
         "uniform vec4 uTextureFactor;\n"
         "uniform vec4 uFog;\n"
         "uniform vec3 uFogColor;\n"
         "uniform float uAlphaRef;\n"
         "out vec4 fragColor;\n");
  for (int i = 0; i < key.stageCount; ++i) {
    const StageKey& st = key.stages[i];
    if (st.texture == kTexture2D) Append(s, "uniform sampler2D uTexture%d;\nin vec4 outTex%d;\n", i, i);
    if (st.texture == kTextureCube) Append(s, "uniform samplerCube uTexture%d;\nin vec4 outTex%d;\n", i, i);
  }
  Append(s,
         "void main() {\n"
         "  vec4 diffuse = outDiffuse;\n"
         "  vec4 specular = outSpecular;\n"
         "  vec4 current = diffuse;\n"
         "  vec4 temp = vec4(0.0);\n");
  for (int i = 0; i < key.stageCount; ++i) {
    const StageKey& st = key.stages[i];
    const bool colorTexture = UsesTexture(st.colorOp, st.colorArg);
    const bool alphaTexture = st.alphaOp != D3DTOP_DISABLE && UsesTexture(st.alphaOp, st.alphaArg);
    if (colorTexture || alphaTexture) {
      if (st.texture == kTexture2D) {
        if (st.projected) {
          Append(s, "  vec4 tex%d = texture(uTexture%d, outTex%d.xy / outTex%d.w);\n", i, i, i, i);
        } else {
          Append(s, "  vec4 tex%d = texture(uTexture%d, outTex%d.xy);\n", i, i, i);
        }
      } else if (st.texture == kTextureCube) {
        Append(s, "  vec4 tex%d = texture(uTexture%d, outTex%d.xyz);\n", i, i, i);
      } else {
        // A stage without a texture reads opaque white.
        Append(s, "  vec4 tex%d = vec4(1.0);\n", i);
      }
    }
    const std::string c0 = Argument(st.colorArg[0], i);
    const std::string c1 = Argument(st.colorArg[1], i);
    const std::string c2 = Argument(st.colorArg[2], i);
    const char* target = st.resultTemp ? "temp" : "current";
    Append(s, "  {\n    vec3 rgb = clamp(%s, 0.0, 1.0);\n", Operation(st.colorOp, c0, c1, c2, ".rgb", i).c_str());
    if (st.colorOp == D3DTOP_DOTPRODUCT3) {
      // The dot product goes to all four channels, alpha included.
      Append(s, "    float alpha = rgb.r;\n");
    } else if (st.alphaOp == D3DTOP_DISABLE) {
      Append(s, "    float alpha = current.a;\n");
    } else {
      const std::string a0 = Argument(st.alphaArg[0], i);
      const std::string a1 = Argument(st.alphaArg[1], i);
      const std::string a2 = Argument(st.alphaArg[2], i);
      Append(s, "    float alpha = clamp(%s, 0.0, 1.0);\n", Operation(st.alphaOp, a0, a1, a2, ".a", i).c_str());
    }
    Append(s, "    %s = vec4(rgb, alpha);\n  }\n", target);
  }
  if (key.specularEnable) {
    Append(s, "  current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n");
  }
  if (key.fogSource == kFogTable) {
    Append(s, "  float fogFactor;\n");
    EmitFogFactor(s, key, key.fogUseZ ? "gl_FragCoord.z" : "outFog", "fogFactor");
    Append(s, "  current.rgb = mix(uFogColor, current.rgb, fogFactor);\n");
  } else if (key.fogSource != kFogOff) {
    Append(s, "  current.rgb = mix(uFogColor, current.rgb, clamp(outFog, 0.0, 1.0));\n");
  }
  if (key.alphaFunc != 0 && key.alphaFunc != D3DCMP_ALWAYS) {
    const char* op = CompareOperator(key.alphaFunc);
    if (op == nullptr) {
      Append(s, "  discard;\n");
    } else if (op[0] != '\0') {
      // The test compares 8-bit alpha with the 8-bit reference.
      Append(s, "  if (!(floor(current.a * 255.0 + 0.5) %s uAlphaRef)) discard;\n", op);
    }
  }
  Append(s, "  fragColor = current;\n}\n");
  return s;
}

namespace {

GLuint CompileShader(GLenum type, const std::string& source, std::string& error) {
  const GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
    error = std::string(type == GL_VERTEX_SHADER ? "vertex: " : "fragment: ") + log + "\n" + source;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

Program* ProgramCache::Find(const ShaderKey& key) const {
  auto found = programs_.find(key);
  return found != programs_.end() ? found->second.get() : nullptr;
}

Program* ProgramCache::Get(const ShaderKey& key) {
  auto found = programs_.find(key);
  if (found != programs_.end()) {
    return found->second.get();
  }
  ++compiled_;
  const GLuint vs = CompileShader(GL_VERTEX_SHADER, GenerateVertexShader(key), lastError_);
  if (vs == 0) {
    std::fprintf(stderr, "d3d8: fixed-function program failed to compile: %s\n", lastError_.c_str());
    return nullptr;
  }
  const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, GenerateFragmentShader(key), lastError_);
  if (fs == 0) {
    std::fprintf(stderr, "d3d8: fixed-function program failed to compile: %s\n", lastError_.c_str());
    glDeleteShader(vs);
    return nullptr;
  }
  const GLuint name = glCreateProgram();
  glAttachShader(name, vs);
  glAttachShader(name, fs);
  glLinkProgram(name);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(name, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetProgramInfoLog(name, sizeof(log), nullptr, log);
    lastError_ = std::string("link: ") + log;
    std::fprintf(stderr, "d3d8: fixed-function program failed to link: %s\n", log);
    glDeleteProgram(name);
    return nullptr;
  }
  auto program = std::make_unique<Program>();
  program->name = name;
  ProgramUniforms& u = program->uniforms;
  u.transforms = glGetUniformLocation(name, "uTransforms");
  u.viewport = glGetUniformLocation(name, "uViewport");
  u.pointSize = glGetUniformLocation(name, "uPointSize");
  u.material = glGetUniformLocation(name, "uMaterial");
  u.ambient = glGetUniformLocation(name, "uAmbient");
  u.lightDiffuse = glGetUniformLocation(name, "uLightDiffuse");
  u.lightSpecular = glGetUniformLocation(name, "uLightSpecular");
  u.lightAmbient = glGetUniformLocation(name, "uLightAmbient");
  u.lightPosition = glGetUniformLocation(name, "uLightPosition");
  u.lightDirection = glGetUniformLocation(name, "uLightDirection");
  u.lightAttenuation = glGetUniformLocation(name, "uLightAttenuation");
  u.lightSpot = glGetUniformLocation(name, "uLightSpot");
  u.fog = glGetUniformLocation(name, "uFog");
  u.fogColor = glGetUniformLocation(name, "uFogColor");
  u.textureFactor = glGetUniformLocation(name, "uTextureFactor");
  u.alphaRef = glGetUniformLocation(name, "uAlphaRef");
  for (int i = 0; i < kMaxStages; ++i) {
    const std::string matrix = "uTextureMatrix[" + std::to_string(i) + "]";
    u.textureMatrix[i] = glGetUniformLocation(name, matrix.c_str());
  }
  // Samplers are bound to the unit of their stage once.
  GLint previous = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
  glUseProgram(name);
  for (int i = 0; i < kMaxStages; ++i) {
    const std::string sampler = "uTexture" + std::to_string(i);
    const GLint location = glGetUniformLocation(name, sampler.c_str());
    if (location >= 0) glUniform1i(location, i);
  }
  glUseProgram(static_cast<GLuint>(previous));
  Program* result = program.get();
  programs_.emplace(key, std::move(program));
  return result;
}

void ProgramCache::Clear() {
  for (auto& entry : programs_) {
    glDeleteProgram(entry.second->name);
  }
  programs_.clear();
}

}  // namespace d3d8draw
