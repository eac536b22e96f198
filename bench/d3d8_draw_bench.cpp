// Draws per second through the Direct3D 8 stand-in for a typical lit,
// textured mesh: 500 triangles facing the camera, one directional light, one
// texture, a new world matrix per draw (as every atomic gets), on a headless
// device; and what a draw costs the processor apart from its pixels. The lit
// mesh and the small draws are each drawn again, interleaved, straight
// through OpenGL in a context of its own on the same window, with a program
// written for them by hand: "ratio_to_raw_gl" is the stand-in's time a draw
// over that twin's, which other programs on the machine disturb far less than
// either time alone.
#include <SDL.h>
#include <benchmark/benchmark.h>

// The Windows types come first: they define APIENTRY for OpenGL's header.
#include "platform/d3d8/d3d8.h"

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <malloc.h>

#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_ratio.h"
#include "platform/win/window_internal.h"

namespace {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;
constexpr int kColumns = 25;
constexpr int kRows = 10;  // 25 x 10 quads: 500 triangles
constexpr UINT kMeshTriangles = kColumns * kRows * 2;
constexpr int kDrawsPerBatch = 100;
// The small draws: two triangles each, as many as a busy frame's props,
// particles and pieces of men make.
constexpr int kSmallDrawsPerBatch = 2000;
constexpr UINT kSmallTriangles = 2;
constexpr int kTextureCount = 4;

struct MeshVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// The light of every scene: directional, white, in view space (the view is
// the identity).
constexpr float kLightDirection[3] = {0.3f, -0.5f, 0.8f};
constexpr float kMaterialAmbient = 0.2f;

D3DMATRIX Identity() {
  D3DMATRIX m;
  std::memset(&m, 0, sizeof(m));
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

// Where the n-th draw stands: ten columns and eight rows of meshes 12 units
// ahead, and its material's diffuse grey.
D3DMATRIX WorldOf(int n) {
  D3DMATRIX world = Identity();
  world._41 = float(n % 10) * 2.0f - 9.0f;
  world._42 = float((n / 10) % 8) * 1.5f - 5.0f;
  world._43 = 12.0f;
  return world;
}
float DiffuseOf(int n) { return 0.5f + 0.05f * float(n % 10); }

// Half a cylinder bulging towards the camera: x grows with the column, so
// every triangle winds counter-clockwise on screen and none is culled.
void BuildMesh(std::vector<MeshVertex>* vertices, std::vector<uint16_t>* indices) {
  for (int row = 0; row <= kRows; ++row) {
    for (int column = 0; column <= kColumns; ++column) {
      const float u = float(column) / kColumns;
      const float v = float(row) / kRows;
      const float angle = u * 3.14159f;
      vertices->push_back(
          {-std::cos(angle), v - 0.5f, -std::sin(angle), -std::cos(angle), 0.0f, -std::sin(angle), u, v});
    }
  }
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const uint16_t a = uint16_t(row * (kColumns + 1) + column);
      const uint16_t b = uint16_t(a + 1);
      const uint16_t c = uint16_t(a + kColumns + 1);
      const uint16_t d = uint16_t(c + 1);
      for (uint16_t index : {a, b, c, c, b, d}) indices->push_back(index);
    }
  }
}

// A 64 x 64 checker; each texture of the scene its own colours.
uint32_t TexelOf(int texture, int x, int y) {
  const uint32_t light = 0xFFE0C080 ^ (uint32_t(texture) * 0x00102030);
  return ((x ^ y) & 8) ? light : 0xFF403020;
}

// Software GL frees and takes again megabytes of memory for every frame it
// bins; given back to the system, they come back as page faults, which the
// thread's time counts, in the draws of one side or the other at random.
// Kept, both sides draw on memory already mapped.
void KeepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 512 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The stand-in's device on a hidden window.
class Scene {
 public:
  bool Open() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    window_.sdlWindow =
        SDL_CreateWindow("bench", 0, 0, int(kWidth), int(kHeight), SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_.sdlWindow == nullptr) return false;
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    if (d3d_ == nullptr) return false;
    D3DPRESENT_PARAMETERS params = {};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_COPY;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferWidth = kWidth;
    params.BackBufferHeight = kHeight;
    params.BackBufferCount = 1;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    params.hDeviceWindow = &window_;
    if (d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device_) !=
        D3D_OK) {
      return false;
    }
    return UploadMesh() && BuildTextures() &&
           device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_) == D3D_OK;
  }

  void Close() {
    if (backBuffer_ != nullptr) backBuffer_->Release();
    for (IDirect3DTexture8* texture : textures_) {
      if (texture != nullptr) texture->Release();
    }
    if (indices_ != nullptr) indices_->Release();
    if (vertices_ != nullptr) vertices_->Release();
    if (device_ != nullptr) device_->Release();
    if (d3d_ != nullptr) d3d_->Release();
    if (window_.sdlWindow != nullptr) SDL_DestroyWindow(window_.sdlWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  // The states the engine's atomic pipeline leaves for a lit, textured mesh.
  void SetUpStates() {
    const D3DMATRIX identity = Identity();
    D3DMATRIX projection;
    std::memset(&projection, 0, sizeof(projection));
    projection._11 = 1.0f / (float(kWidth) / float(kHeight));
    projection._22 = 1.0f;
    projection._33 = 100.0f / 99.0f;
    projection._34 = 1.0f;
    projection._43 = -100.0f / 99.0f;
    device_->SetTransform(D3DTS_VIEW, &identity);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof(light));
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Direction = {kLightDirection[0], kLightDirection[1], kLightDirection[2]};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device_->SetTexture(0, textures_[0]);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetVertexShader(kMeshFvf);
    device_->SetStreamSource(0, vertices_, sizeof(MeshVertex));
    device_->SetIndices(indices_, 0);
  }

  void Clear() { device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0); }

  // One atomic: its own world matrix and material (and texture, for a
  // texture other than -1), then the draw.
  void DrawMesh(int n, bool blended, UINT triangles, int texture = -1) {
    const D3DMATRIX world = WorldOf(n);
    device_->SetTransform(D3DTS_WORLD, &world);
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof(material));
    const float d = DiffuseOf(n);
    material.Diffuse = {d, d, d, 1.0f};
    material.Ambient = {kMaterialAmbient, kMaterialAmbient, kMaterialAmbient, 1.0f};
    device_->SetMaterial(&material);
    if (texture >= 0) device_->SetTexture(0, textures_[texture]);
    if (blended) {
      // The engine switches vertex alpha per mesh: blending and alpha test.
      const DWORD on = (n & 1) != 0;
      device_->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
      device_->SetRenderState(D3DRS_ALPHATESTENABLE, on);
      device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount_, 0, triangles);
  }

  // Waits for the frame's drawing by reading a pixel back.
  void Finish() {
    D3DLOCKED_RECT locked;
    RECT r = {0, 0, 1, 1};
    if (backBuffer_->LockRect(&locked, &r, D3DLOCK_READONLY) == D3D_OK) backBuffer_->UnlockRect();
  }

  // Pixels of the back buffer that a drawing left other than black: proof
  // that the meshes measured are seen, not culled.
  int CoveredPixels() {
    D3DLOCKED_RECT locked;
    int covered = 0;
    if (backBuffer_->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0;
    for (UINT y = 0; y < kHeight; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < kWidth; ++x) covered += (row[x] & 0xFFFFFF) != 0 ? 1 : 0;
    }
    backBuffer_->UnlockRect();
    return covered;
  }

  IDirect3DDevice8* device() { return device_; }
  SDL_Window* window() { return window_.sdlWindow; }

 private:
  bool UploadMesh() {
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;
    BuildMesh(&vertices, &indices);
    vertexCount_ = UINT(vertices.size());
    const UINT vertexBytes = UINT(vertices.size() * sizeof(MeshVertex));
    const UINT indexBytes = UINT(indices.size() * sizeof(uint16_t));
    BYTE* memory = nullptr;
    if (device_->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kMeshFvf, D3DPOOL_MANAGED, &vertices_) != D3D_OK ||
        vertices_->Lock(0, 0, &memory, 0) != D3D_OK) {
      return false;
    }
    std::memcpy(memory, vertices.data(), vertexBytes);
    vertices_->Unlock();
    if (device_->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices_) !=
            D3D_OK ||
        indices_->Lock(0, 0, &memory, 0) != D3D_OK) {
      return false;
    }
    std::memcpy(memory, indices.data(), indexBytes);
    indices_->Unlock();
    return true;
  }

  bool BuildTextures() {
    for (int t = 0; t < kTextureCount; ++t) {
      if (device_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &textures_[t]) != D3D_OK) {
        return false;
      }
      D3DLOCKED_RECT locked;
      if (textures_[t]->LockRect(0, &locked, nullptr, 0) != D3D_OK) return false;
      for (int y = 0; y < 64; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 64; ++x) row[x] = TexelOf(t, x, y);
      }
      textures_[t]->UnlockRect(0);
    }
    return true;
  }

  HWND__ window_;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DSurface8* backBuffer_ = nullptr;
  IDirect3DVertexBuffer8* vertices_ = nullptr;
  IDirect3DIndexBuffer8* indices_ = nullptr;
  IDirect3DTexture8* textures_[kTextureCount] = {};
  UINT vertexCount_ = 0;
};

// The same meshes drawn straight through OpenGL: its own context on the
// scene's window, a framebuffer like the device's back buffer and depth
// buffer, and a program that lights one directional light as the stand-in
// does, with nothing else: the floor a draw of the stand-in stands on.
class RawGl {
 public:
  bool Open(SDL_Window* window) {
    window_ = window;
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    context_ = SDL_GL_CreateContext(window);
    if (context_ == nullptr) return false;
    const bool built = BuildTarget() && BuildProgram() && BuildMeshBuffers() && BuildTextures();
    if (previous != nullptr) SDL_GL_MakeCurrent(window, previous);
    return built;
  }

  void Close() {
    if (context_ == nullptr) return;
    MakeCurrent();
    glDeleteProgram(program_);
    glDeleteBuffers(2, buffers_);
    glDeleteVertexArrays(1, &vertexArray_);
    glDeleteTextures(kTextureCount, textures_);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(1, &color_);
    glDeleteRenderbuffers(1, &depth_);
    glFinish();
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
  }

  // Current, with the scene's states, and cleared.
  void Begin() {
    MakeCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, GLsizei(kWidth), GLsizei(kHeight));
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glUseProgram(program_);
    glBindVertexArray(vertexArray_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures_[0]);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  // As Scene::DrawMesh: the world matrix (with the view and projection, as
  // an engine multiplies them once a draw) and the material, then the draw.
  void DrawMesh(int n, UINT triangles, int texture = -1) {
    const D3DMATRIX world = WorldOf(n);
    float worldViewProjection[16];
    Multiply(&world.m[0][0], projection_, worldViewProjection);
    glUniformMatrix4fv(worldViewProjectionLocation_, 1, GL_FALSE, worldViewProjection);
    glUniformMatrix4fv(worldViewLocation_, 1, GL_FALSE, &world.m[0][0]);
    const float d = DiffuseOf(n);
    glUniform4f(materialDiffuseLocation_, d, d, d, 1.0f);
    if (texture >= 0) glBindTexture(GL_TEXTURE_2D, textures_[texture]);
    glDrawElements(GL_TRIANGLES, GLsizei(triangles * 3), GL_UNSIGNED_SHORT, nullptr);
  }

  void Finish() {
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  }

  int CoveredPixels() {
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    glReadPixels(0, 0, GLsizei(kWidth), GLsizei(kHeight), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int covered = 0;
    for (uint32_t pixel : pixels) covered += (pixel & 0xFFFFFF) != 0 ? 1 : 0;
    return covered;
  }

  void MakeCurrent() {
    if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
  }

 private:
  // Row-vector product a * b, as Direct3D's matrices multiply.
  static void Multiply(const float* a, const float* b, float* out) {
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        out[i * 4 + j] = a[i * 4] * b[j] + a[i * 4 + 1] * b[4 + j] + a[i * 4 + 2] * b[8 + j] + a[i * 4 + 3] * b[12 + j];
      }
    }
  }

  bool BuildTarget() {
    glGenTextures(1, &color_);
    glBindTexture(GL_TEXTURE_2D, color_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, GLsizei(kWidth), GLsizei(kHeight), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GLsizei(kWidth), GLsizei(kHeight));
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }

  static GLuint Compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
      glDeleteShader(shader);
      return 0;
    }
    return shader;
  }

  bool BuildProgram() {
    // Direct3D's ambient and diffuse terms for one directional light, the
    // global ambient white: emissive 0 + ambient + diffuse * N.L.
    static const char kVertex[] =
        "#version 330 core\n"
        "layout(location = 0) in vec3 inPosition;\n"
        "layout(location = 1) in vec3 inNormal;\n"
        "layout(location = 2) in vec2 inTex;\n"
        "uniform mat4 uWorldViewProjection;\n"
        "uniform mat4 uWorldView;\n"
        "uniform vec3 uToLight;\n"
        "uniform vec4 uMaterialDiffuse;\n"
        "uniform vec3 uAmbient;\n"
        "out vec4 color;\n"
        "out vec2 tex;\n"
        "void main() {\n"
        "  gl_Position = uWorldViewProjection * vec4(inPosition, 1.0);\n"
        "  gl_Position.z = gl_Position.z * 2.0 - gl_Position.w;\n"
        "  vec3 N = mat3(uWorldView) * inNormal;\n"
        "  float NdotL = max(dot(N, uToLight), 0.0);\n"
        "  color = vec4(clamp(uAmbient + uMaterialDiffuse.rgb * NdotL, 0.0, 1.0), uMaterialDiffuse.a);\n"
        "  tex = inTex;\n"
        "}\n";
    static const char kFragment[] =
        "#version 330 core\n"
        "in vec4 color;\n"
        "in vec2 tex;\n"
        "uniform sampler2D uTexture;\n"
        "out vec4 fragColor;\n"
        "void main() {\n"
        "  vec4 texel = texture(uTexture, tex);\n"
        "  fragColor = vec4(texel.rgb * color.rgb, texel.a);\n"
        "}\n";
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertex);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragment);
    if (vertex == 0 || fragment == 0) return false;
    program_ = glCreateProgram();
    glAttachShader(program_, vertex);
    glAttachShader(program_, fragment);
    glLinkProgram(program_);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &ok);
    if (!ok) return false;
    worldViewProjectionLocation_ = glGetUniformLocation(program_, "uWorldViewProjection");
    worldViewLocation_ = glGetUniformLocation(program_, "uWorldView");
    materialDiffuseLocation_ = glGetUniformLocation(program_, "uMaterialDiffuse");
    glUseProgram(program_);
    const float length = std::sqrt(kLightDirection[0] * kLightDirection[0] + kLightDirection[1] * kLightDirection[1] +
                                   kLightDirection[2] * kLightDirection[2]);
    glUniform3f(glGetUniformLocation(program_, "uToLight"), -kLightDirection[0] / length, -kLightDirection[1] / length,
                -kLightDirection[2] / length);
    glUniform3f(glGetUniformLocation(program_, "uAmbient"), kMaterialAmbient, kMaterialAmbient, kMaterialAmbient);
    glUniform1i(glGetUniformLocation(program_, "uTexture"), 0);
    // The stand-in's projection, as its draws use it.
    std::memset(projection_, 0, sizeof(projection_));
    projection_[0] = 1.0f / (float(kWidth) / float(kHeight));
    projection_[5] = 1.0f;
    projection_[10] = 100.0f / 99.0f;
    projection_[11] = 1.0f;
    projection_[14] = -100.0f / 99.0f;
    return worldViewProjectionLocation_ >= 0 && worldViewLocation_ >= 0 && materialDiffuseLocation_ >= 0;
  }

  bool BuildMeshBuffers() {
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;
    BuildMesh(&vertices, &indices);
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(2, buffers_);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(MeshVertex)), vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers_[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint16_t)), indices.data(),
                 GL_STATIC_DRAW);
    const GLsizei stride = sizeof(MeshVertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offsetof(MeshVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offsetof(MeshVertex, nx)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offsetof(MeshVertex, u)));
    return glGetError() == GL_NO_ERROR;
  }

  bool BuildTextures() {
    glGenTextures(kTextureCount, textures_);
    std::vector<uint32_t> texels(64 * 64);
    for (int t = 0; t < kTextureCount; ++t) {
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) texels[size_t(y) * 64 + size_t(x)] = TexelOf(t, x, y);
      }
      glBindTexture(GL_TEXTURE_2D, textures_[t]);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    }
    return glGetError() == GL_NO_ERROR;
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GLuint framebuffer_ = 0, color_ = 0, depth_ = 0;
  GLuint program_ = 0;
  GLint worldViewProjectionLocation_ = -1, worldViewLocation_ = -1, materialDiffuseLocation_ = -1;
  GLuint vertexArray_ = 0;
  GLuint buffers_[2] = {};
  GLuint textures_[kTextureCount] = {};
  float projection_[16];
};

// What a batch draws: how many draws, of how many triangles, and whether the
// texture changes with each.
struct Batch {
  int draws;
  UINT triangles;
  bool textureChanges;
};

// Batches of draws through the stand-in; pixelsTimed says whether the
// rasterising of each batch (which the read-back waits for) is part of the
// time. With a twin, the same batch through raw OpenGL follows each, and
// the fastest of each by the thread's processor time, the rasterising apart
// (the same pixels either way), gives the ratio: what the draws cost the
// stand-in and the driver on the processor, the vertices' lighting
// included.
void RunMeshBenchmark(benchmark::State& state, bool blended, const Batch& batch, bool pixelsTimed, bool twin) {
  KeepFreedMemory();
  Scene scene;
  RawGl raw;
  if (!scene.Open() || (twin && !raw.Open(scene.window()))) {
    state.SkipWithError("no headless Direct3D device or OpenGL context");
    raw.Close();
    scene.Close();
    return;
  }
  scene.SetUpStates();
  auto drawScene = [&](int first) {
    scene.Clear();
    for (int i = 0; i < batch.draws; ++i) {
      scene.DrawMesh(first + i, blended, batch.triangles, batch.textureChanges ? (first + i) % kTextureCount : -1);
    }
  };
  auto drawRaw = [&](int first) {
    raw.Begin();
    for (int i = 0; i < batch.draws; ++i) {
      raw.DrawMesh(first + i, batch.triangles, batch.textureChanges ? (first + i) % kTextureCount : -1);
    }
  };
  drawScene(0);
  state.counters["covered_pixels"] = scene.CoveredPixels();
  if (twin) {
    drawRaw(0);
    state.counters["raw_gl_covered_pixels"] = raw.CoveredPixels();
  }
  BenchRatio ratio;
  int n = 0;
  for (auto _ : state) {
    // Each side's context made current before its time starts: a switch
    // costs what neither draws.
    scene.Finish();
    const auto start = std::chrono::steady_clock::now();
    ratio.TimeReader([&] { drawScene(n); });
    const double drawn = Seconds(start);
    scene.Finish();
    state.SetIterationTime(pixelsTimed ? Seconds(start) : drawn);
    if (twin) {
      raw.MakeCurrent();
      ratio.TimeBaseline([&] { drawRaw(n); });
      raw.Finish();
    }
    n += batch.draws;
  }
  if (twin) ratio.ReportTimes(state, "ratio_to_raw_gl");
  state.SetItemsProcessed(state.iterations() * batch.draws);
  state.counters["draws_per_second"] =
      benchmark::Counter(double(state.iterations() * batch.draws), benchmark::Counter::kIsRate);
  raw.Close();
  scene.Close();
}

constexpr Batch kLitMeshes = {kDrawsPerBatch, kMeshTriangles, false};

void BM_LitTexturedMesh(benchmark::State& state) { RunMeshBenchmark(state, false, kLitMeshes, true, true); }
void BM_LitTexturedMeshSwitchingVertexAlpha(benchmark::State& state) {
  RunMeshBenchmark(state, true, kLitMeshes, true, false);
}
// Two triangles a draw, the read-back and the rasterising it waits for out of
// the time: what each draw costs the stand-in and the driver on the processor.
void BM_PerDrawOverhead(benchmark::State& state) {
  RunMeshBenchmark(state, false, {kDrawsPerBatch, kSmallTriangles, false}, false, false);
}
// Many small lit draws, texture, matrix and material changing with each, and
// the same with one texture: what state changes cost against raw OpenGL.
void BM_SmallDraws(benchmark::State& state) {
  RunMeshBenchmark(state, false, {kSmallDrawsPerBatch, kSmallTriangles, true}, true, true);
}
void BM_SmallDrawsOneTexture(benchmark::State& state) {
  RunMeshBenchmark(state, false, {kSmallDrawsPerBatch, kSmallTriangles, false}, true, true);
}

// Screen-space textured quads from user memory, as 2D drawing sends them.
void BM_UserPointerQuads(benchmark::State& state) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no headless Direct3D device");
    scene.Close();
    return;
  }
  scene.SetUpStates();
  IDirect3DDevice8* device = scene.device();
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  struct Vertex {
    float x, y, z, rhw;
    DWORD color;
    float u, v;
  };
  int n = 0;
  for (auto _ : state) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    for (int i = 0; i < kDrawsPerBatch; ++i, ++n) {
      const float x = float((n * 13) % 600);
      const float y = float((n * 7) % 440);
      const Vertex quad[4] = {{x, y, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                              {x + 16, y, 0.5f, 1, 0xFFFFFFFF, 1, 0},
                              {x, y + 16, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                              {x + 16, y + 16, 0.5f, 1, 0xFFFFFFFF, 1, 1}};
      device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    }
    scene.Finish();
  }
  state.SetItemsProcessed(state.iterations() * kDrawsPerBatch);
  state.counters["draws_per_second"] =
      benchmark::Counter(double(state.iterations() * kDrawsPerBatch), benchmark::Counter::kIsRate);
  scene.Close();
}

BENCHMARK(BM_LitTexturedMesh)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LitTexturedMeshSwitchingVertexAlpha)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PerDrawOverhead)->Unit(benchmark::kMicrosecond)->UseManualTime();
BENCHMARK(BM_SmallDraws)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SmallDrawsOneTexture)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_UserPointerQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
