// Texture reads from image files on the Direct3D 8 stand-in: a texture name
// and a mask name, as a model file gives them, and a set of image files
// served from memory. The read finds each file's type, applies the mask,
// takes mip levels from files named with a level suffix (or generates them),
// and palettises palette images across all levels.
// Input records: flags (bit 0 mip levels, bit 1 generated mip levels), the
// name, the mask name, then pairs of file name and file bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "engine/tool/bmp/rtbmp.h"
#include "engine/tool/png/rtpng.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"
#include "tests/fuzz/fuzz_records.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr uint8_t kMipLevels = 1;
constexpr uint8_t kGeneratedMipLevels = 2;

bool StartEngine() {
  if (!d3d8fuzz::Start()) {
    return false;
  }
  memoryfiles::Install();
  // Names are taken as given: the files carry no folder.
  RwImageSetPath("");
  return RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr) &&
         RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started) {
    std::abort();
  }
  fuzzrecords::Reader input(data, size);
  const uint8_t flags = input.Flags();
  const std::string name = input.Text();
  const std::string mask = input.Text();
  memoryfiles::Files().clear();
  while (!input.AtEnd()) {
    memoryfiles::File file;
    file.name = input.Text();
    file.data = input.Bytes();
    memoryfiles::Files().push_back(file);
  }

  RwTextureSetMipmapping((flags & kMipLevels) != 0);
  RwTextureSetAutoMipmapping((flags & kGeneratedMipLevels) != 0);
  // A dictionary of its own, so that no input finds a texture of another.
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  if (dictionary == nullptr) {
    std::abort();
  }
  RwTexDictionarySetCurrent(dictionary);
  RwTexture* texture = RwTextureRead(name.c_str(), mask.empty() ? nullptr : mask.c_str());
  if (texture != nullptr) {
    RwTextureDestroy(texture);
  }
  RwTexDictionarySetCurrent(nullptr);
  RwTexDictionaryDestroy(dictionary);
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
