// Feeds arbitrary bytes to the 2D toolkit's font reader as a metrics file
// (".met"), on an engine started over the Direct3D 8 stand-in so that pages
// become real rasters. Every page or mask image the file names is one fixed
// page of marked glyph cells; the toolkit targets a camera in a pixel layout,
// so outline glyphs flatten as a game's would.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"
#include "tests/fuzz/font_fuzz_page.h"
#include "tests/fuzz/memory_file.h"

namespace {

constexpr int kViewWidth = 64;
constexpr int kViewHeight = 48;

fuzzfile::MemoryFile gMetrics = {nullptr, 0, 0};
fuzzfile::MemoryFile gImage = {nullptr, 0, 0};

const std::vector<uint8_t>& PageBytes() {
  static const std::vector<uint8_t> bytes = tktest::WriteBmp(tktest::MarkedPageImage(fontfuzz::Page()));
  return bytes;
}

bool HasExtension(const RwChar* name, const char* extension) {
  const RwChar* dot = std::strrchr(name, '.');
  return dot != nullptr && std::strcmp(dot, extension) == 0;
}

RwBool FileExists(const RwChar* name) { return HasExtension(name, ".bmp"); }

void* FileOpen(const RwChar* name, const RwChar*) {
  if (HasExtension(name, ".met")) {
    gMetrics.position = 0;
    return &gMetrics;
  }
  if (HasExtension(name, ".bmp")) {
    gImage = {PageBytes().data(), PageBytes().size(), 0};
    return &gImage;
  }
  return nullptr;
}

RwInt32 FileClose(void*) { return 0; }

bool Start() {
  if (!d3d8fuzz::StartEngine("font", kViewWidth, kViewHeight)) {
    return false;
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  files->rwfexist = FileExists;
  files->rwfopen = FileOpen;
  files->rwfclose = FileClose;
  fuzzfile::InstallReaders(files);
  RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr);
  RwCamera* camera = RwCameraCreate();
  RwFrame* frame = RwFrameCreate();
  RwRaster* raster = RwRasterCreate(kViewWidth, kViewHeight, 0, rwRASTERTYPECAMERA);
  if (camera == nullptr || frame == nullptr || raster == nullptr) {
    return false;
  }
  RwCameraSetFrame(camera, frame);
  RwCameraSetRaster(camera, raster);
  return Rt2dOpen(camera) && Rt2dDeviceSetLayout(0.0f, 0.0f, kViewWidth, kViewHeight) &&
         Rt2dFontSetPath("fonts\\") != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Start();
  if (!started) {
    std::abort();
  }
  gMetrics = {data, size, 0};
  if (Rt2dFont* font = Rt2dFontRead("fuzz")) {
    Rt2dFontDestroy(font);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
