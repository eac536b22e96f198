// The scripted runs: the game through its own entry on the demo data, on the
// Direct3D 8 driver (headless), a 40 ms frame at a time on an injected clock,
// played with keys through the Windows stand-in. Each run is a script under
// tests/acceptance/scripts/, one step a line:
//   press <key>...                 each key pressed and released a frame later, four frames apart
//   hold <key> / release <key>     a key held down from this frame, repeating as the system's
//                                  autorepeat does / let go
//   away [<key>...]                the window's focus lost and back within the frame, the keys
//                                  named let go meanwhile (as SDL reports it: every held key
//                                  let go as the focus leaves, one still held pressed anew on return)
//   run <frames>                   frames passed
//   until <check> within <frames>  frames passed until the check holds
//   expect <check>                 the check holds at this frame
//   keep <label> <probe> [<arg>]   a probe's value kept; "$label" in a check reads it
//   damage <health>                set-up: the player loses that much health
//   clock <milliseconds>           the injected clock moved on
//   include <file>                 the steps of another script
//   profile <name> normal|hard [<levels>]  "save.dat" holding the profile, before the start,
//                                  with that many levels completed (0 to 4)
//   place <x> <z> <heading>        set-up: the player stood there, facing the heading (degrees)
//   seed <number>                  the engine's random sequence started again from the number
//   press $<label>                 the key named by a kept value
// A check is "<probe> [<arg>] <op> <value>", op one of == != < > <= >=,
// "starts" (the probe's text begins with the value) and "near" (two pixels
// "RRGGBB" within a few levels in every channel: a lit man's pixel moves a
// little as he breathes).
// Keys are SDL key names (Enter, Shift and Ctrl for the left ones). A movie's
// own loop runs no frames: each 40 ms of its clock is one for the script.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager_internal.h"
#include "game/app/application.h"
#include "game/app/frame_tick.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/small_block_pool.h"
#include "game/app/startup/main_window.h"
#include "game/characters/implants/shield_implant.h"
#include "game/characters/implants/ultra_implant.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/flow/game.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/map/wg_map_view.h"
#include "game/frontend/menus/wg_menu.h"
#include "game/frontend/menus/wg_menu_continue.h"
#include "game/frontend/menus/wg_menu_died.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "game/frontend/menus/wg_menu_pause.h"
#include "game/frontend/panels/wg_searching_panel.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/screens/screen_end.h"
#include "game/frontend/screens/screen_intro.h"
#include "game/frontend/screens/screen_main_menu.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "game/world/devices/opener_device.h"
#include "game/world/devices/searchable.h"
#include "platform/d3d8/d3d8_testing.h"
#include "platform/dsound/dsound_testing.h"
#include "tests/game/app/app_fixture.h"
#include "tests/support/free_list_census.h"
#include "tests/support/scratch_path.h"
#include "tests/support/surface_pixel.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"
#include "tools/forge/command/headless_engine.h"

namespace {

enum eStepKind { kPress, kHold, kRelease, kRun, kUntil, kExpect, kKeep, kDamage, kClock, kPlace, kSeed, kAway };

struct tCheck {
  std::string probe, arg, op, value;
};

struct tStep {
  std::string file;
  eStepKind kind = kRun;
  int line = 0;
  std::string text;
  SDL_Keycode key = SDLK_UNKNOWN;
  int frames = 0;
  tCheck check;
  float number = 0.0f;            // run, damage, clock, seed
  float place[3] = {};            // x, z, heading
  std::vector<SDL_Keycode> keys;  // away: let go meanwhile
};

// Only plain values leave the run: what the game allocates goes with its engine.
struct tRun {
  std::vector<tStep> steps;
  size_t step = 0;
  int frames = -1;  // in the current step; -1 before its start
  std::string failure;
  DWORD now = 100000;
  const void* top = nullptr;
  int topChanges = -1;
  std::map<std::string, std::string> kept;  // kept over the game's restarts
  struct tHeldKey {
    SDL_Keycode key;
    int frames;    // held so far
    bool pressed;  // a press: let go at the next frame
    bool anew;     // held over a focus change: its next repeat is a press to SDL
  };
  std::vector<tHeldKey> held;
  bool quits = false;   // the script's end quits the game itself
  bool closed = false;  // by the harness, at the script's end
  DWORD movieFrame = 0;
  // What the engine held at its stop beyond what it held at its start.
  bool stopped = false;
  u32 leftAlive = 0;
  char leftText[512] = {};
}* sRun = nullptr;

FreeListCensus sEngineStarted;

// The engine's census at its start and, right before it stops, the entries
// the run left alive.
void OnEngineLife(bool stopping) {
  if (!stopping) {
    sEngineStarted.Take();
    return;
  }
  FreeListCensus now;
  now.Take();
  // What the engine and the game's memory hooks hold for themselves until
  // the engine stops: the small-block pools (checked once the engine has
  // closed), the driver's cache of device transforms and the shared
  // vertex-buffer pools of the world pipelines, kept empty until their close.
  const RwFreeList* own[kPoolClassCount + 1 + kRpD3D8VertexBufferManagerFreeLists] = {};
  for (u32 k = 0; k < kPoolClassCount; k++) {
    own[k] = GetPoolFreeList(k);
  }
  own[kPoolClassCount] = _rwD3D8Driver.transformFreeList;
  _rpD3D8VertexBufferManagerFreeLists(own + kPoolClassCount + 1);
  sRun->stopped = true;
  sRun->leftAlive =
      FreeListGrowth(sEngineStarted, now, own, sizeof(own) / sizeof(own[0]), sRun->leftText, sizeof(sRun->leftText));
}

void OnFrame();
const std::thread::id kGameThread = std::this_thread::get_id();

// What the harness keeps past a frame comes from the C runtime while it
// lives, never from the game's small-block pools: the run's end finds them
// empty.
class cOutsidePools {
 public:
  cOutsidePools() : mEnabled(ArePoolsEnabled()) { DisableSmallBlockPools(); }
  ~cOutsidePools() {
    if (mEnabled) {
      EnableSmallBlockPools();
    }
  }
  cOutsidePools(const cOutsidePools&) = delete;
  cOutsidePools& operator=(const cOutsidePools&) = delete;

 private:
  bool mEnabled;
};

// A kept value; empty for none.
std::string Kept(const std::string& label) {
  const auto found = sRun->kept.find(label);
  return found != sRun->kept.end() ? found->second : std::string();
}

// A movie's loop waits on the clock without sleeping: each reading moves it.
DWORD ReadClock(void*) {
  static bool inFrame = false;  // the frame's own readings
  sRun->now += gMoviePlaying != 0 ? 2 : 0;
  if (gMoviePlaying != 0 && !inFrame && sRun->now / 40 != sRun->movieFrame &&
      std::this_thread::get_id() == kGameThread) {
    sRun->movieFrame = sRun->now / 40;
    inFrame = true;
    OnFrame();
    inFrame = false;
  }
  return sRun->now;
}
void Sleep(DWORD milliseconds, void*) { sRun->now += milliseconds + 1; }
HWND Window() { return WinTestFindWindow(kMainWindowClass); }
cGame* Game() { return static_cast<cGame*>(gApplication->GetGame()); }
// The phase screen on top while the game waits in the state that follows it.
template <typename Screen>
Screen* PhaseScreen(u32 state) {
  const bool shown = Game()->GetState() == state && gScreenStack->GetTopScreen() != Game();
  return shown ? static_cast<Screen*>(gScreenStack->GetTopScreen()) : nullptr;
}
cInGame* InGame() { return PhaseScreen<cInGame>(kGameLevelOver); }
cScreen_Intro* Intro() { return PhaseScreen<cScreen_Intro>(kGameMainMenu); }
cScreen_MainMenu* MainMenu() { return PhaseScreen<cScreen_MainMenu>(kGameLoadLevel); }
cScreen_End* EndTexts() { return PhaseScreen<cScreen_End>(kGameEndTextsOver); }
cDorvaMan* Player() { return InGame() != nullptr ? InGame()->GetWorld().GetPlayer() : nullptr; }
cDoor* Door(const std::string& name) {
  cDoor* door = nullptr;
  ForEachClone<cDoor>(InGame()->GetWorld().GetObjectSets(kSetDoors),
                      [&](cDoor* d) { door = d->GetName() == cString(name.c_str()) ? d : door; });
  return door;
}
std::vector<uint8_t> SaveFile() {
  std::ifstream in("save.dat", std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Text(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", value);
  return text;
}

// A probe of the level's objects reads "none" outside a level.
typedef std::function<std::string(const std::string& arg)> tProbe;
tProbe InLevel(tProbe probe) {
  return [probe](const std::string& arg) { return InGame() && Player() ? probe(arg) : std::string("none"); };
}

// The living or fallen NPC of the name; null for none.
cNpc* Npc(const std::string& name) {
  cPtrArray& men = InGame()->GetWorld().GetMen();
  for (u32 i = 1; i < men.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(men.Get(i));
    if (man->GetTypeIndex() >= kManTypeCivilian && man->GetName() == cString(name.c_str())) {
      return static_cast<cNpc*>(man);
    }
  }
  return nullptr;
}
template <typename tImplant>
tImplant* Implant(u32 index) {
  return static_cast<tImplant*>(Player()->GetImplant(index));
}
// The back buffer's pixel at "x,y" (0xRRGGBB), and as hex text.
uint32_t PixelAt(const std::string& at) {
  return BackBufferPixelRgb(RwD3D8GetCurrentD3DDevice(), std::atoi(at.c_str()),
                            std::atoi(at.c_str() + at.find(',') + 1));
}
std::string Hex(uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof(text), "%06x", rgb);
  return text;
}
// A probe of the named NPC ("none" without one).
tProbe OfNpc(std::function<double(cNpc*)> read) {
  return InLevel([read](const std::string& name) { return Npc(name) ? Text(read(Npc(name))) : std::string("none"); });
}

// What a check reads: the game's objects, "save.dat" and the back buffer.
// "none" where the object read is not there.
const std::map<std::string, tProbe>& Probes() {
  static const std::map<std::string, tProbe> probes = {
      {"state", [](const std::string&) { return Text(Game()->GetState()); }},
      {"top.changes", [](const std::string&) { return Text(sRun->topChanges); }},
      {"logo", [](const std::string&) { return Intro() ? Text(Intro()->GetLogoIndex()) : "none"; }},
      {"language", [](const std::string&) {
         return Intro() && Intro()->GetLanguageMenu() ? Text(Intro()->GetLanguageMenu()->IsShown()) : "none";
       }},
      {"item.enabled", [](const std::string& at) {
         cWgMenu_Menu* menu = MainMenu() ? MainMenu()->GetMenu(MainMenu()->GetCurrentMenu()) : nullptr;
         const u32 item = std::atoi(at.c_str());
         return menu && item < menu->GetItemCount() ? Text(menu->GetItem(item)->IsEnabled()) : "none";
       }},
      {"ending", [](const std::string&) { return EndTexts() ? Text(EndTexts()->GetPicture()) : "none"; }},
      {"end.state", [](const std::string&) { return EndTexts() ? Text(EndTexts()->GetState()) : "none"; }},
      {"slot", [](const std::string& at) {  // a line of the continue menu (spaces as '_')
         const auto* list = MainMenu() ? static_cast<cWgMenu_Continue*>(MainMenu()->GetMenu(kMenuContinue)) : nullptr;
         const u32 slot = std::atoi(at.c_str());
         std::string text = list && slot < kProfileSlotCount ? list->GetLine(slot)->GetText().CStr() : "none";
         return std::replace(text.begin(), text.end(), ' ', '_'), text;
       }},
      {"option", [](const std::string& name) {
         const cGameOptions& o = *gGameOptions;
         return Text(name == "brightness" ? o.GetBrightness()
                     : name == "volume"   ? o.GetSoundVolume()
                     : name == "music"    ? o.IsMusicOn()
                                          : o.IsAxisInverted());
       }},
      {"lang", [](const std::string&) { return Text(gGameOptions->GetLanguage()); }},
      {"menu", [](const std::string&) { return MainMenu() ? Text(MainMenu()->GetCurrentMenu()) : "none"; }},
      {"level", [](const std::string&) { return std::string(gGameOptions->GetLevelName().CStr()); }},
      {"movie", [](const std::string&) { return gMoviePlaying ? "playing" : gMovieSkip ? "skipped" : "none"; }},
      {"ending.offset", [](const std::string&) { return EndTexts() ? Text(cScreen_End::EndingOffset()) : "none"; }},
      {"loaded",
       [](const std::string&) { return Text(InGame() && InGame()->GetWorld().GetLoadStep() == kLoadStepLast); }},
      {"fading", InLevel([](const std::string&) { return Text(InGame()->GetWorld().GetScreenFader()->IsFading()); })},
      {"faded.alpha", InLevel([](const std::string&) { return Text(InGame()->GetWorld().GetScreenFader()->GetColour().alpha); })},
      {"locked", InLevel([](const std::string&) { return Text(InGame()->GetWorld().IsInputLocked()); })},
      {"suspended", InLevel([](const std::string&) { return Text(InGame()->GetWorld().IsSuspended()); })},
      {"checkpoint", InLevel([](const std::string&) { return Text(InGame()->GetWorld().IsCheckpointStored()); })},
      {"level.end", InLevel([](const std::string&) { return Text(InGame()->GetWorld().GetLevelEndState()); })},
      {"paused", InLevel([](const std::string&) { return Text(InGame()->GetPauseMenu()->IsShown()); })},
      {"options", InLevel([](const std::string&) { return Text(InGame()->GetPauseMenu()->GetOptionsMenu()->IsShown()); })},
      {"brightness.applied", InLevel([](const std::string&) { return Text(InGame()->GetPauseMenu()->GetBrightnessApplications()); })},
      {"info", InLevel([](const std::string&) { return Text(InGame()->GetWorld().IsInfoViewOpen()); })},
      {"fullmap", InLevel([](const std::string&) { return Text(InGame()->GetWorld().GetFullMap()->IsShown()); })},
      {"died", InLevel([](const std::string&) { return Text(InGame()->GetDeathMenu()->IsShown()); })},
      {"x", [](const std::string&) { return Player() ? Text(RwFrameGetLTM(Player()->GetFrame())->pos.x) : "none"; }},
      {"z", [](const std::string&) { return Player() ? Text(RwFrameGetLTM(Player()->GetFrame())->pos.z) : "none"; }},
      {"facing", InLevel([](const std::string& degrees) {  // how far the player turns from the heading
         const RwV3d& at = RwFrameGetLTM(Player()->GetFrame())->at;
         const double off = std::fmod(std::atan2(at.x, at.z) * 180.0 / 3.14159265 - std::atof(degrees.c_str()), 360.0);
         return Text(std::fabs(off > 180.0 ? off - 360.0 : off < -180.0 ? off + 360.0 : off));
       })},
      {"man", InLevel([](const std::string& at) {  // where the level's man of the index stands
         const u32 index = std::atoi(at.c_str());
         cPtrArray& men = InGame()->GetWorld().GetMen();
         const RwV3d* pos = index < men.GetCount() ? &RwFrameGetLTM(static_cast<cMan*>(men.Get(index))->GetFrame())->pos : nullptr;
         return pos ? Text(pos->x) + "," + Text(pos->z) : "none";
       })},
      {"counter", InLevel([](const std::string& at) {
         return Text(Player()->GetStats().GetCounter(static_cast<eLevelCounter>(std::atoi(at.c_str()))));
       })},
      {"health", [](const std::string&) { return Player() ? Text(Player()->GetHealth()) : "none"; }},
      {"items", InLevel([](const std::string&) { return Text(Player()->GetInventoryCount()); })},
      {"item", InLevel([](const std::string& at) { return Text(Player()->GetHudItemType(std::atoi(at.c_str()))); })},
      {"energy", InLevel([](const std::string&) { return Text(Player()->GetEnergy()); })},
      {"implant", InLevel([](const std::string&) { return Text(Player()->GetSelectedImplant()); })},
      {"search.left", InLevel([](const std::string& name) {  // what a searchable still holds
         std::string left = "none";
         ForEachClone<cSearchable>(InGame()->GetWorld().GetObjectSets(kSetSearchables), [&](cSearchable* s) {
           left = s->GetName() == cString(name.c_str()) ? Text(s->GetRemaining()) : left;
         });
         return left;
       })},
      {"drawn", InLevel([](const std::string&) {  // the search items given out (drawn: -1)
         const s8* bag = Player()->GetSearchBag();
         return Text(std::count(bag, bag + kSearchBagSize, -1));
       })},
      {"ai", InLevel([](const std::string& name) {  // the AI state of the non-player man of the name
         std::string state = "none";
         cPtrArray& men = InGame()->GetWorld().GetMen();
         for (u32 i = 1; i < men.GetCount(); i++) {
           cMan* man = static_cast<cMan*>(men.Get(i));
           state = man->GetTypeIndex() != kManTypeHologram && man->GetName() == cString(name.c_str())
                       ? Text(static_cast<cNpc*>(man)->GetState())
                       : state;
         }
         return state;
       })},
      {"used", InLevel([](const std::string& name) {  // a device of the devices list used
         std::string used = "none";
         ForEachClone<cOpenerDevice>(InGame()->GetWorld().GetObjectSets(kSetDevices), [&](cOpenerDevice* d) {
           used = d->GetName() == cString(name.c_str()) ? Text(d->IsUsed()) : used;
         });
         return used;
       })},
      {"door", InLevel([](const std::string& name) { return Door(name) ? Text(Door(name)->GetState()) : "none"; })},
      // Fights and implants: an NPC by name, the screen's overlay, the implants' phases, a pixel at "x,y".
      {"npc.speed", OfNpc([](cNpc* npc) { return npc->GetModel()->GetSpeed(); })},
      {"npc.holo", OfNpc([](cNpc* npc) { return npc->IsTargetHologram(); })},
      {"npc.body", OfNpc([](cNpc* npc) { return npc->IsSearchableBody(); })},
      {"npc.left", OfNpc([](cNpc* npc) { return npc->GetEnergy(); })},
      {"npc.z", OfNpc([](cNpc* npc) { return npc->GetPosition2D().y; })},  // its ground z
      {"npc.near", OfNpc([](cNpc* npc) {  // its ground distance from the player
         const RwV3d& at = RwFrameGetLTM(Player()->GetFrame())->pos;
         return std::sqrt(npc->GetPosition2D().DistanceSquared(tV2d{at.x, at.z}));
       })},
      {"overlay", InLevel([](const std::string&) { return Text(InGame()->GetWorld().GetRenderManager().GetEffects().overlay); })},
      {"ultra", InLevel([](const std::string&) { return Text(Implant<cUltraImplant>(kImplantIndexUltra)->GetPhase()); })},
      {"shield", InLevel([](const std::string&) { return Text(Implant<cShieldImplant>(kImplantIndexShield)->GetState()); })},
      {"search.bar", InLevel([](const std::string&) {  // the searching panel's bar, 0 to 1 (its sprite doubles sizes)
         cWgSearchingPanel* panel = Player()->GetSearchingPanel();
         return panel ? Text(panel->GetProgressBar().GetBar().GetSizeRaw().width / 2) : "none";
       })},
      // The programs the Direct3D 8 stand-in has compiled: none while a level plays.
      {"programs", [](const std::string&) { return Text(d3d8test::ProgramsCompiled(RwD3D8GetCurrentD3DDevice())); }},
      {"pixel.at", [](const std::string& at) { return Hex(PixelAt(at)); }},
      {"pixel.blue", [](const std::string& at) { return Text(int(PixelAt(at) & 0xFF) - int(PixelAt(at) >> 16)); }},
      {"pixel", [](const std::string&) {
         char text[16];
         std::snprintf(text, sizeof(text), "%06x", BackBufferPixelRgb(RwD3D8GetCurrentD3DDevice(), 320, 240));
         return std::string(text);
       }},
      {"file", [](const std::string& path) {  // size, change time and a hash of the bytes
         struct stat status;
         std::ifstream in(path, std::ios::binary);
         const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
         return stat(path.c_str(), &status) != 0 ? "none"
                                                 : Text(bytes.size()) + ":" + std::to_string(status.st_mtim.tv_sec) + "." +
                                                       std::to_string(status.st_mtim.tv_nsec) + ":" +
                                                       std::to_string(std::hash<std::string>()(bytes));
       }},
      // The hacking game (its state; the movement key of a key, "wrong" one that is not the first's), the
      // player's action state, the level message (spaces as '_'), the objectives and a statistics line.
      {"hack", InLevel([](const std::string& at) {
         const cWgUseHack* hack = Player()->GetHackPanel();
         const u32 key = std::atoi(at.c_str()), wrong = at == "wrong";
         return !hack->IsShown() ? "none" : at.empty() ? Text(hack->GetState())
                : key < hack->GetKeyCount() ? std::string(1, "WDSA"[(hack->GetKey(key).key + wrong) % 4]) : "none";
       })},
      {"action", InLevel([](const std::string&) { return Text(Player()->GetActionState()); })},
      {"message", InLevel([](const std::string&) {
         cQXWorld& w = InGame()->GetWorld();
         const s32 at = w.GetPendingMessage() >= 0 ? w.GetPendingMessage() : w.GetCurrentMessage();
         std::string text = at >= 0 ? static_cast<const cString*>(w.GetMessages().Get(at))->CStr() : "none";
         return std::replace(text.begin(), text.end(), ' ', '_'), text;
       })},
      {"objective", InLevel([](const std::string& at) {
         const cByteArray& flags = InGame()->GetWorld().GetMissionFlags();
         return u32(std::atoi(at.c_str())) < flags.GetCount() ? Text(flags.GetData()[std::atoi(at.c_str())]) : "none";
       })},
      {"stats.line", InLevel([](const std::string& at) {
         std::istringstream values(InGame()->GetWorld().GetStatisticsValues().CStr());
         std::string line = "none";
         for (int i = std::atoi(at.c_str()); i >= 0 && std::getline(values, line); i--) {
         }
         return line;
       })},
      {"save.size", [](const std::string&) { return Text(static_cast<double>(SaveFile().size())); }},
      {"save.byte",
       [](const std::string& at) {
         const std::vector<uint8_t> bytes = SaveFile();
         const size_t offset = std::strtoul(at.c_str(), nullptr, 0);
         return offset < bytes.size() ? Text(bytes[offset]) : "none";
       }},
      {"save.text",
       [](const std::string& at) {
         const std::vector<uint8_t> bytes = SaveFile();
         std::string text;
         for (size_t i = std::strtoul(at.c_str(), nullptr, 0); i < bytes.size() && bytes[i] != 0; i++) {
           text += static_cast<char>(bytes[i]);
         }
         return text;
       }},
  };
  return probes;
}

// Two pixels that differ by at most this much in every channel are near.
constexpr long kPixelNear = 4;

bool PixelsNear(const std::string& a, const std::string& b) {
  char* aEnd = nullptr;
  char* bEnd = nullptr;
  const long x = std::strtol(a.c_str(), &aEnd, 16), y = std::strtol(b.c_str(), &bEnd, 16);
  if (a.size() != 6 || b.size() != 6 || *aEnd != '\0' || *bEnd != '\0') {
    return false;
  }
  for (int shift : {16, 8, 0}) {
    if (std::labs(((x >> shift) & 0xFF) - ((y >> shift) & 0xFF)) > kPixelNear) {
      return false;
    }
  }
  return true;
}

bool Holds(const tCheck& check, std::string* got) {
  *got = Probes().at(check.probe)(check.arg);
  const std::string want = check.value[0] == '$' ? Kept(check.value.substr(1)) : check.value;
  char* gotEnd = nullptr;
  char* wantEnd = nullptr;
  const double a = std::strtod(got->c_str(), &gotEnd), b = std::strtod(want.c_str(), &wantEnd);
  const bool numbers = !got->empty() && !want.empty() && *gotEnd == '\0' && *wantEnd == '\0';
  const int order = numbers ? (std::fabs(a - b) < 1e-4 ? 0 : (a < b ? -1 : 1)) : got->compare(want);
  const std::string& op = check.op;
  return op == "starts" ? got->compare(0, want.size(), want) == 0
         : op == "near" ? PixelsNear(*got, want)
         : op == "=="   ? order == 0
         : op == "!="   ? order != 0
         : op == "<"    ? order < 0
         : op == ">"    ? order > 0
         : op == "<="   ? order <= 0
                        : order >= 0;
}

SDL_Keycode KeyNamed(const std::string& name) {
  const std::map<std::string, std::string> aliases = {
      {"Enter", "Return"}, {"Shift", "Left Shift"}, {"Ctrl", "Left Ctrl"}};
  const auto alias = aliases.find(name);
  return SDL_GetKeyFromName(alias != aliases.end() ? alias->second.c_str() : name.c_str());
}

// The script's steps; false with the reason for a line it cannot read.
bool ReadScript(const std::string& file, std::vector<tStep>* steps, std::string* error) {
  std::ifstream in(std::string(TK_ACCEPTANCE_SCRIPTS) + "/" + file);
  if (!in) {
    *error = "cannot read " + file;
    return false;
  }
  const std::map<std::string, eStepKind> kinds = {{"press", kPress}, {"hold", kHold},     {"release", kRelease},
                                                  {"run", kRun},     {"until", kUntil},   {"expect", kExpect},
                                                  {"keep", kKeep},   {"damage", kDamage}, {"clock", kClock},
                                                  {"place", kPlace}, {"seed", kSeed},     {"away", kAway}};
  std::string text;
  for (int line = 1; std::getline(in, text); line++) {
    std::istringstream words(text.substr(0, text.find('#')));
    std::vector<std::string> w{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
    if (w.empty()) {
      continue;
    }
    const u32 completed = w.size() == 4 ? std::strtoul(w[3].c_str(), nullptr, 10) : 0;
    if (w[0] == "profile" && (w.size() == 3 || w.size() == 4) && completed <= kProfileLastLevelIndex) {
      // By the game's own table; the options' defaults.
      cSaveProfiles profiles;
      profiles.SetHard(w[2] == "hard");
      profiles.NewProfile(w[1].c_str());
      profiles.GetSlot(profiles.GetCurrentSlot()).levelIndex = completed;
      u8 bytes[kSaveFileSize];
      profiles.Encode(bytes);
      std::ofstream("save.dat", std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof(bytes));
      continue;
    }
    if (w[0] == "include" && w.size() == 2) {
      if (!ReadScript(w[1], steps, error)) {
        return false;
      }
      continue;
    }
    const auto kind = kinds.find(w[0]);
    tStep step;
    step.file = file;
    step.kind = kind == kinds.end() ? kRun : kind->second;
    step.line = line;
    step.text = text.substr(0, text.find_last_not_of(' ', text.find('#') - 1) + 1);
    bool good = kind != kinds.end() && (w.size() >= 2 || step.kind == kAway);
    if (good && step.kind == kAway) {
      for (size_t i = 1; i < w.size(); i++) {
        step.keys.push_back(KeyNamed(w[i]));
        good = good && step.keys.back() != SDLK_UNKNOWN;
      }
      steps->push_back(step);
    } else if (good && (step.kind == kPress || step.kind == kHold || step.kind == kRelease)) {
      for (size_t i = 1; i < w.size(); i++) {
        step.key = KeyNamed(w[i]);
        step.check.value = w[i][0] == '$' ? w[i].substr(1) : "";  // read when pressed
        good = good && (step.key != SDLK_UNKNOWN || !step.check.value.empty());
        steps->push_back(step);
      }
      step.kind = kRun;  // nothing more to add
    } else if (good && (step.kind == kUntil || step.kind == kExpect)) {
      const size_t within = step.kind == kUntil ? 2 : 0;
      good = w.size() >= 4 + within && w.size() <= 5 + within && (within == 0 || w[w.size() - 2] == "within");
      if (good) {
        const size_t n = w.size() - within;
        step.check = {w[1], n == 5 ? w[2] : "", w[n - 2], w[n - 1]};
        step.frames = within != 0 ? std::atoi(w.back().c_str()) : 0;
        const std::vector<std::string> ops = {"==", "!=", "<", ">", "<=", ">=", "starts", "near"};
        good = Probes().count(step.check.probe) != 0 && std::count(ops.begin(), ops.end(), step.check.op) == 1;
      }
      steps->push_back(step);
    } else if (good && step.kind == kKeep) {
      good = w.size() >= 3 && Probes().count(w[2]) != 0;
      step.check = {good ? w[2] : "", w.size() > 3 ? w[3] : "", "", w[1]};
      steps->push_back(step);
    } else if (good && step.kind == kPlace && w.size() == 4) {
      for (size_t i = 0; i < 3; i++) {
        step.place[i] = std::strtof(w[i + 1].c_str(), nullptr);
      }
      steps->push_back(step);
    } else if (good) {
      good = w.size() == 2;
      step.number = std::strtof(w[1].c_str(), nullptr);
      step.frames = static_cast<int>(step.number);
      steps->push_back(step);
    }
    if (!good) {
      *error = file + ":" + std::to_string(line) + ": cannot read \"" + text + "\"";
      return false;
    }
  }
  return true;
}

// Keys reach the game as a player's do: the press in one frame, the release
// in a later one, and while a key is held the system's autorepeat (after
// 660 ms, 25 a second) with the text each press types.
constexpr int kRepeatDelayFrames = 17;

void PressKey(SDL_Keycode key, bool press) {
  WinTestPushKeyEvent(Window(), key, TRUE, FALSE);
  cOutsidePools outside;
  sRun->held.push_back({key, 0, press, false});
}

void ReleaseKey(SDL_Keycode key) {
  WinTestPushKeyEvent(Window(), key, FALSE, FALSE);
  auto& held = sRun->held;
  held.erase(std::remove_if(held.begin(), held.end(), [key](const tRun::tHeldKey& h) { return h.key == key; }),
             held.end());
}

// Before a frame's steps: last frame's presses let go, held keys repeating.
void AdvanceHeldKeys() {
  std::vector<SDL_Keycode> pressed;
  for (tRun::tHeldKey& held : sRun->held) {
    if (held.pressed) {
      pressed.push_back(held.key);
    } else if (++held.frames >= kRepeatDelayFrames || held.anew) {
      WinTestPushKeyEvent(Window(), held.key, TRUE, held.anew ? FALSE : TRUE);
      held.anew = false;
    }
  }
  for (SDL_Keycode key : pressed) {
    ReleaseKey(key);
  }
}

// The window away and back: SDL lets every held key go before it reports the
// focus lost, and takes a key still held on return for a new press at its
// next autorepeat.
void GoAwayAndBack(const std::vector<SDL_Keycode>& letGo) {
  for (const tRun::tHeldKey& held : sRun->held) {
    WinTestPushKeyEvent(Window(), held.key, FALSE, FALSE);
  }
  WinTestPushFocus(Window(), FALSE);
  auto& held = sRun->held;
  held.erase(std::remove_if(
                 held.begin(), held.end(),
                 [&](const tRun::tHeldKey& h) { return std::find(letGo.begin(), letGo.end(), h.key) != letGo.end(); }),
             held.end());
  WinTestPushFocus(Window(), TRUE);
  for (tRun::tHeldKey& h : held) {
    h.anew = true;
  }
}

void Fail(const tStep& step, const std::string& got) {
  cOutsidePools outside;
  sRun->failure = step.file + ":" + std::to_string(step.line) + ": " + step.text + " (got " + got + ")";
  sRun->step = sRun->steps.size();
  for (const auto& kept : sRun->kept) {
    sRun->failure += " " + kept.first + "=" + kept.second;
  }
}

// Frames a script that quits the game waits at its end for the main loop's end.
constexpr int kQuitFrames = 50;

// The script's steps up to the first that waits on frames, before a frame.
void OnFrame() {
  tRun& run = *sRun;
  const void* top = gScreenStack != nullptr ? gScreenStack->GetTopScreen() : nullptr;
  if (run.topChanges < 0) {
    WinTestPushFocus(Window(), TRUE);  // the input devices take keys while focused
  }
  run.topChanges += top != run.top;
  run.top = top;
  AdvanceHeldKeys();
  while (run.step < run.steps.size()) {
    const tStep& step = run.steps[run.step];
    const bool first = run.frames++ < 0;
    std::string got;
    if (first && (step.kind == kPress || step.kind == kHold || step.kind == kRelease)) {
      const SDL_Keycode key = step.check.value.empty() ? step.key : KeyNamed(Kept(step.check.value));
      if (key == SDLK_UNKNOWN) {
        Fail(step, Kept(step.check.value));
        return;
      }
      if (step.kind == kRelease) {
        ReleaseKey(key);
      } else {
        PressKey(key, step.kind == kPress);
      }
    }
    if (first && step.kind == kAway) {
      GoAwayAndBack(step.keys);
    }
    switch (step.kind) {
      case kPress:
      case kHold:
      case kRelease:
      case kAway:
      case kRun:
        if (run.frames < (step.kind == kPress ? 4 : step.kind == kRun ? step.frames : 1)) {
          return;
        }
        break;
      case kUntil:
        if (!Holds(step.check, &got)) {
          if (run.frames > step.frames) {
            Fail(step, got);
          }
          return;
        }
        break;
      case kExpect:
        if (!Holds(step.check, &got)) {
          Fail(step, got);
          return;
        }
        break;
      case kKeep: {
        const std::string value = Probes().at(step.check.probe)(step.check.arg);
        cOutsidePools outside;
        run.kept[step.check.value] = value;
        break;
      }
      case kDamage:
        Player()->AddHealth(-step.number);
        break;
      case kClock:
        run.now += static_cast<DWORD>(step.number);
        break;
      case kSeed:
        RpRandomSeed(static_cast<RwUInt32>(step.number));
        break;
      case kPlace: {  // as a level's start places the player
        RwV3d at = {step.place[0], RwFrameGetLTM(Player()->GetFrame())->pos.y, step.place[1]};
        RwFrameTranslate(Player()->GetFrame(), &at, kRwCombineReplace);
        Player()->SetReferencePosition(at);
        Player()->SetHeading(step.place[2] * 3.14159265f / 180.0f);
        break;
      }
    }
    if (std::getenv("TK_SCRIPT_TRACE") != nullptr) {  // where a script's frames go
      std::printf("%s:%d after %d frames: %s\n", step.file.c_str(), step.line, run.frames, step.text.c_str());
    }
    run.step++;
    run.frames = -1;
  }
  if (!run.quits || run.frames++ > kQuitFrames) {
    run.closed = WinTestRequestClose(Window());
  }
}

class ScriptedRun : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_NE(nullptr, getcwd(mPrevious, sizeof(mPrevious)));
    // The data written once a process (the engine the generator starts does
    // not start again after the game's), copied for each run.
    static ScratchFolder written("scripted_run_data");
    static bool made = false;
    if (!made) {
      demo::DataFolder data;
      forge::HeadlessEngine* engine = new forge::HeadlessEngine("scripted_run", [] {
        return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
               RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach();
      });
      made = engine->Start() && demo::WriteDataSet(data);
      delete engine;
      std::string error;
      made = made && demo::WriteOutput(data, written.Path(), {}, &error);
      ASSERT_TRUE(made) << error;
    }
    std::error_code error;
    std::filesystem::copy(written.Path(), mFolder.Path(), std::filesystem::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    ASSERT_EQ(0, chdir(mFolder.Path().c_str()));
    WinTestSetLockFolder(mFolder.Path().c_str());
    sRun = &mRun;
    WinTestSetClock(ReadClock, nullptr);
    WinTestSetSleepHook(Sleep, nullptr);
    SetGameMaker(MakeGame);
    SetEngineLifeObserver(OnEngineLife);
    SetAppEventObserver([](u32 code, tAppEventArg argument) {
      RecordEvent(code, argument);
      if (code == kAppEventIdle) {
        OnFrame();
      }
    });
  }
  void TearDown() override {
    SetGameMaker(nullptr);
    SetEngineLifeObserver(nullptr);
    WinTestSetSleepHook(nullptr, nullptr);
    WinTestSetClock(nullptr, nullptr);
    WinTestSetArguments(-1, nullptr);
    WinTestSetLockFolder(nullptr);
    EXPECT_EQ(0, chdir(mPrevious));
    AppTest::TearDown();
  }

  // The game started and played by the script to its end; the game ends
  // with its exit code 0.
  void Play(const char* file, bool quits = false) {
    const std::map<std::string, std::string> kept = mRun.kept;
    mRun = tRun();
    mRun.kept = kept;
    mRun.quits = quits;
    std::string error;
    ASSERT_TRUE(ReadScript(file, &mRun.steps, &error)) << error;
    ResetFrameTick();
    ResetAppGlobals();                               // as a new process starts
    const char* arguments[] = {"tessarak", "-low"};  // a 640 x 480 window
    WinTestSetArguments(2, arguments);
    EXPECT_EQ(0, WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT));
    EXPECT_EQ("", mRun.failure);
    // A quit ends the main loop while its key press still waits.
    EXPECT_EQ(mRun.steps.size() - (quits ? 1 : 0), mRun.step) << "the game ended before the script";
    EXPECT_NE(quits, mRun.closed) << "the game quits by itself at the end of the script";
    EXPECT_TRUE(sBoxes.empty());
    // However the game ended, it destroyed everything it made before the
    // engine closed.
    EXPECT_TRUE(mRun.stopped);
    EXPECT_EQ(0u, mRun.leftAlive) << mRun.leftText;
    EXPECT_EQ(0u, GetPoolBlocksKept()) << "small blocks held past the engine's close";
  }

  ScratchFolder mFolder{"scripted_run"};
  char mPrevious[PATH_MAX] = {};
  tRun mRun;
};

// One suite a run, so that CTest runs them side by side.
class FirstStart : public ScriptedRun {};
TEST_F(FirstStart, LogosNewGameAndTheFirstLevel) { Play("first_start.txt"); }
class FairStart : public ScriptedRun {};
TEST_F(FairStart, ANewPlayerWaitingAtTheStartIsLeftAlone) { Play("idle_start.txt", true); }
class FollowingLevels : public ScriptedRun {};
TEST_F(FollowingLevels, ToTheEndTextsCreditsAndBackToTheMainMenu) { Play("following_levels.txt"); }
class Level01Devices : public ScriptedRun {};
TEST_F(Level01Devices, ImplantsPanelsSearchesAndTheTaser) { Play("level01_devices.txt"); }
class Level01Fight : public ScriptedRun {};
TEST_F(Level01Fight, HealthBarUltraHologramShieldDartAndBodySearch) { Play("level01_fight.txt"); }
class Level01Panels : public ScriptedRun {};
TEST_F(Level01Panels, HacksLaserPanelCardCheckpointAndStatistics) { Play("level01_panels.txt"); }
class HardBranch : public ScriptedRun {};
// The hard game played once: to its end texts, the window closed while the
// credits roll; then the game started again continues it from the save file.
TEST_F(HardBranch, ThroughLevel03ToTheEndTextsAndContinuedIntoTheNextLevel) {
  Play("hard_branch.txt");
  Play("hard_continued.txt");
}
class OptionsAndPause : public ScriptedRun {};
TEST_F(OptionsAndPause, OptionsKeptOverARestartAndThePauseHoldsTheMen) {
  Play("options_changed.txt");
  Play("options_restarted.txt");
}

class ContinuedGame : public ScriptedRun {};
TEST_F(ContinuedGame, AFinishedHardGameContinuesAtTheLevelItsLineNames) { Play("continue_finished.txt"); }

class HiddenMode : public ScriptedRun {};
TEST_F(HiddenMode, TheHiddenNameTakesNoGunDamage) { Play("hidden_mode.txt", true); }  // F12 in the full map
TEST_F(HiddenMode, AnotherNameTakesGunDamage) { Play("gun_damage.txt"); }
TEST_F(HiddenMode, TheNameInLowerCaseTakesGunDamage) { Play("hidden_lower.txt"); }

class QuitWindow : public ScriptedRun {};
TEST_F(QuitWindow, QuitEndsTheGameAndTheCachesStayAsWritten) {
  Play("quit_first.txt", true);
  Play("quit_again.txt", true);
  EXPECT_EQ(0u, dsoundtest::LiveBufferCount()) << "every sound buffer released";
}

}  // namespace
