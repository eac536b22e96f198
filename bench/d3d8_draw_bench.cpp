// Draws per second through the Direct3D 8 stand-in for a typical lit,
// textured mesh: 500 triangles facing the camera, one directional light, one
// texture, a new world matrix per draw (as every atomic gets), on a headless
// device; and what a draw costs the processor apart from its pixels.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/win/window_internal.h"

namespace {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;
constexpr int kColumns = 25;
constexpr int kRows = 10;  // 25 x 10 quads: 500 triangles
constexpr int kDrawsPerBatch = 100;

struct MeshVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

D3DMATRIX Identity() {
  D3DMATRIX m;
  std::memset(&m, 0, sizeof(m));
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

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
    return BuildMesh() && BuildTexture() && device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_) == D3D_OK;
  }

  void Close() {
    if (backBuffer_ != nullptr) backBuffer_->Release();
    if (texture_ != nullptr) texture_->Release();
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
    light.Direction = {0.3f, -0.5f, 0.8f};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device_->SetTexture(0, texture_);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetVertexShader(kMeshFvf);
    device_->SetStreamSource(0, vertices_, sizeof(MeshVertex));
    device_->SetIndices(indices_, 0);
  }

  // One atomic: its own world matrix and material, then the draw.
  void DrawMesh(int n, bool blended, UINT triangles) {
    D3DMATRIX world = Identity();
    world._41 = float(n % 10) * 2.0f - 9.0f;
    world._42 = float((n / 10) % 8) * 1.5f - 5.0f;
    world._43 = 12.0f;
    device_->SetTransform(D3DTS_WORLD, &world);
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof(material));
    const float d = 0.5f + 0.05f * float(n % 10);
    material.Diffuse = {d, d, d, 1.0f};
    material.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    device_->SetMaterial(&material);
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

 private:
  bool BuildMesh() {
    std::vector<MeshVertex> vertices;
    for (int row = 0; row <= kRows; ++row) {
      for (int column = 0; column <= kColumns; ++column) {
        const float u = float(column) / kColumns;
        const float v = float(row) / kRows;
        // Half a cylinder bulging towards the camera: x grows with the
        // column, so every triangle below winds counter-clockwise on screen
        // and none is culled.
        const float angle = u * 3.14159f;
        vertices.push_back(
            {-std::cos(angle), v - 0.5f, -std::sin(angle), -std::cos(angle), 0.0f, -std::sin(angle), u, v});
      }
    }
    std::vector<uint16_t> indices;
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; ++column) {
        const uint16_t a = uint16_t(row * (kColumns + 1) + column);
        const uint16_t b = uint16_t(a + 1);
        const uint16_t c = uint16_t(a + kColumns + 1);
        const uint16_t d = uint16_t(c + 1);
        for (uint16_t index : {a, b, c, c, b, d}) indices.push_back(index);
      }
    }
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

  bool BuildTexture() {
    if (device_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_) != D3D_OK) return false;
    D3DLOCKED_RECT locked;
    if (texture_->LockRect(0, &locked, nullptr, 0) != D3D_OK) return false;
    for (int y = 0; y < 64; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < 64; ++x) row[x] = ((x ^ y) & 8) ? 0xFFE0C080 : 0xFF403020;
    }
    texture_->UnlockRect(0);
    return true;
  }

  HWND__ window_;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DSurface8* backBuffer_ = nullptr;
  IDirect3DVertexBuffer8* vertices_ = nullptr;
  IDirect3DIndexBuffer8* indices_ = nullptr;
  IDirect3DTexture8* texture_ = nullptr;
  UINT vertexCount_ = 0;
};

// Batches of draws; pixelsTimed says whether the rasterising of each batch
// (which the read-back waits for) is part of the time.
void RunMeshBenchmark(benchmark::State& state, bool blended, UINT triangles, bool pixelsTimed) {
  Scene scene;
  if (!scene.Open()) {
    state.SkipWithError("no headless Direct3D device");
    scene.Close();
    return;
  }
  scene.SetUpStates();
  scene.device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  for (int i = 0; i < kDrawsPerBatch; ++i) scene.DrawMesh(i, blended, triangles);
  state.counters["covered_pixels"] = scene.CoveredPixels();
  int n = 0;
  for (auto _ : state) {
    scene.device()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    for (int i = 0; i < kDrawsPerBatch; ++i) scene.DrawMesh(n++, blended, triangles);
    if (!pixelsTimed) state.PauseTiming();
    scene.Finish();
    if (!pixelsTimed) state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kDrawsPerBatch);
  state.counters["draws_per_second"] =
      benchmark::Counter(double(state.iterations() * kDrawsPerBatch), benchmark::Counter::kIsRate);
  scene.Close();
}

void BM_LitTexturedMesh(benchmark::State& state) { RunMeshBenchmark(state, false, kColumns * kRows * 2, true); }
void BM_LitTexturedMeshSwitchingVertexAlpha(benchmark::State& state) {
  RunMeshBenchmark(state, true, kColumns * kRows * 2, true);
}
// Two triangles a draw, the read-back and the rasterising it waits for out of
// the time: what each draw costs the stand-in and the driver on the processor.
void BM_PerDrawOverhead(benchmark::State& state) { RunMeshBenchmark(state, false, 2, false); }

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

BENCHMARK(BM_LitTexturedMesh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LitTexturedMeshSwitchingVertexAlpha)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PerDrawOverhead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UserPointerQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
