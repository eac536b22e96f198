// Opening and closing the rendering engine: the memory hooks, the plugins,
// the adapter and video mode (with the optional device dialog), the image
// readers, the small-block pools and the pack file.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

constexpr u32 kResourceArenaSize = 0x400000;
constexpr u32 kMaxAdapters = 16;

// The adapters the engine reported, the one in use and the chosen mode.
extern RwSubSystemInfo gAdapters[kMaxAdapters];
extern u32 gAdapterCount;
extern s32 gCurrentAdapter;
extern s32 gChosenVideoMode;

// OpenEngine, then the pack file "data.pak" mounted; false when the engine
// did not open.
bool OpenEngineAndPack(void* window);
// The pack file unmounted, then CloseEngine.
void CloseEngineAndPack();

// What OpenEngine calls before RwEngineInit to install the engine's display
// driver: RwD3D8DriverInstall unless replaced (tests install a fake device
// through it); null restores it.
typedef RwBool (*tDisplayDriverInstall)(void);
void SetDisplayDriverInstall(tDisplayDriverInstall install);

bool OpenEngine(void* window);
bool CloseEngine();
// Told at the end of a successful OpenEngine (stopping false: the engine and
// the pools are up, the game has made nothing yet) and in CloseEngine once
// the game's objects and every texture dictionary are gone, right before the
// engine stops (stopping true): whatever the engine holds then beyond what
// it held at the start is a leak (tests count it). Null: no one is told.
typedef void (*tEngineLifeObserver)(bool stopping);
void SetEngineLifeObserver(tEngineLifeObserver observer);
// The engine's charset toolkit (its text batching buffers), opened after the
// engine starts and closed before it stops.
bool OpenCharsetModule();
void CloseCharsetModule();
// Every texture dictionary destroyed (with its textures) before the engine
// stops.
void DestroyAllTexDictionaries();

// Engine plugins attached in their fixed order; false at the first failure.
bool AttachPlugins();
bool SelectVideoMode();

// A list of video modes to choose from: the engine's or a plain array.
class cVideoModeTable {
 public:
  virtual ~cVideoModeTable() {}
  virtual s32 GetCount() const = 0;
  virtual bool GetMode(s32 index, RwVideoMode* mode) const = 0;
};

class cEngineVideoModes : public cVideoModeTable {
 public:
  s32 GetCount() const override;
  bool GetMode(s32 index, RwVideoMode* mode) const override;
};

class cVideoModeArray : public cVideoModeTable {
 public:
  cVideoModeArray(const RwVideoMode* modes, s32 count) : mModes(modes), mCount(count) {}
  s32 GetCount() const override { return mCount; }
  bool GetMode(s32 index, RwVideoMode* mode) const override;

 private:
  const RwVideoMode* mModes;
  s32 mCount;
};

// Index of the first full-screen mode of that size and depth, else of the
// first windowed one; -1 when none matches.
s32 FindModeInTable(const cVideoModeTable& table, s32 width, s32 height, s32 depth);
// The same over the engine's modes.
s32 FindVideoMode(s32 width, s32 height, s32 depth);

// What the start-up picks from the options: 1024 x 768 x 32, 800 x 600 x 32
// with "-medium" or when that is missing, 640 x 480 x 32 with "-low" or when
// both are missing.
struct tVideoModeChoice {
  s32 mode;              // -1 when none could be had
  bool warnNotFound;     // the requested resolution is missing: tell, try 640 x 480
  bool minimalNotFound;  // 640 x 480 x 32 is missing too: tell, then end
};
tVideoModeChoice ChooseVideoMode(const cVideoModeTable& table, bool low, bool medium);

constexpr char kResolutionMissingText[] = "The resolution you have selected does not exist! Trying 640x480@32 ";
constexpr char kMinimalResolutionMissingText[] = "The minimal resolution 640x480@32 not exist! Exiting...";
constexpr char kResolutionMissingCaption[] = "Resolution not found!";
