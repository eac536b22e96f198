// Feeds arbitrary bytes to the 2D toolkit's font reader as a metrics file
// ("fuzz.met"), on the Direct3D 8 stand-in so that pages become real rasters.
// The page images it may name are fixed: "page.bmp" (and its mask
// "mpage.bmp", and "mask.bmp") is one page of marked glyph cells. The
// toolkit targets a camera in a pixel layout, so outline glyphs flatten as a
// game's would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/engine.h"
#include "engine/tool/bmp/rtbmp.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"
#include "tests/fuzz/font_fuzz_page.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr int kViewWidth = 64;
constexpr int kViewHeight = 48;

bool Start() {
  if (!d3d8fuzz::Start()) {
    return false;
  }
  memoryfiles::Install();
  const std::vector<uint8_t> page = forge::WriteBmp(forge::MarkedPageImage(fontfuzz::Page()));
  memoryfiles::Files() = {{"fuzz.met", {}}, {"page.bmp", page}, {"mpage.bmp", page}, {"mask.bmp", page}};
  RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr);
  RwCamera* camera = RwCameraCreate();
  RwFrame* frame = RwFrameCreate();
  RwRaster* raster = RwRasterCreate(kViewWidth, kViewHeight, 0, rwRASTERTYPECAMERA);
  if (camera == nullptr || frame == nullptr || raster == nullptr) {
    return false;
  }
  RwCameraSetFrame(camera, frame);
  RwCameraSetRaster(camera, raster);
  // Names are taken as given: the files carry no folder.
  return Rt2dOpen(camera) && Rt2dDeviceSetLayout(0.0f, 0.0f, kViewWidth, kViewHeight) && Rt2dFontSetPath("") != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Start();
  if (!started) {
    std::abort();
  }
  memoryfiles::Files()[0].data.assign(data, data + size);
  if (Rt2dFont* font = Rt2dFontRead("fuzz")) {
    Rt2dFontDestroy(font);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
