// Plugin sub-chunk builders for tests and seeds.
#include "tests/support/plugin_chunks.h"

#include "engine/engine.h"

ChunkBytes& AddDeltaTarget(ChunkBytes& body, const std::vector<uint8_t>& name, uint32_t kinds,
                           const std::vector<uint8_t>& control, uint32_t k) {
  body.U32(static_cast<uint32_t>(name.size())).Bytes(name).U32(kinds).U32(rpGEOMETRYLOCKVERTICES);
  body.U32(static_cast<uint32_t>(control.size())).U32(k).Bytes(control);
  for (uint32_t j = 0; j < k && (kinds & rpDMORPHDATATYPEPOSITIONS) != 0; ++j) {
    body.Real(1.0f + static_cast<float>(j)).Real(2.0f).Real(0.0f);
  }
  for (uint32_t j = 0; j < k && (kinds & rpDMORPHDATATYPENORMALS) != 0; ++j) {
    body.Real(0.0f).Real(0.0f).Real(1.0f);
  }
  for (uint32_t j = 0; j < k && (kinds & rpDMORPHDATATYPEPRELITS) != 0; ++j) {
    body.Bytes({20, 3, 255, 0});
  }
  for (uint32_t j = 0; j < k && (kinds & rpDMORPHDATATYPETEXCOORDS) != 0; ++j) {
    body.Real(0.5f).Real(0.0f);
  }
  return body.Real(1.0f).Real(2.0f).Real(3.0f).Real(4.0f);
}
