// Image reads by name along the image search path: a search path, an image
// name and a mask name, as outside bytes give them, and a set of files served
// from memory under the names the search builds. The image is read as named,
// then with the file type found for it and its mask, through the BMP and PNG
// readers.
// Input records: flags (unused), the search path, the image name, the mask
// name, then pairs of file name and file bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/tool/bmp/rtbmp.h"
#include "engine/tool/png/rtpng.h"
#include "tests/fuzz/fuzz_records.h"
#include "tests/fuzz/image_fuzz_engine.h"

namespace {

void Release(RwImage* image) {
  if (image != nullptr) {
    RwImageDestroy(image);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  imagefuzz::Start({{"bmp", RtBMPImageRead}, {"png", RtPNGImageRead}});
  fuzzrecords::Reader input(data, size);
  const std::string path = input.Text();
  const std::string name = input.Text();
  const std::string mask = input.Text();
  memoryfiles::Files().clear();
  while (!input.AtEnd()) {
    memoryfiles::File file;
    file.name = input.Text();
    file.data = input.Bytes();
    memoryfiles::Files().push_back(file);
  }

  if (RwImageSetPath(path.c_str()) == nullptr) {
    return 0;
  }
  Release(RwImageRead(name.c_str()));
  // A bare name is read with the extension of the file type found for it.
  const RwChar* extension = RwImageFindFileType(name.c_str());
  const std::string found = extension != nullptr ? name + extension : name;
  Release(RwImageReadMaskedImage(found.c_str(), mask.c_str()));
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
