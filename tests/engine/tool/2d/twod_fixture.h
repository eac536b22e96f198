// The 2D toolkit's tests: the engine started on the Direct3D 8 stand-in, the
// toolkit opened on a 160 x 120 camera with its 2D units set to pixels, the
// BMP reader registered, and a record of the immediate-mode 3D draws that go
// on to the driver.
#pragma once

#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/tool/2d/rt2d_internal.h"
#include "tests/support/d3d8_camera_engine.h"
#include "tests/support/scratch_path.h"

namespace twod_test {

// One immediate-mode draw as the toolkit submitted it: its vertices in 2D
// coordinates, before the world matrix.
struct Im3DDraw {
  RwUInt32 primType;
  RwUInt32 flags;
  std::vector<RwIm3DVertex> vertices;
  std::vector<RwUInt16> indices;
};

inline std::vector<Im3DDraw>& Draws() {
  static std::vector<Im3DDraw> draws;
  return draws;
}

inline RwBool RecordDraw(const RwIm3DSubmission* submission) {
  const RwIm3DState* state = submission->state;
  Im3DDraw draw = {state->primType,
                   state->flags,
                   std::vector<RwIm3DVertex>(state->vertices, state->vertices + state->numVertices),
                   {}};
  if (state->indices != nullptr) {
    draw.indices.assign(state->indices, state->indices + state->numIndices);
  }
  Draws().push_back(draw);
  return RwD3D8Im3DSubmitDeviceGet()->draw(submission);
}

inline RwBool OpenIndexBuffer() { return RwD3D8Im3DSubmitDeviceGet()->openIndexBuffer(); }
inline void CloseIndexBuffer() { RwD3D8Im3DSubmitDeviceGet()->closeIndexBuffer(); }

inline const RwIm3DSubmitDevice* RecordingDevice() {
  static const RwIm3DSubmitDevice device = {OpenIndexBuffer, CloseIndexBuffer, RecordDraw};
  return &device;
}

// Corner colours that tell the corners apart: 0 red, 1 green, 2 blue, 3 white.
constexpr RwRGBA kCorner0 = {255, 0, 0, 255};
constexpr RwRGBA kCorner1 = {0, 255, 0, 255};
constexpr RwRGBA kCorner2 = {0, 0, 255, 255};
constexpr RwRGBA kCorner3 = {255, 255, 255, 255};

class TwoDTest : public CameraDriverTest {
 protected:
  void SetUp() override {
    CameraDriverTest::SetUp();
    Start();
    if (HasFatalFailure()) {
      return;
    }
    RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr);
    ASSERT_TRUE(Rt2dOpen(camera_));
    ASSERT_TRUE(Rt2dDeviceSetLayout(0.0f, 0.0f, kWidth, kHeight));
    RwIm3DSetSubmitDevice(RecordingDevice());
    Draws().clear();
    brush_ = Rt2dBrushCreate();
    ASSERT_NE(brush_, nullptr);
    TakeError();
  }

  void TearDown() override {
    Rt2dBrushDestroy(brush_);
    if (RwCameraGetCurrentCamera() != nullptr) {
      RwCameraEndUpdate(RwCameraGetCurrentCamera());
    }
    Rt2dClose();
    CameraDriverTest::TearDown();
  }

  // Clears to black and begins the camera's update; the render states stay
  // the driver's defaults (back faces culled).
  void BeginFrame() {
    const RwRGBA black = {0, 0, 0, 255};
    ASSERT_NE(RwCameraClear(camera_, &black, kRwCameraClearImage | kRwCameraClearZ), nullptr);
    ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
    Draws().clear();
  }

  void EndFrame() {
    RwCameraEndUpdate(camera_);
    RwRasterShowRaster(camera_->frameBuffer, nullptr, 0);
  }

  // Back-buffer pixel at 2D pixel (x, y), whose y grows upwards.
  static uint32_t PixelAt(int x, int y) { return BackBufferPixel(x, kHeight - 1 - y); }

  // Closes the toolkit (which frees the brush) and opens it afresh, without
  // a layout, on the camera.
  void Reopen(RwCamera* camera) {
    Rt2dClose();
    ASSERT_TRUE(Rt2dOpen(camera));
    brush_ = Rt2dBrushCreate();
    ASSERT_NE(brush_, nullptr);
  }

  void UseFourColours() { Rt2dBrushSetRGBA(brush_, &kCorner0, &kCorner1, &kCorner2, &kCorner3); }

  Rt2dBrush* brush_ = nullptr;  // white
};

// The scratch folder with its separator, as font folders are given.
inline std::string FolderOf(const ScratchFolder& folder) { return folder.Path() + "/"; }

// Writes a file of the scratch folder, making the subfolder its name may
// start with ("fonts/plain.met").
inline bool WriteScratch(const ScratchFolder& folder, const std::string& name, const std::string& bytes) {
  const size_t slash = name.find('/');
  if (slash != std::string::npos) {
    mkdir(folder.File(name.substr(0, slash)).c_str(), 0700);
  }
  return WriteWholeFile(folder.File(name), bytes);
}

inline bool WriteScratch(const ScratchFolder& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  return WriteScratch(folder, name, std::string(bytes.begin(), bytes.end()));
}

inline bool Near(RwReal a, RwReal b, RwReal tolerance = 1e-3f) { return std::fabs(a - b) <= tolerance; }

// Whether two 0xRRGGBB colours differ by at most the tolerance in each channel.
inline bool NearColour(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    if (ca - cb > tolerance || cb - ca > tolerance) {
      return false;
    }
  }
  return true;
}

}  // namespace twod_test
