// The movie's wave-out ring: header blocks in moveable global memory, filled
// from the sound stream and refilled as the device hands them back.
#include "game/app/movie/movie_wave_out.h"

#include <cstring>

namespace {

// A format record larger than this is not a sound format.
constexpr LONG kMaxFormatBytes = 0x10000;

struct tWaveOutState {
  HWAVEOUT device;  // null when closed
  HWND window;      // receives the device's messages
  u32 playing;      // 1 between start and stop
  PAVISTREAM stream;
  s32 sampleSize;  // bytes, 1..kWaveBufferBytes
  u32 samplesPerSecond;
  u32 bytesPerSecond;
  WAVEHDR* headers[kMaxWaveBuffers];  // each at the start of its locked block
  u32 bufferCount;                    // headers prepared
  u32 queued;                         // handed to the device, not yet back
  u32 nextBuffer;                     // the next header to fill
  s32 position;                       // samples of the stream
  s32 endPosition;
  s32 loopStart;
  u32 loop;  // 0: the sound plays once
};

tWaveOutState sWave = {};

// The stream's sound format into format; false when it cannot be read. The
// record is read whole into a block of its own size, which may be larger
// than the part the device needs.
bool ReadWaveFormat(PAVISTREAM stream, WAVEFORMATEX* format) {
  LONG size = 0;
  if (AVIStreamReadFormat(stream, 0, nullptr, &size) != AVIERR_OK || size <= 0 || size > kMaxFormatBytes) {
    return false;
  }
  const SIZE_T blockSize = size < static_cast<LONG>(sizeof(WAVEFORMATEX)) ? sizeof(WAVEFORMATEX) : size;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, blockSize);
  if (block == nullptr) {
    return false;
  }
  bool read = false;
  void* record = GlobalLock(block);
  if (record != nullptr) {
    read = AVIStreamReadFormat(stream, 0, record, &size) == AVIERR_OK;
    memcpy(format, record, sizeof(WAVEFORMATEX));
    GlobalUnlock(block);
  }
  GlobalFree(block);
  return read;
}

bool OpenDevice(HWND window, const WAVEFORMATEX& format) {
  const DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(window);
  if (waveOutOpen(&sWave.device, WAVE_MAPPER, &format, callback, 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR) {
    return true;
  }
  // A system sound may hold the device.
  sndPlaySoundA(nullptr, 0);
  if (waveOutOpen(&sWave.device, WAVE_MAPPER, &format, callback, 0, CALLBACK_WINDOW) == MMSYSERR_NOERROR) {
    return true;
  }
  sWave.device = nullptr;
  return false;
}

// One header block, locked and prepared; null when it cannot be had.
WAVEHDR* PrepareHeader() {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, kWaveBlockBytes);
  if (block == nullptr) {
    return nullptr;
  }
  WAVEHDR* header = static_cast<WAVEHDR*>(GlobalLock(block));
  if (header == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  memset(header, 0, sizeof(WAVEHDR));
  header->lpData = reinterpret_cast<LPSTR>(header + 1);
  header->dwBufferLength = kWaveBufferBytes;
  header->dwFlags = WHDR_DONE;
  if (waveOutPrepareHeader(sWave.device, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
    GlobalUnlock(block);
    GlobalFree(block);
    return nullptr;
  }
  return header;
}

void FreeHeader(WAVEHDR* header) {
  waveOutUnprepareHeader(sWave.device, header, sizeof(WAVEHDR));
  HGLOBAL block = GlobalHandle(header);
  GlobalUnlock(block);
  GlobalFree(block);
}

}  // namespace

bool OpenWaveOut(HWND window, PAVISTREAM stream) {
  if (stream == nullptr) {
    return false;
  }
  if (sWave.device != nullptr) {
    return true;
  }
  AVISTREAMINFOA info;
  if (AVIStreamInfoA(stream, &info, sizeof(info)) != AVIERR_OK || info.dwSampleSize < 1 ||
      info.dwSampleSize > kWaveBufferBytes) {
    return false;
  }
  WAVEFORMATEX format;
  if (!ReadWaveFormat(stream, &format) || !OpenDevice(window, format)) {
    return false;
  }
  sWave.window = window;
  sWave.stream = stream;
  sWave.sampleSize = static_cast<s32>(info.dwSampleSize);
  sWave.samplesPerSecond = format.nSamplesPerSec;
  sWave.bytesPerSecond = format.nAvgBytesPerSec;
  sWave.bufferCount = 0;
  while (sWave.bufferCount < kMaxWaveBuffers) {
    WAVEHDR* header = PrepareHeader();
    if (header == nullptr) {
      break;
    }
    sWave.headers[sWave.bufferCount++] = header;
  }
  if (sWave.bufferCount < kMinWaveBuffers) {
    CloseWaveOut();
    return false;
  }
  sWave.queued = 0;
  sWave.nextBuffer = 0;
  sWave.playing = 0;
  return true;
}

bool PlayWaveAudio(HWND window, PAVISTREAM stream, s32 start, s32 end) {
  if (stream == nullptr) {
    return false;
  }
  if (start < 0) {
    start = AVIStreamStart(stream);
  }
  if (end < 0) {
    end = AVIStreamStart(stream) + AVIStreamLength(stream);
  }
  if (start >= end || !OpenWaveOut(window, stream)) {
    return false;
  }
  if (sWave.playing == 0) {
    waveOutPause(sWave.device);
    sWave.loopStart = start;
    sWave.position = start;
    sWave.playing = 1;
  }
  sWave.endPosition = end;
  FillWaveBuffers();
  // The fill stops the device when there is nothing left to play.
  if (sWave.device != nullptr) {
    waveOutRestart(sWave.device);
  }
  return true;
}

bool FillWaveBuffers() {
  if (sWave.playing == 0) {
    return true;
  }
  while (sWave.queued < sWave.bufferCount) {
    if (sWave.position >= sWave.endPosition) {
      if (sWave.loop == 0) {
        if (sWave.queued == 0) {
          StopWaveOut();
        }
        return true;
      }
      sWave.position = sWave.loopStart;
    }
    const s32 fit = static_cast<s32>(kWaveBufferBytes) / sWave.sampleSize;
    const s32 count = sWave.endPosition - sWave.position < fit ? sWave.endPosition - sWave.position : fit;
    WAVEHDR* header = sWave.headers[sWave.nextBuffer];
    LONG bytes = 0;
    LONG samples = 0;
    if (AVIStreamRead(sWave.stream, sWave.position, count, header->lpData, kWaveBufferBytes, &bytes, &samples) !=
            AVIERR_OK ||
        samples < count) {
      return false;
    }
    header->dwBufferLength = static_cast<DWORD>(bytes);
    sWave.position += count;
    if (waveOutWrite(sWave.device, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      return false;
    }
    sWave.queued++;
    sWave.nextBuffer = (sWave.nextBuffer + 1) % sWave.bufferCount;
  }
  if (sWave.queued == 0 && sWave.position >= sWave.endPosition) {
    StopWaveOut();
  }
  return true;
}

void StopWaveOut() {
  if (sWave.device == nullptr) {
    return;
  }
  waveOutReset(sWave.device);
  sWave.playing = 0;
  CloseWaveOut();
}

void CloseWaveOut() {
  if (sWave.device == nullptr) {
    return;
  }
  while (sWave.bufferCount > 0) {
    FreeHeader(sWave.headers[--sWave.bufferCount]);
  }
  waveOutClose(sWave.device);
  sWave.device = nullptr;
  sWave.queued = 0;
  sWave.stream = nullptr;
  // The reset's MM_WOM_DONE messages name headers now freed; left queued,
  // the next device would count them as its own.
  MSG message;
  while (PeekMessageA(&message, sWave.window, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE)) {
  }
}

void OnWaveOutMessage(HWND /*window*/, UINT message, WPARAM wParam) {
  if (message != MM_WOM_DONE || sWave.playing == 0 || wParam != reinterpret_cast<WPARAM>(sWave.device) ||
      sWave.queued == 0) {
    return;
  }
  sWave.queued--;
  FillWaveBuffers();
}

bool IsWaveOutPlaying() { return sWave.playing != 0; }

u32 GetWaveOutQueued() { return sWave.queued; }
