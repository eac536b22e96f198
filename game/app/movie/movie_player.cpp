// The movie player's loop: the frame for the elapsed time decoded, copied
// into a texture raster, drawn scaled over the screen and presented, while
// the keyboard is polled and the sound ring kept fed.
#include "game/app/movie/movie_player.h"

#include "engine/engine.h"
#include "game/app/startup/app_config.h"
#include "game/app/app_hooks.h"
#include "game/app/input/direct_input.h"
#include "game/app/frame_tick.h"
#include "game/app/movie/movie_wave_out.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "platform/vfw/vfw.h"

namespace {

constexpr char kVideoOpenFailed[] = "Failed to open video steam\n";
constexpr char kFrameOpenFailed[] = "Failed to open get frame\n";
constexpr char kSoundOpenFailed[] = "Failed to load sound stream\n";
constexpr char kRasterErrorText[] = "Raster error: height, width or depth!";
constexpr char kRasterErrorCaption[] = "Movie not played!";

constexpr RwInt32 kMovieRasterDepth = 32;
constexpr u32 kFrameBytesPerPixel = 3;
constexpr u32 kRasterBytesPerPixel = 4;
constexpr RwUInt8 kOpaqueAlpha = 255;

// The frame for the time since the start; -1 once the movie is over. Kept
// in floating point until compared with the length, so a fast rate over a
// long time cannot overflow the frame number.
s32 FrameAt(u32 elapsedMs, double framesPerSecond, s32 length) {
  const double frame = elapsedMs * 0.001 * framesPerSecond;
  return frame < length ? static_cast<s32>(frame) : -1;
}

// At most one waiting wave-out message of the window, to the sound ring.
void TakeWaveOutMessage(HWND window) {
  MSG message;
  if (PeekMessageA(&message, window, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE)) {
    OnWaveOutMessage(window, message.message, message.wParam);
  }
}

// The bitmap's rows, the top one first, become the raster's rows: blue,
// green, red and opaque alpha. Bitmap rows are padded to 4 bytes.
void CopyFrame(const BITMAPINFOHEADER* bitmap, RwRaster* raster) {
  const u32 width = static_cast<u32>(bitmap->biWidth);
  const u32 height = static_cast<u32>(bitmap->biHeight);
  const u32 frameStride = (width * kFrameBytesPerPixel + 3) & ~3u;
  const RwUInt8* rows = reinterpret_cast<const RwUInt8*>(bitmap + 1);
  for (u32 y = 0; y < height; y++) {
    const RwUInt8* from = rows + static_cast<size_t>(height - 1 - y) * frameStride;
    RwUInt8* to = raster->pixels + static_cast<size_t>(y) * static_cast<size_t>(raster->stride);
    for (u32 x = 0; x < width; x++) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = kOpaqueAlpha;
      from += kFrameBytesPerPixel;
      to += kRasterBytesPerPixel;
    }
  }
}

// The raster stretched over the active target (the stack's own while no
// screen is active) and the frame presented.
void DrawFrame(RwRaster* raster) {
  if (gScreenStack == nullptr) {
    return;
  }
  RwRaster* target = gScreenStack->GetActiveTarget()->GetColourRaster();
  if (target == nullptr || RwRasterPushContext(target) == nullptr) {
    return;
  }
  const RwRect rect = {0, 0, static_cast<RwInt32>(gAppConfig.width) - 1, static_cast<RwInt32>(gAppConfig.height) - 1};
  RwRasterRenderScaled(raster, &rect);
  PresentScreen();
  RwRasterPopContext();
}

// Shows one frame. A raster that cannot be had or locked skips the frame; one
// the driver made of another size or depth than the frame ends the movie.
void ShowFrame(HWND window, const BITMAPINFOHEADER* bitmap) {
  RwRaster* raster = RwRasterCreate(bitmap->biWidth, bitmap->biHeight, kMovieRasterDepth, rwRASTERTYPETEXTURE);
  if (raster == nullptr) {
    return;
  }
  if (RwRasterLock(raster, 0, rwRASTERLOCKWRITE) == nullptr) {
    RwRasterDestroy(raster);
    return;
  }
  const bool matches =
      raster->width == bitmap->biWidth && raster->height == bitmap->biHeight && raster->depth == kMovieRasterDepth;
  if (matches) {
    CopyFrame(bitmap, raster);
  } else {
    MessageBoxA(window, kRasterErrorText, kRasterErrorCaption, MB_OK);
    gMovieSkip = 1;
  }
  RwRasterUnlock(raster);
  if (matches) {
    DrawFrame(raster);
  }
  RwRasterDestroy(raster);
}

// The video stream's frame reader and its frames a second; null, traced,
// when the stream cannot be played (a rate or scale of 0 has no frame time).
PGETFRAME OpenFrames(PAVISTREAM video, double* framesPerSecond) {
  AVISTREAMINFOA info;
  if (AVIStreamInfoA(video, &info, sizeof(info)) != AVIERR_OK) {
    return nullptr;
  }
  if (info.dwRate == 0 || info.dwScale == 0) {
    DebugTrace(kVideoOpenFailed);
    return nullptr;
  }
  PGETFRAME frames = AVIStreamGetFrameOpen(video, nullptr);
  if (frames == nullptr) {
    DebugTrace(kFrameOpenFailed);
    return nullptr;
  }
  *framesPerSecond = static_cast<double>(info.dwRate) / info.dwScale;
  return frames;
}

// The sound stream of the file started on the wave-out device; null when the
// file has none (the movie plays silent).
PAVISTREAM StartSound(HWND window, const char* path) {
  PAVISTREAM sound = nullptr;
  if (AVIStreamOpenFromFileA(&sound, path, streamtypeAUDIO, 0, OF_READ, nullptr) != AVIERR_OK) {
    DebugTrace(kSoundOpenFailed);
    return nullptr;
  }
  AVISTREAMINFOA info;
  if (AVIStreamInfoA(sound, &info, sizeof(info)) == AVIERR_OK) {
    const s32 start = static_cast<s32>(info.dwStart);
    PlayWaveAudio(window, sound, start, start + static_cast<s32>(info.dwLength));
  }
  return sound;
}

// Frames until the end, a skip key or an unreadable frame.
void RunFrames(HWND window, PAVISTREAM video, PGETFRAME frames, double framesPerSecond) {
  const LONG first = AVIStreamStart(video);
  const s32 length = AVIStreamLength(video);
  const u32 startMs = GetTimeMs();
  gMovieSkip = 0;
  for (;;) {
    const s32 frame = FrameAt(GetTimeMs() - startMs, framesPerSecond, length);
    PollDirectInputKeyboard();
    TakeWaveOutMessage(window);
    if (gMovieSkip != 0 || frame < 0) {
      return;
    }
    const BITMAPINFOHEADER* bitmap = static_cast<const BITMAPINFOHEADER*>(AVIStreamGetFrame(frames, first + frame));
    if (bitmap == nullptr) {
      return;
    }
    ShowFrame(window, bitmap);
  }
}

}  // namespace

void PlayMovieFile(HWND window, const char* path) {
  AVIFileInit();
  PAVISTREAM video = nullptr;
  if (AVIStreamOpenFromFileA(&video, path, streamtypeVIDEO, 0, OF_READ, nullptr) != AVIERR_OK) {
    DebugTrace(kVideoOpenFailed);
    AVIFileExit();
    return;
  }
  double framesPerSecond = 0.0;
  PGETFRAME frames = OpenFrames(video, &framesPerSecond);
  if (frames != nullptr) {
    PAVISTREAM sound = StartSound(window, path);
    RunFrames(window, video, frames, framesPerSecond);
    StopWaveOut();
    AVIStreamGetFrameClose(frames);
    AVIStreamRelease(sound);
  }
  AVIStreamRelease(video);
  AVIFileExit();
}

void RunMoviePlayer(HWND window, HDC /*dc*/, const char* path, const RECT* /*rect*/) { PlayMovieFile(window, path); }

void MovieWaveOutMessage(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  OnWaveOutMessage(window, message, wParam);
}
