// The layout of an AVI file as the stream functions read it: where each
// stream's chunks lie, with the stream's header and format, checked against
// the file once when it is opened. Not for callers outside platform/vfw.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/vfw/vfw.h"

namespace vfw {

// The bytes of an AVI file, read at offsets: an open file or a copy in memory.
class AviSource {
 public:
  // Takes the file (null: an empty source).
  explicit AviSource(FILE* file);
  explicit AviSource(std::vector<uint8_t> bytes);
  ~AviSource();
  AviSource(const AviSource&) = delete;
  AviSource& operator=(const AviSource&) = delete;

  uint64_t Size() const { return mSize; }
  // False unless all of [offset, offset + bytes) lies in the file and is read.
  bool ReadAt(uint64_t offset, void* out, size_t bytes);

 private:
  FILE* mFile = nullptr;
  std::vector<uint8_t> mBytes;
  uint64_t mSize = 0;
};

// A chunk's body in the file.
struct AviChunk {
  uint64_t offset;
  uint32_t size;
};

struct AviStreamLayout {
  AVISTREAMINFOA info;  // dwLength: the frames or sound blocks the file holds
  // Video: the stream's bitmap format; every frame is imageSize bytes.
  BITMAPINFOHEADER bitmap;
  uint32_t imageSize;
  // Sound: PCM; a sample is one block of wave.nBlockAlign bytes.
  WAVEFORMATEX wave;
  // In play order. Video: one chunk a frame (an empty chunk in the file
  // repeats the frame before it). Sound: the chunks that hold samples.
  std::vector<AviChunk> chunks;
  // Sound: the number of each chunk's first sample, counted from 0.
  std::vector<uint32_t> firstSamples;
};

// Reads and checks the whole layout: AVIERR_OK, AVIERR_BADFORMAT for a
// damaged file, AVIERR_UNSUPPORTED for streams or codecs not played, or
// AVIERR_FILEREAD.
HRESULT ParseAviLayout(AviSource& source, std::vector<AviStreamLayout>* streams);

}  // namespace vfw
