// Fuzz target for the AVI reader: any bytes opened as the video and as the
// sound stream; every frame and every sample of a stream that opens is read,
// and what comes back must agree with the stream's own information.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/vfw/vfw.h"
#include "platform/vfw/vfw_testing.h"

namespace {

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

void ReadEveryFrame(PAVISTREAM video) {
  BITMAPINFOHEADER format = {};
  LONG formatSize = sizeof format;
  Check(AVIStreamReadFormat(video, 0, &format, &formatSize) == AVIERR_OK);
  const uint32_t stride = (static_cast<uint32_t>(format.biWidth) * 3 + 3) & ~3u;
  Check(format.biBitCount == 24 && format.biSizeImage == stride * static_cast<uint32_t>(format.biHeight));
  PGETFRAME reader = AVIStreamGetFrameOpen(video, nullptr);
  Check(reader != nullptr);
  const LONG start = AVIStreamStart(video);
  const LONG end = start + AVIStreamLength(video);
  for (LONG position = start; position < end; ++position) {
    const BYTE* dib = static_cast<const BYTE*>(AVIStreamGetFrame(reader, position));
    Check(dib != nullptr);
    BITMAPINFOHEADER header;
    memcpy(&header, dib, sizeof header);
    Check(header.biSizeImage == format.biSizeImage);
    // Touch the last byte: the rows must all be there.
    volatile BYTE last = dib[sizeof header + header.biSizeImage - 1];
    (void)last;
  }
  Check(AVIStreamGetFrame(reader, end) == nullptr);
  Check(AVIStreamGetFrameClose(reader) == AVIERR_OK);
}

void ReadEverySample(PAVISTREAM sound) {
  WAVEFORMATEX format = {};
  LONG formatSize = sizeof format;
  Check(AVIStreamReadFormat(sound, 0, &format, &formatSize) == AVIERR_OK);
  Check(format.nBlockAlign > 0);
  std::vector<BYTE> buffer(4096);
  const LONG end = AVIStreamStart(sound) + AVIStreamLength(sound);
  for (LONG position = AVIStreamStart(sound); position < end;) {
    LONG bytes = 0;
    LONG samples = 0;
    // Alternate fixed pieces with whole chunks.
    const LONG asked = position % 2 == 0 ? 1000 : AVISTREAMREAD_CONVENIENT;
    const HRESULT result =
        AVIStreamRead(sound, position, asked, buffer.data(), static_cast<LONG>(buffer.size()), &bytes, &samples);
    Check(result == AVIERR_OK && samples > 0 && bytes == samples * format.nBlockAlign);
    position += samples;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) {
    return 0;
  }
  PAVISTREAM video = nullptr;
  if (vfwtest::OpenStreamFromMemory(data, size, streamtypeVIDEO, 0, &video) == AVIERR_OK) {
    ReadEveryFrame(video);
    Check(AVIStreamRelease(video) == 0);
  }
  PAVISTREAM sound = nullptr;
  if (vfwtest::OpenStreamFromMemory(data, size, streamtypeAUDIO, 0, &sound) == AVIERR_OK) {
    ReadEverySample(sound);
    Check(AVIStreamRelease(sound) == 0);
  }
  return 0;
}
