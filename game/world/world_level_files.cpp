// cQXWorld's load steps of the level's own files: lightmaps (step 4), men
// (step 6), lights (step 9), the HUD (step 11) and texts (step 13).
#include "game/app/screens/screen_stack.h"
#include "game/app/time_scale.h"
#include "game/characters/man.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/native_path.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/anim_model.h"
#include "game/render/text/crosshair.h"
#include "game/render/text/font.h"
#include "game/render/text/wg_text.h"
#include "game/world/level_texts.h"
#include "game/world/lightmap_bitmap.h"
#include "game/world/qx_world.h"

namespace {

const char* const kLoadTag = "cQXWorld::Load";
const char* const kLoadMenTag = "cQXWorld::LoadMen";
const char* const kLightmapSuffixes[kLightmapCount] = {"north", "south", "west", "east"};
const char* const kLanguageCodes[] = {"d", "eng"};
// A file larger than this is no lightmap of a level.
constexpr u32 kMaxLightmapFileSize = 64u << 20;
const RwV3d kShadowExtent = {1.0f, 1.0f, 1.0f};
const RwRGBA kHudFontColour = {66, 166, 204, 128};
constexpr f32 kHudFontCharacterGap = 0.05f;

const cString* FindValue(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group->FindProperty(cString(key));
  return property != nullptr ? &property->GetValue() : nullptr;
}

// The whole file through the engine's file functions (the pack file
// applies); false when it does not open or is too large for a lightmap.
bool ReadBinaryFile(const char* path, cRecordArray<u8>* bytes) {
  void* handle = OpenNativeFile(path, "rb");
  if (handle == nullptr) {
    return false;
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  long size = files->rwfseek(handle, 0, 2) == 0 ? files->rwftell(handle) : 0;
  if (size > static_cast<long>(kMaxLightmapFileSize)) {
    DebugTrace("%s: %ld bytes are no lightmap\n", path, size);
    files->rwfclose(handle);
    return false;
  }
  size = size < 0 ? 0 : size;
  files->rwfseek(handle, 0, 0);
  bytes->Fill(static_cast<u32>(size), 0);
  const size_t got = size == 0 ? 0 : files->rwfread(&(*bytes)[0], 1, static_cast<size_t>(size), handle);
  files->rwfclose(handle);
  bytes->Resize(static_cast<u32>(got), 0);
  return true;
}

tTargetSize ScreenSize() { return gScreenStack != nullptr ? gScreenStack->GetTarget().GetSize() : tTargetSize{0, 0}; }

tWgPlacement Pixels(s32 x, s32 y, s32 width, s32 height, u8 right, u8 bottom, u8 centreX, u8 centreY) {
  const u32 rect[4] = {static_cast<u32>(x), static_cast<u32>(y), static_cast<u32>(width), static_cast<u32>(height)};
  return tWgPlacement(rect, right, bottom, centreX, centreY);
}

}  // namespace

const cPropertyGroup* cQXWorld::FindGroupFatal(const cPropertyFile* file, const cString& name, const char* tag) {
  const cPropertyGroup* group = file->FindGroup(name);
  if (group == nullptr) {
    FatalGroupNotFound(tag, file, name.CStr());
  }
  return group;
}

void cQXWorld::LoadLightmaps() {
  mDirectionalLightAdd = 0.0f;
  mDirectionalLightAngle = kDefaultDirectionalLightAngle;
  mLightmap.SetDirectionalLight(0.0f, kDefaultDirectionalLightAngle);
  const cPropertyGroup* group = FindLevelGroup(kLoadTag);
  const cString* base = FindValue(group, "LIGHTMAP");
  if (base == nullptr) {
    FatalPropertyNotFound("No lightmap", group, "LIGHTMAP");
  }
  for (u32 map = 0; map < kLightmapCount; map++) {
    LoadLightmapBitmap(*base, kLightmapSuffixes[map], map);
  }
  const cString* value = FindValue(group, "LIGHTMAP_ORIGX");
  if (value != nullptr) {
    mLightmap.SetOrigin(static_cast<u32>(TextToS32(*value)), mLightmap.GetOriginZ());
  }
  value = FindValue(group, "LIGHTMAP_ORIGY");
  if (value != nullptr) {
    mLightmap.SetOrigin(mLightmap.GetOriginX(), static_cast<u32>(TextToS32(*value)));
  }
  value = FindValue(group, "LIGHTMAP_METRIC");
  if (value != nullptr) {
    mLightmap.SetScale(TextToF32(*value));
  }
  value = FindValue(group, "DIRLIGHTADD");
  if (value != nullptr) {
    mDirectionalLightAdd = TextToF32(*value);
  }
  value = FindValue(group, "DIRLIGHTANGLE");
  if (value != nullptr) {
    mDirectionalLightAngle = TextToS32(*value);
  }
  mLightmap.SetDirectionalLight(mDirectionalLightAdd, mDirectionalLightAngle);
}

void cQXWorld::LoadLightmapBitmap(const cString& base, const char* suffix, u32 map) {
  const cString path = base + cString(suffix) + cString(".bmp");
  cRecordArray<u8> bytes;
  if (!ReadBinaryFile(path.CStr(), &bytes)) {
    return;
  }
  DecodeLightmapBitmap(bytes.GetCount() > 0 ? &bytes[0] : nullptr, bytes.GetCount(), &mLightmap, map);
}

void cQXWorld::LoadLights() {
  const cString* list = FindValue(FindLevelGroup(kLoadTag), "LIGHT");
  if (list == nullptr) {
    return;
  }
  for (u32 i = 0; i < mLights.GetCount(); i++) {
    delete static_cast<cLight*>(mLights.Get(i));
  }
  cString names;
  const u32 found = list->FindArray(&names, '[', ']');
  // A list of blanks holds no light.
  cString blank = names;
  blank.Trim();
  const u32 count = blank.IsEmpty() ? 0 : found;
  mLights.SetCount(0);
  mLights.SetCount(count);
  u32 made = 0;
  cString name;
  while (made < count && names.SliceNextElement(&name)) {
    name.Trim();
    cLight* light = cLight::Create(FindGroupFatal(mConfig, name, kLoadTag));
    mLights.Set(made++, light);
    GetRenderManager().AddLight(light);
  }
  mLights.SetCount(made);
}

void cQXWorld::LoadMenFile() {
  const cString path = cString("data/") + mLevelName + cString("/men.txt");
  if (!mMenFile.Load(path)) {
    mMenFile.ParseText(cString(""));
  }
  cMan::LoadStaticData(&mMenFile);
  cMan::EmptyStaticFunction();
  LoadMen(&mMenFile);
  cMan* first = static_cast<cMan*>(mMen.Get(0));
  if (first->GetTypeIndex() != kManTypePlayer) {
    FatalError("cQXWorld::LoadMenFile : the first man is not the player (%s)",
               QuoteForMessage(first->GetName().CStr()).text);
  }
  GetPlayer()->BindToWorld();
}

cDorvaMan* cQXWorld::GetPlayer() const {
  if (mMen.GetCount() == 0) {
    return nullptr;
  }
  cMan* first = static_cast<cMan*>(mMen.Get(0));
  return first != nullptr && first->GetTypeIndex() == kManTypePlayer ? static_cast<cDorvaMan*>(first) : nullptr;
}

void cQXWorld::LoadMen(const cPropertyFile* file) {
  const cPropertyGroup* men = FindGroupFatal(file, cString("Men"), kLoadMenTag);
  const cString* list = FindValue(men, "MEN");
  if (list == nullptr) {
    FatalPropertyNotFound(kLoadMenTag, men, "MEN");
  }
  cString names;
  const u32 count = list->FindArray(&names, '[', ']');
  cString blank = names;
  blank.Trim();
  // Without men there is no player to bind.
  if (count == 0 || blank.IsEmpty()) {
    FatalInGroup(men, "%s : no men in MEN", kLoadMenTag);
  }
  mMen.SetCount(0);
  mMen.SetCount(count);
  u32 made = 0;
  cString name;
  while (made < count && names.SliceNextElement(&name)) {
    name.Trim();
    const cPropertyGroup* group = FindGroupFatal(file, name, kLoadMenTag);
    cMan* man = cMan::Create(group, this);
    man->AddToWorld(this);
    mMen.Set(made++, man);
    if (mHologram == nullptr && man->GetTypeIndex() == kManTypeHologram) {
      mHologram = man;
    }
    man->ReadProperties(group);
    man->GetModel()->CreateShadow(mWorldCollision, kShadowExtent, 0);
  }
  mMen.SetCount(made);
}

void cQXWorld::CreateHud() {
  const tTargetSize size = ScreenSize();
  const s32 w = static_cast<s32>(size.width);
  const s32 h = static_cast<s32>(size.height);
  mHudFont = new cFont;
  if (mHudFont->Load("data/font/", "gothic13", kHudFontCharacterGap)) {
    mHudFont->SetColour(kHudFontColour);
  }
  mFrameTimeSource = tSampleSource{mFrameTimes.count, mFrameTimes.samples};
  mFpsCounter =
      new cWgCounter(tWgPlacement::Fractions(0.35f, 0.0f, 0.175f, 0.05f), &mFrameTimeSource, mHudFont, "FPS ", 1);
  mHudLabel = new cWgLabel(tWgPlacement::Fractions(0.29f, 0.05f, 0.4125f, 0.05f), mHudFont);
  mCrosshair = new cWgCrosshair(Pixels(w / 2 - w / 20, h / 2 - h / 20, w / 10, w / 10, 0, 0, 0, 0));
  CreateMapViews();
  // The level opens from black.
  mScreenFader = new cWgScreenFader(tWgPlacement::Fractions(0.0f, 0.0f, 1.0f, 1.0f));
  mScreenFader->SetColour(RwRGBA{0, 0, 0, 0});
  mScreenFader->FadeIn(kLevelFadeFrames);
  mShownAlertLevel = kAlertNone;
  CreateHudWidgets();
  SetHudVisible(false);
  mHudCreated = 1;
  if (gTimeScaleIndex == kTimeScalePaused) {
    gTimeScaleIndex = gSavedTimeScaleIndex;
  }
}

void cQXWorld::LoadTexts() {
  const cPropertyGroup* level = FindLevelGroup(kLoadTag);
  const cString* prefix = FindValue(level, "TEXTS");
  if (prefix == nullptr) {
    FatalInGroup(level, "No TEXTS property!");
  }
  const u32 language = gGameOptions != nullptr ? gGameOptions->GetLanguage() : 0;
  const cString path = *prefix + cString("_") + cString(kLanguageCodes[language < 2 ? language : 0]) + cString(".txt");
  cPropertyFile file;
  if (!file.Load(path)) {
    FatalError("No property file: %s", path.CStr());
  }
  const cPropertyGroup* group = file.FindGroup(cString("TEXTS"));
  if (group == nullptr) {
    FatalGroupNotFound(path.CStr(), &file, "TEXTS");
  }
  cLevelTexts texts;
  texts.Read(group);

  ReleaseMessages();
  const u32 count = texts.GetMessageCount();
  mMessages.SetCount(count);
  mMessageMarkers.Fill(count, kNoMarker);
  mMessageDisplayValues.Fill(count, 0);
  mMessageDialogues.Fill(count, kPlainMessage);
  for (u32 i = 0; i < count; i++) {
    cString* text = new cString(texts.GetMessage(i));
    mMessages.Set(i, text);
    mMessageDialogues[i] = texts.GetDialogue(i);
    mMessageMarkers[i] = texts.GetMarker(i);
    // Lines are measured through the level camera, once there is one.
    mMessageDisplayValues[i] = mHudFont != nullptr && mCamera != nullptr
                                   ? static_cast<s32>(mHudFont->CountWrappedLines(mCamera, *text, kMessageWrapWidth))
                                   : 0;
  }
  if (texts.HasObjectives()) {
    mMissionFlags.Resize(0, 0);
    mMissionFlags.Resize(texts.GetObjectiveCount(), 0);
    mSavedMissionFlags.Resize(0, 0);
    mSavedMissionFlags.Resize(texts.GetObjectiveCount(), 0);
  }
  mBriefing = texts.HasBriefing() ? texts.GetBriefing() : cString();
  // The briefing holds and protects the player until the info view closes,
  // and the level waits while it is read: the men start when it closes.
  cDorvaMan* player = GetPlayer();
  if (texts.HasBriefing() && player != nullptr) {
    player->SetBusy(1);
    player->SetProtected(1);
    FreezeGameTime();
  }
  mMainMissionText = texts.GetMainMissionText();
  FillHud(texts);
}

void cQXWorld::ReleaseMessages() {
  for (u32 i = 0; i < mMessages.GetCount(); i++) {
    delete static_cast<cString*>(mMessages.Get(i));
  }
  mMessages.SetCount(0);
}
