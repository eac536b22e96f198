// Engine open and close, plugin attach and the video-mode choice.
#include "game/app/startup/engine_start.h"

#include "game/app/app_events.h"
#include "game/app/app_hooks.h"
#include "game/app/pak_file.h"
#include "game/app/small_block_pool.h"
#include "game/app/startup/app_config.h"
#include "game/app/startup/device_dialog.h"
#include "game/app/startup/main_window.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/memory.h"
#include "game/render/models/atomic_plugin.h"

RwSubSystemInfo gAdapters[kMaxAdapters];
u32 gAdapterCount = 0;
s32 gCurrentAdapter = 0;
s32 gChosenVideoMode = 0;

namespace {

constexpr char kPackFileName[] = "data.pak";
// The first file the game reads: a folder without it holds no game data.
constexpr char kFolderConfigFile[] = "data\\config.txt";
constexpr s32 kColourDepth = 32;

tDisplayDriverInstall sDisplayDriverInstall = RwD3D8DriverInstall;
tEngineLifeObserver sLifeObserver = nullptr;

void TellLifeObserver(bool stopping) {
  if (sLifeObserver != nullptr) {
    sLifeObserver(stopping);
  }
}

bool Raised(u32 code) { return AppEventHandler(code, 0) != kAppEventFailed; }

// A pack that is there but cannot be mounted is reported at once, naming
// it, rather than through the first file the game then fails to read. A file
// that is no pack at all leaves every file to the folder, as before, unless
// the folder holds no game data either.
void ReportUnusablePack() {
  const char* failure = cPakFile::GetMountFailure();
  if (failure == nullptr || cPakFile::GetMounted() != nullptr) {
    return;
  }
  const RwFileFunctions* files = RwEngineGetFileInterface();
  const bool folderServes = files != nullptr && files->rwfexist != nullptr && files->rwfexist(kFolderConfigFile);
  if (!cPakFile::MountFoundNoPack() || !folderServes) {
    FatalError("Damaged file: %s (%s)", kPackFileName, failure);
  }
  DebugTrace("%s is not used: %s\n", kPackFileName, failure);
}

bool ReadAdapters() {
  const RwInt32 count = RwEngineGetNumSubSystems();
  if (count <= 0) {
    return false;
  }
  gAdapterCount = count > static_cast<RwInt32>(kMaxAdapters) ? kMaxAdapters : static_cast<u32>(count);
  for (u32 i = 0; i < gAdapterCount; i++) {
    if (RwEngineGetSubSystemInfo(&gAdapters[i], static_cast<RwInt32>(i)) == nullptr) {
      gAdapters[i].name[0] = '\0';
    }
    // The dialog lists the names as texts, whatever the driver wrote.
    gAdapters[i].name[sizeof(gAdapters[i].name) - 1] = '\0';
  }
  return true;
}

RwTexDictionary* DestroyTexDictionaryCB(RwTexDictionary* dictionary, void*) {
  // The walk has taken the next dictionary already.
  RwTexDictionaryDestroy(dictionary);
  return dictionary;
}

}  // namespace

void SetEngineLifeObserver(tEngineLifeObserver observer) { sLifeObserver = observer; }

void SetDisplayDriverInstall(tDisplayDriverInstall install) {
  sDisplayDriverInstall = install != nullptr ? install : RwD3D8DriverInstall;
}

bool OpenCharsetModule() { return RtCharsetOpen() != FALSE; }

void CloseCharsetModule() { RtCharsetClose(); }

void DestroyAllTexDictionaries() { RwTexDictionaryForAll(DestroyTexDictionaryCB, nullptr); }

bool OpenEngineAndPack(void* window) {
  if (!OpenEngine(window)) {
    return false;
  }
  MountPackFile(kPackFileName);
  ReportUnusablePack();
  return true;
}

void CloseEngineAndPack() {
  cPakFile::Shutdown();
  CloseEngine();
}

bool OpenEngine(void* window) {
  if (!sDisplayDriverInstall() || !RwEngineInit(InstallMemoryHooks(), 0, kResourceArenaSize)) {
    DebugTrace("OpenEngine : RwEngineInit failed\n");
    return false;
  }
  AppEventHandler(kAppEventDebugInitialise, 0);
  if (!Raised(kAppEventPluginAttach) || !Raised(kAppEventInputDevices)) {
    DebugTrace("OpenEngine : plugin attach or input devices failed\n");
    RwEngineTerm();
    return false;
  }
  RwEngineOpenParams params = {window};
  if (!RwEngineOpen(&params)) {
    DebugTrace("OpenEngine : RwEngineOpen failed\n");
    RwEngineTerm();
    return false;
  }
  if (!Raised(kAppEventSelectDevice) || !RwEngineStart()) {
    DebugTrace("OpenEngine : device selection or RwEngineStart failed\n");
    RwEngineClose();
    RwEngineTerm();
    return false;
  }
  AppEventHandler(kAppEventImageReaders, 0);
  if (!OpenCharsetModule()) {
    DebugTrace("OpenEngine : charset open failed\n");
    RwEngineStop();
    RwEngineClose();
    RwEngineTerm();
    return false;
  }
  CreateSmallBlockPools();
  SetEngineOpenFlag(true);
  TellLifeObserver(false);
  return true;
}

bool CloseEngine() {
  CloseCharsetModule();
  DestroyAllTexDictionaries();
  TellLifeObserver(true);
  // The device's stop frees the display driver's objects, some of them made
  // while the small-block pools were on: the engine's free still takes them.
  RwEngineStop();
  // From here on operator new and delete use the C runtime, never an engine
  // that is closing or gone.
  SetEngineOpenFlag(false);
  RwEngineClose();
  DestroySmallBlockPools();
  RwEngineTerm();
  return true;
}

bool AttachPlugins() {
  // In this order, stopping at the first failure: world module, animation
  // toolkit, hierarchical animation, collision, skinning, material effects,
  // random numbers, splines, user data, potentially visible sets,
  // level-of-detail atomics, the game's atomic plugin, morph, delta morph.
  // The engine core attaches its own modules; each of these joins the list
  // when it is built.
  if (!RpWorldPluginAttach()) {
    return false;
  }
  if (!RtAnimPluginAttach() || !RpHAnimPluginAttach()) {
    return false;
  }
  if (!RpCollisionPluginAttach()) {
    return false;
  }
  if (!RpSkinPluginAttach()) {
    return false;
  }
  if (!RpMatFXPluginAttach()) {
    return false;
  }
  if (!RpRandomPluginAttach()) {
    return false;
  }
  if (!RpSplinePluginAttach()) {
    return false;
  }
  if (!RpUserDataPluginAttach()) {
    return false;
  }
  if (!RpPVSPluginAttach()) {
    return false;
  }
  if (!RpLODAtomicPluginAttach()) {
    return false;
  }
  if (!RegisterAtomicPlugin()) {
    return false;
  }
  if (!RpMorphPluginAttach()) {
    return false;
  }
  if (!RpDMorphPluginAttach()) {
    return false;
  }
  return true;
}

s32 cEngineVideoModes::GetCount() const { return RwEngineGetNumVideoModes(); }

bool cEngineVideoModes::GetMode(s32 index, RwVideoMode* mode) const {
  return RwEngineGetVideoModeInfo(mode, index) != nullptr;
}

bool cVideoModeArray::GetMode(s32 index, RwVideoMode* mode) const {
  if (index < 0 || index >= mCount) {
    return false;
  }
  *mode = mModes[index];
  return true;
}

s32 FindModeInTable(const cVideoModeTable& table, s32 width, s32 height, s32 depth) {
  // The windowed mode has the desktop's size and stands first: a full-screen
  // mode of the same size is what the size asks for.
  s32 windowed = -1;
  const s32 count = table.GetCount();
  for (s32 i = 0; i < count; i++) {
    RwVideoMode mode;
    if (!table.GetMode(i, &mode) || mode.width != width || mode.height != height || mode.depth != depth) {
      continue;
    }
    if ((mode.flags & kRwVideoModeExclusive) != 0) {
      return i;
    }
    if (windowed < 0) {
      windowed = i;
    }
  }
  return windowed;
}

s32 FindVideoMode(s32 width, s32 height, s32 depth) {
  return FindModeInTable(cEngineVideoModes(), width, height, depth);
}

tVideoModeChoice ChooseVideoMode(const cVideoModeTable& table, bool low, bool medium) {
  tVideoModeChoice choice = {-1, false, false};
  choice.mode = FindModeInTable(table, 1024, 768, kColourDepth);
  if (medium || choice.mode < 0) {
    choice.mode = FindModeInTable(table, 800, 600, kColourDepth);
    if (choice.mode < 0 && !low) {
      choice.warnNotFound = true;
    }
  }
  if (low || choice.mode < 0) {
    choice.mode = FindModeInTable(table, 640, 480, kColourDepth);
    if (choice.mode < 0) {
      choice.minimalNotFound = true;
    }
  }
  return choice;
}

bool SelectVideoMode() {
  if (!ReadAdapters()) {
    return false;
  }
  const tVideoModeChoice choice = ChooseVideoMode(cEngineVideoModes(), gOptionLow != 0, gOptionMedium != 0);
  if (choice.warnNotFound) {
    MessageBoxA(nullptr, kResolutionMissingText, kResolutionMissingCaption, MB_OK);
  }
  if (choice.minimalNotFound) {
    MessageBoxA(nullptr, kMinimalResolutionMissingText, kResolutionMissingCaption, MB_OK);
    AbortProcess();
  }
  gChosenVideoMode = choice.mode;
  if (gOptionSelectScreen != 0 && RunDeviceDialog(gAppWindow.window) <= 0) {
    return false;
  }
  SetCursorVisible(FALSE);
  if (!RwEngineSetSubSystem(gCurrentAdapter) || !RwEngineSetVideoMode(gChosenVideoMode)) {
    return false;
  }
  RwVideoMode mode;
  if (RwEngineGetVideoModeInfo(&mode, RwEngineGetCurrentVideoMode()) != nullptr &&
      (mode.flags & kRwVideoModeExclusive) != 0) {
    gAppConfig.width = static_cast<u32>(mode.width);
    gAppConfig.height = static_cast<u32>(mode.height);
    gAppWindow.fullScreen = 1;
  }
  return true;
}
