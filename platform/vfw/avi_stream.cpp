// AVI streams and frame readers over the checked layout of their file: each
// open stream keeps its own file, its layout and a reference count.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "platform/vfw/avi_layout.h"
#include "platform/vfw/vfw_testing.h"
#include "platform/win/win_path.h"

struct IAVIStream {
  IAVIStream(std::unique_ptr<vfw::AviSource> file, const vfw::AviStreamLayout& streamLayout)
      : source(std::move(file)), layout(streamLayout) {}

  std::atomic<ULONG> references{1};
  std::unique_ptr<vfw::AviSource> source;
  vfw::AviStreamLayout layout;

  bool IsVideo() const { return layout.info.fccType == streamtypeVIDEO; }
  LONG Start() const { return static_cast<LONG>(layout.info.dwStart); }
  LONG Length() const { return static_cast<LONG>(layout.info.dwLength); }
};

struct IGetFrame {
  PAVISTREAM stream;
  std::vector<uint8_t> bitmap;  // header and rows of the frame last read
  LONG frame = -1;              // that frame, counted from the stream's start
};

namespace {

HRESULT OpenStream(std::unique_ptr<vfw::AviSource> source, DWORD type, LONG streamIndex, PAVISTREAM* stream) {
  std::vector<vfw::AviStreamLayout> layouts;
  HRESULT result = vfw::ParseAviLayout(*source, &layouts);
  if (result != AVIERR_OK) {
    return result;
  }
  LONG seen = 0;
  for (const vfw::AviStreamLayout& layout : layouts) {
    if (layout.info.fccType != type || seen++ != streamIndex) {
      continue;
    }
    *stream = new (std::nothrow) IAVIStream(std::move(source), layout);
    return *stream != nullptr ? AVIERR_OK : AVIERR_MEMORY;
  }
  return AVIERR_NODATA;
}

// The sound chunk holding a sample (counted from 0).
size_t ChunkOfSample(const vfw::AviStreamLayout& layout, uint64_t sample) {
  auto after = std::upper_bound(layout.firstSamples.begin(), layout.firstSamples.end(), sample);
  return static_cast<size_t>(after - layout.firstSamples.begin()) - 1;
}

// Copies count samples from first on; false when the file cannot be read.
bool ReadSamples(PAVISTREAM stream, uint64_t first, uint64_t count, uint8_t* out) {
  const vfw::AviStreamLayout& layout = stream->layout;
  const uint32_t block = layout.wave.nBlockAlign;
  size_t chunk = ChunkOfSample(layout, first);
  while (count > 0) {
    const uint64_t inChunk = first - layout.firstSamples[chunk];
    const uint64_t available = layout.chunks[chunk].size / block - inChunk;
    const uint64_t take = std::min(count, available);
    if (!stream->source->ReadAt(layout.chunks[chunk].offset + inChunk * block, out, take * block)) {
      return false;
    }
    out += take * block;
    first += take;
    count -= take;
    ++chunk;
  }
  return true;
}

}  // namespace

namespace vfwtest {

HRESULT OpenStreamFromMemory(const void* data, size_t size, DWORD type, LONG streamIndex, PAVISTREAM* stream) {
  if (stream == nullptr) {
    return AVIERR_BADPARAM;
  }
  *stream = nullptr;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> copy(bytes, bytes + (bytes == nullptr ? 0 : size));
  return OpenStream(std::make_unique<vfw::AviSource>(std::move(copy)), type, streamIndex, stream);
}

}  // namespace vfwtest

// Streams need nothing started or stopped.
void WINAPI AVIFileInit(void) {}

void WINAPI AVIFileExit(void) {}

HRESULT WINAPI AVIStreamOpenFromFileA(PAVISTREAM* stream, LPCSTR file, DWORD type, LONG streamIndex, UINT mode,
                                      CLSID* handler) {
  if (stream == nullptr) {
    return AVIERR_BADPARAM;
  }
  *stream = nullptr;
  if (file == nullptr || streamIndex < 0 || (type != streamtypeVIDEO && type != streamtypeAUDIO)) {
    return AVIERR_BADPARAM;
  }
  if (handler != nullptr) {
    return AVIERR_UNSUPPORTED;
  }
  if ((mode & (OF_WRITE | OF_READWRITE | OF_CREATE)) != 0) {
    return AVIERR_BADFLAGS;
  }
  FILE* opened = WinPathOpen(file, "rb");
  if (opened == nullptr) {
    return AVIERR_FILEOPEN;
  }
  return OpenStream(std::make_unique<vfw::AviSource>(opened), type, streamIndex, stream);
}

ULONG WINAPI AVIStreamRelease(PAVISTREAM stream) {
  if (stream == nullptr) {
    return 0;
  }
  const ULONG left = --stream->references;
  if (left == 0) {
    delete stream;
  }
  return left;
}

HRESULT WINAPI AVIStreamInfoA(PAVISTREAM stream, LPAVISTREAMINFOA info, LONG size) {
  if (stream == nullptr) {
    return AVIERR_BADHANDLE;
  }
  if (info == nullptr || size < 0) {
    return AVIERR_BADPARAM;
  }
  memcpy(info, &stream->layout.info, std::min<size_t>(static_cast<size_t>(size), sizeof(AVISTREAMINFOA)));
  return AVIERR_OK;
}

LONG WINAPI AVIStreamStart(PAVISTREAM stream) { return stream == nullptr ? -1 : stream->Start(); }

LONG WINAPI AVIStreamLength(PAVISTREAM stream) { return stream == nullptr ? -1 : stream->Length(); }

HRESULT WINAPI AVIStreamReadFormat(PAVISTREAM stream, LONG /*position*/, LPVOID format, LONG* formatSize) {
  if (stream == nullptr) {
    return AVIERR_BADHANDLE;
  }
  if (formatSize == nullptr || (format != nullptr && *formatSize < 0)) {
    return AVIERR_BADPARAM;
  }
  // One format for the whole stream: the position does not matter.
  const void* record = stream->IsVideo() ? static_cast<const void*>(&stream->layout.bitmap) : &stream->layout.wave;
  const LONG recordSize = stream->IsVideo() ? sizeof(BITMAPINFOHEADER) : sizeof(WAVEFORMATEX);
  if (format == nullptr) {
    *formatSize = recordSize;
    return AVIERR_OK;
  }
  *formatSize = std::min(*formatSize, recordSize);
  memcpy(format, record, static_cast<size_t>(*formatSize));
  return AVIERR_OK;
}

HRESULT WINAPI AVIStreamRead(PAVISTREAM stream, LONG start, LONG samples, LPVOID buffer, LONG bufferSize,
                             LONG* bytesRead, LONG* samplesRead) {
  LONG ignoredBytes = 0;
  LONG ignoredSamples = 0;
  bytesRead = bytesRead != nullptr ? bytesRead : &ignoredBytes;
  samplesRead = samplesRead != nullptr ? samplesRead : &ignoredSamples;
  *bytesRead = 0;
  *samplesRead = 0;
  if (stream == nullptr) {
    return AVIERR_BADHANDLE;
  }
  if (stream->IsVideo()) {
    return AVIERR_UNSUPPORTED;
  }
  const vfw::AviStreamLayout& layout = stream->layout;
  const int64_t first = static_cast<int64_t>(start) - stream->Start();
  const int64_t left = static_cast<int64_t>(stream->Length()) - first;
  if (first < 0 || left < 0 || samples < AVISTREAMREAD_CONVENIENT || (buffer != nullptr && bufferSize < 0)) {
    return AVIERR_BADPARAM;
  }
  int64_t count = samples;
  if (samples == AVISTREAMREAD_CONVENIENT) {
    // The rest of the chunk holding the start.
    const size_t chunk = left == 0 ? 0 : ChunkOfSample(layout, static_cast<uint64_t>(first));
    count = left == 0 ? 0 : layout.firstSamples[chunk] + layout.chunks[chunk].size / layout.wave.nBlockAlign - first;
  }
  count = std::min(count, left);
  const LONG block = layout.wave.nBlockAlign;
  if (buffer != nullptr) {
    const int64_t fit = bufferSize / block;
    if (count > 0 && fit == 0) {
      return AVIERR_BUFFERTOOSMALL;
    }
    count = std::min(count, fit);
    if (!ReadSamples(stream, static_cast<uint64_t>(first), static_cast<uint64_t>(count),
                     static_cast<uint8_t*>(buffer))) {
      return AVIERR_FILEREAD;
    }
  }
  // A count with a null buffer may exceed what a LONG of bytes holds.
  *bytesRead = static_cast<LONG>(std::min<int64_t>(count * block, std::numeric_limits<LONG>::max()));
  *samplesRead = static_cast<LONG>(count);
  return AVIERR_OK;
}

PGETFRAME WINAPI AVIStreamGetFrameOpen(PAVISTREAM stream, LPBITMAPINFOHEADER wanted) {
  if (stream == nullptr || !stream->IsVideo() || wanted != nullptr) {
    return nullptr;
  }
  IGetFrame* reader = new (std::nothrow) IGetFrame{stream, {}, -1};
  if (reader != nullptr) {
    ++stream->references;
  }
  return reader;
}

LPVOID WINAPI AVIStreamGetFrame(PGETFRAME reader, LONG position) {
  if (reader == nullptr) {
    return nullptr;
  }
  PAVISTREAM stream = reader->stream;
  const int64_t frame = static_cast<int64_t>(position) - stream->Start();
  if (frame < 0 || frame >= stream->Length()) {
    return nullptr;
  }
  if (frame == reader->frame) {
    return reader->bitmap.data();
  }
  // Made at the first frame: a frame chunk of that size is then known to be
  // in the file, so a header cannot make it ask for more than the file holds.
  const vfw::AviStreamLayout& layout = stream->layout;
  reader->bitmap.resize(sizeof(BITMAPINFOHEADER) + layout.imageSize);
  memcpy(reader->bitmap.data(), &layout.bitmap, sizeof(BITMAPINFOHEADER));
  const vfw::AviChunk& chunk = layout.chunks[static_cast<size_t>(frame)];
  if (!stream->source->ReadAt(chunk.offset, reader->bitmap.data() + sizeof(BITMAPINFOHEADER), chunk.size)) {
    reader->frame = -1;
    return nullptr;
  }
  reader->frame = static_cast<LONG>(frame);
  return reader->bitmap.data();
}

HRESULT WINAPI AVIStreamGetFrameClose(PGETFRAME reader) {
  if (reader == nullptr) {
    return AVIERR_BADHANDLE;
  }
  AVIStreamRelease(reader->stream);
  delete reader;
  return AVIERR_OK;
}
