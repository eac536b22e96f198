// The engine's first frame on a window: opens the engine on a window of
// class "RwAppClass", then every frame clears, prints the frame number with
// the charset, draws an immediate-mode triangle and presents, following the
// window's size, until the window closes or the frame count is reached; then
// shuts everything down. Options:
//   -frames N        stop after N frames (default: run until the window closes)
//   -resize-at F     resize the window at frame F
//   -lose-device-at F  mark the device lost before frame F is presented
//   -vsync           wait for vertical sync
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/win/win32.h"

namespace {

constexpr char kClassName[] = "RwAppClass";
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

struct Options {
  long frames = 0;
  long resizeAt = -1;
  long loseDeviceAt = -1;
  bool vsync = false;
};

struct Scene {
  HWND window = nullptr;
  RwCamera* camera = nullptr;
  RwFrame* frame = nullptr;
  RtCharset* charset = nullptr;
};

LRESULT WINAPI WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

Options ParseOptions(const char* commandLine) {
  Options options;
  const char* p = commandLine != nullptr ? commandLine : "";
  while (*p != '\0') {
    while (*p == ' ') {
      p++;
    }
    char word[32] = {};
    size_t length = 0;
    while (p[length] != '\0' && p[length] != ' ' && length + 1 < sizeof word) {
      word[length] = p[length];
      length++;
    }
    p += length;
    while (*p == ' ') {
      p++;
    }
    const long value = std::strtol(p, nullptr, 10);
    if (std::strcmp(word, "-frames") == 0) {
      options.frames = value;
    } else if (std::strcmp(word, "-resize-at") == 0) {
      options.resizeAt = value;
    } else if (std::strcmp(word, "-lose-device-at") == 0) {
      options.loseDeviceAt = value;
    } else if (std::strcmp(word, "-vsync") == 0) {
      options.vsync = true;
      continue;
    } else if (length == 0) {
      break;
    }
    while (*p != '\0' && *p != ' ') {
      p++;
    }
  }
  return options;
}

HWND OpenWindow(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) {
    return nullptr;
  }
  RECT rect = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowExA(0, kClassName, "Tessarak Volde: first frame", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance,
                         nullptr);
}

bool OpenEngine(Scene* scene) {
  if (!RwD3D8DriverInstall() || !RwEngineInit(nullptr, 0, 4 << 20)) {
    return false;
  }
  RwEngineOpenParams params = {scene->window};
  if (!RwEngineOpen(&params)) {
    RwEngineTerm();
    return false;
  }
  // Mode 0 is the desktop in a window when the adapter can render windowed.
  if (!RwEngineSetVideoMode(0) || !RwEngineStart()) {
    RwEngineClose();
    RwEngineTerm();
    return false;
  }
  const RwRGBA white = {255, 255, 255, 255};
  const RwRGBA transparent = {0, 0, 0, 0};
  scene->camera = RwCameraCreate();
  scene->frame = RwFrameCreate();
  if (!RtCharsetOpen() || (scene->charset = RtCharsetCreate(&white, &transparent)) == nullptr ||
      scene->camera == nullptr || scene->frame == nullptr) {
    return false;
  }
  RwCameraSetFrame(scene->camera, scene->frame);
  RwCameraSetNearClipPlane(scene->camera, 0.1f);
  RwCameraSetFarClipPlane(scene->camera, 100.0f);
  return true;
}

void DestroyCameraRasters(RwCamera* camera) {
  if (camera->frameBuffer != nullptr) {
    RwRasterDestroy(camera->frameBuffer);
  }
  if (camera->zBuffer != nullptr) {
    RwRasterDestroy(camera->zBuffer);
  }
  RwCameraSetRaster(camera, nullptr);
  RwCameraSetZRaster(camera, nullptr);
}

void CloseEngine(Scene* scene) {
  if (scene->charset != nullptr) {
    RtCharsetDestroy(scene->charset);
  }
  RtCharsetClose();
  if (scene->camera != nullptr) {
    DestroyCameraRasters(scene->camera);
    RwCameraDestroy(scene->camera);
  }
  if (scene->frame != nullptr) {
    RwFrameDestroy(scene->frame);
  }
  RwEngineStop();
  RwEngineClose();
  RwEngineTerm();
}

// The camera's rasters follow the window's client area; false while the
// window has none (minimised).
bool FitCameraRasters(Scene* scene) {
  RECT client;
  if (!GetClientRect(scene->window, &client) || client.right <= 0 || client.bottom <= 0) {
    return false;
  }
  RwCamera* camera = scene->camera;
  if (camera->frameBuffer != nullptr && camera->frameBuffer->width == client.right &&
      camera->frameBuffer->height == client.bottom) {
    return true;
  }
  DestroyCameraRasters(camera);
  RwCameraSetRaster(camera, RwRasterCreate(client.right, client.bottom, 0, rwRASTERTYPECAMERA));
  RwCameraSetZRaster(camera, RwRasterCreate(client.right, client.bottom, 0, rwRASTERTYPEZBUFFER));
  return camera->frameBuffer != nullptr && camera->zBuffer != nullptr;
}

void DrawTriangle(long number) {
  const RwReal shift = static_cast<RwReal>(number % 120) / 60.0f - 1.0f;
  const RwV3d corners[3] = {{shift - 1.0f, -1.0f, 6.0f}, {shift + 1.0f, -1.0f, 6.0f}, {shift, 1.0f, 6.0f}};
  const RwUInt32 colours[3] = {0xFFFF4040u, 0xFF40FF40u, 0xFF4040FFu};
  RwIm3DVertex triangle[3] = {};
  for (int i = 0; i < 3; i++) {
    triangle[i].objVertex = corners[i];
    triangle[i].color = colours[i];
  }
  RwRenderStateSet(kRwRenderStateCullMode, reinterpret_cast<void*>(static_cast<intptr_t>(1)));
  RwRenderStateSet(kRwRenderStateTextureRaster, nullptr);
  if (RwIm3DTransform(triangle, 3, nullptr, 0) != nullptr) {
    RwIm3DRenderPrimitive(kRwPrimTypeTriList);
    RwIm3DEnd();
  }
}

// One frame; true when it was shown.
bool DrawFrame(Scene* scene, long number, const Options& options) {
  if (!FitCameraRasters(scene)) {
    return false;
  }
  RwRGBA background = {0x18, 0x28, 0x48, 0xFF};
  RwCameraClear(scene->camera, &background, kRwCameraClearImage | kRwCameraClearZ);
  if (RwCameraBeginUpdate(scene->camera) != nullptr) {
    DrawTriangle(number);
    char text[64];
    std::snprintf(text, sizeof text, "Frame %ld", number);
    RtCharsetPrint(scene->charset, text, 8, 8);
    std::snprintf(text, sizeof text, "%dx%d", scene->camera->frameBuffer->width, scene->camera->frameBuffer->height);
    RtCharsetPrint(scene->charset, text, 8, 26);
    RwCameraEndUpdate(scene->camera);
  }
  if (number == options.loseDeviceAt) {
    d3d8test::InjectDeviceLoss(RwD3D8GetCurrentD3DDevice(), true);
  }
  return RwRasterShowRaster(scene->camera->frameBuffer, scene->window, options.vsync ? 1 : 0) != nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  const Options options = ParseOptions(commandLine);
  Scene scene;
  scene.window = OpenWindow(instance);
  if (scene.window == nullptr) {
    std::fprintf(stderr, "first_frame: no window\n");
    return 1;
  }
  if (!OpenEngine(&scene)) {
    std::fprintf(stderr, "first_frame: the engine did not start\n");
    CloseEngine(&scene);
    DestroyWindow(scene.window);
    return 1;
  }
  ShowWindow(scene.window, showCommand);
  long shown = 0;
  long number = 0;
  bool running = true;
  while (running && (options.frames <= 0 || number < options.frames)) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        running = false;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (!running) {
      break;
    }
    if (number == options.resizeAt) {
      RECT rect = {0, 0, kClientWidth * 3 / 4, kClientHeight * 3 / 4};
      AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
      SetWindowPos(scene.window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    }
    shown += DrawFrame(&scene, number, options) ? 1 : 0;
    number++;
  }
  CloseEngine(&scene);
  if (running) {
    DestroyWindow(scene.window);
  }
  std::printf("first_frame: %ld frames, %ld shown\n", number, shown);
  return 0;
}
