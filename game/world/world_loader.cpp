// cQXWorld::Load: the level brought into memory one step a frame, from the
// level's group of the configuration file and the files it names.
#include <cstring>

#include "game/app/application.h"
#include "game/app/screens/screen_loader.h"
#include "game/app/small_block_pool.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/collision/world_collision.h"
#include "game/render/effects/mirror.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/engine_file.h"
#include "game/render/models/clump_ro.h"
#include "game/render/models/locator_file.h"
#include "game/render/models/model_files.h"
#include "game/render/models/texture_files.h"
#include "game/render/particles/particle_pool.h"
#include "game/render/record_array.h"
#include "game/world/cached_particles.h"
#include "game/world/cached_textures.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/object_set.h"
#include "game/world/qx_world.h"

namespace {

const char* const kLoadTag = "cQXWorld::Load";
const char* const kParticlesTag = "cQXWorld::LoadParticles";
const char* const kTextureDictionaryFolder = "data/texdicts/";
const char* const kCollisionFolder = "collision/";
constexpr u32 kFogColourElements = 4;

const char* const kSoundNames[kNamedSoundCount] = {"sfx/pl_success",     "sfx/pl_select",   "sfx/pl_text",
                                                   "sfx/pl_textout",     "sfx/gui_panelin", "sfx/gui_panelout",
                                                   "sfx/gui_panelchange"};
const char* const kAlertSoundNames[kAlertSoundCount] = {"sfx/al_1", "sfx/al_2", "sfx/al_3"};

// The key's value, or null when the group lacks it.
const cString* FindValue(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group->FindProperty(cString(key));
  return property != nullptr ? &property->GetValue() : nullptr;
}

// The engine world of a BSP file; a file that is missing or cannot be read
// ends the game, saying which.
RpWorld* LoadWorldFatal(const char* path) {
  RpWorld* world = LoadWorldFile(path, nullptr);
  if (world == nullptr) {
    FatalUnreadableChunkFile(path, kRwChunkWorld, "world");
  }
  return world;
}

// One placement of a level effect.
struct tEffectPlacement {
  RwV3d position;
  RwV3d direction;
};

// The placements of a locator file, as many as it holds of the entries its
// header declares.
u32 ReadPlacements(const char* path, cRecordArray<tEffectPlacement>* placements) {
  cLocatorFile file;
  if (!file.Open(path)) {
    return 0;
  }
  const u32 declared = file.GetHeaderValue();
  u32 count = 0;
  char name[kObjectNameSize];
  RwMatrix matrix;
  while (count < declared && file.ReadEntry(name, kObjectNameSize, nullptr, 0, &matrix)) {
    if (count == placements->GetCount()) {
      placements->Resize(count == 0 ? 8 : count * 2, tEffectPlacement());
    }
    (*placements)[count++] = tEffectPlacement{matrix.pos, matrix.at};
  }
  return count;
}

}  // namespace

// Indexed by step: the work, the step that follows, the progress returned.
const cQXWorld::tLoadStep cQXWorld::kLoadSteps[kLoadStepCount] = {
    {&cQXWorld::BeginLoad, 2, 0.0f},
    {&cQXWorld::LoadDictionary, 3, 0.2f},
    {nullptr, 1, 0.1f},
    {&cQXWorld::LoadGeometry, 4, 0.3f},
    {&cQXWorld::LoadLightmaps, 5, 0.4f},
    {&cQXWorld::LoadWaypointGraph, 6, 0.5f},
    {&cQXWorld::LoadMenFile, 10, 0.55f},
    {&cQXWorld::CreateCamera, 8, 0.6f},
    {&cQXWorld::LoadLevelObjects, 9, 0.7f},
    {&cQXWorld::LoadLights, 11, 0.78f},
    {&cQXWorld::LoadSky, 7, 0.59f},
    {&cQXWorld::CreateHud, 12, 0.8f},
    {&cQXWorld::LoadMapViews, 13, 0.85f},
    {&cQXWorld::LoadTexts, 14, 0.9f},  // the HUD's contents join with their widgets
    {&cQXWorld::CreateInGameMenus, 15, 0.91f},
    {&cQXWorld::LoadShadowsAndSounds, 16, 0.95f},
    {&cQXWorld::BindViewActions, 17, 0.96f},
    {&cQXWorld::LoadParticles, 18, 0.97f},
    {&cQXWorld::CacheTexturesAndStartMusic, 19, 0.98f},
    {&cQXWorld::ReportLoad, 19, 1.0f},
};

f32 cQXWorld::Load() {
  if (mLoadStep >= kLoadStepCount) {
    return 0.0f;
  }
  const tLoadStep& step = kLoadSteps[mLoadStep];
  if (step.work != nullptr) {
    (this->*step.work)();
  }
  mLoadStep = step.next;
  return step.progress;
}

const cPropertyGroup* cQXWorld::FindLevelGroup(const char* tag) const {
  const cPropertyGroup* group = mConfig->FindGroup(mLevelName);
  if (group == nullptr) {
    FatalGroupNotFound(tag, mConfig, mLevelName.CStr());
  }
  return group;
}

void cQXWorld::BeginLoad() {
  mClumpCount = 0;
  mFogDistance = 0.0f;
  const cString* distance = FindValue(FindLevelGroup(kLoadTag), "AI_DO_DISTANCE");
  if (distance != nullptr) {
    mAiDistance = TextToF32(*distance);
  }
}

void cQXWorld::LoadDictionary() {
  const cString path = cString(kTextureDictionaryFolder) + mLevelName + cString(".txd");
  mTexDictionary = LoadTextureDictionary(path.CStr());
  mDictionaryCreated = 0;
  if (mTexDictionary == nullptr) {
    mTexDictionary = RwTexDictionaryCreate();
    mDictionaryCreated = 1;
    DebugTrace("Texture dictionary failed %s!!!!\n\n\n", path.CStr());
  }
  RwTexDictionarySetCurrent(mTexDictionary);
}

void cQXWorld::LoadGeometry() {
  if (gSaveProfiles != nullptr &&
      std::strncmp(gSaveProfiles->GetCurrent().name, kHiddenModeName, kProfileNameSize) == 0) {
    mHiddenMode = 1;
  }
  const cPropertyGroup* group = FindLevelGroup(kLoadTag);
  const cString* bsp = FindValue(group, "BSP");
  if (bsp == nullptr) {
    FatalInGroup(group, "cQXWorld : property not found (BSP)");
  }
  mEngineWorld = LoadWorldFatal(bsp->CStr());
  SetPvsFlag(RpPVSWorldHasData(mEngineWorld) != 0 ? 1 : 0);
  // folder/name gives folder/collision/name; a bare name collision/name.
  const u32 split = static_cast<u32>(bsp->FindLastChar('/') + 1);
  const cString twin = bsp->Slice(0, split) + cString(kCollisionFolder) + bsp->Slice(split, bsp->Length() - split);
  mCollisionWorld = LoadWorldFatal(twin.CStr());
  mWorldCollision = new cWorldCollision(mEngineWorld, mCollisionWorld, GetPvsFlag());
  SetWorld(mWorldCollision, 1);
  ResetMirrors(this);
  ReadFog(group);
}

void cQXWorld::ReadFog(const cPropertyGroup* group) {
  cRenderManager& manager = GetRenderManager();
  const cString* fog = FindValue(group, "FOG");
  if (fog != nullptr && TextToS32(*fog) != 0) {
    manager.SetFog(1);
  }
  const cString* distance = FindValue(group, "FOGDISTANCE");
  if (distance != nullptr) {
    mFogDistance = TextToF32(*distance);
  }
  const cString* colour = FindValue(group, "FOGCOLOR");
  if (colour == nullptr) {
    return;
  }
  // Each component is the low byte of its integer; a list of another length
  // is black, alpha 0.
  u8 bytes[kFogColourElements] = {0, 0, 0, 0};
  cString list;
  if (colour->FindArray(&list, '[', ']') == kFogColourElements) {
    cString element;
    for (u32 i = 0; i < kFogColourElements && list.SliceNextElement(&element); i++) {
      bytes[i] = static_cast<u8>(TextToS32(element) & 0xFF);
    }
  }
  manager.SetFogColour(RwRGBA{bytes[0], bytes[1], bytes[2], bytes[3]});
}

void cQXWorld::LoadSky() {
  const cString* sky = FindValue(FindLevelGroup(kLoadTag), "SKY");
  if (sky == nullptr) {
    return;
  }
  const cString path = *sky + cString(".dff");
  mSky = new cClumpRO(path.CStr(), "");
  AddClump(mSky);
}

void cQXWorld::LoadShadowsAndSounds() {
  InitProjectedShadows(GetPvsFlag(), &mLightmap, mDirectionalLightAngle, kShadowMaximumDistance);
  for (u32 i = 0; i < kNamedSoundCount; i++) {
    mSounds[i].Create(kSoundNames[i]);
  }
  for (u32 i = 0; i < kAlertSoundCount; i++) {
    mAlertSounds[i].Create(kAlertSoundNames[i]);
  }
}

void cQXWorld::BindViewActions() {
  mInfoInputMap.BindHandler(&mViewInfo);
  mInfoInputMap.BindHandler(&mViewMission);
  mInfoInputMap.BindHandler(&mViewMap);
}

void cQXWorld::LoadWaypointGraph() {
  delete mWaypointGraph;
  mWaypointGraph = new cWaypointGraph;
  const cPropertyGroup* group = FindLevelGroup(kLoadTag);
  const cString* graph = FindValue(group, "GRAPH");
  if (graph == nullptr) {
    return;
  }
  const cString* edges = FindValue(group, "EDGES");
  const cString path = *graph + cString(".xrf");
  // A graph that does not build stays as far as it got.
  mWaypointGraph->Build(path.CStr(), edges != nullptr ? *edges : cString());
}

const char* const kCachedParticleFiles[kCachedParticleFileCount] = {
    "data/implants/particles_dartimpact.txt",  "data/implants/particles_dartshot.txt",
    "data/implants/particles_darthit.txt",     "data/implants/particles_enemyalert.txt",
    "data/implants/particles_enemyattack.txt", "data/implants/particles_enemyquestion.txt",
    "data/implants/particles_gunhit.txt",      "data/implants/particles_gunblock.txt",
    "data/implants/particles_gunimpact.txt",   "data/implants/particles_gunshot.txt",
    "data/implants/particles_laser.txt",       "data/implants/particles_eds.txt",
};

void cQXWorld::LoadParticles() {
  for (const char* file : kCachedParticleFiles) {
    GetPropertyFileCache()->Get(cString(file));
  }
  const cString* particles = FindValue(FindLevelGroup(kParticlesTag), "PARTICLES");
  cString list;
  if (particles == nullptr || particles->FindArray(&list, '[', ']') == 0) {
    return;
  }
  cString name;
  while (list.SliceNextElement(&name)) {
    name.Trim();
    if (name.IsEmpty()) {
      continue;
    }
    const cString locator = cString("data/") + mLevelName + cString("/") + name + cString(".xrf");
    cRecordArray<tEffectPlacement> placements;
    const u32 count = ReadPlacements(locator.CStr(), &placements);
    if (count == 0) {
      continue;
    }
    const cString effect = cString("data/implants/") + name + cString(".txt");
    cParticlePool* pool =
        new cParticlePool(this, effect.CStr(), count < kParticleInstancesPerPool ? count : kParticleInstancesPerPool);
    const u32 index = mParticlePools.GetCount();
    mParticlePools.SetCount(index + 1);
    mParticlePools.Set(index, pool);
    for (u32 i = 0; i < count; i++) {
      pool->AddPlacement(placements[i].position, placements[i].direction);
    }
  }
}

void cQXWorld::CacheTexturesAndStartMusic() {
  if (mDictionaryCreated == 1) {
    RwTexture* textures[kLevelCachedTextureCount];
    for (u32 i = 0; i < kLevelCachedTextureCount; i++) {
      textures[i] = ReadTexture(kLevelCachedTextures[i], false);
    }
    const cString path = cString(kTextureDictionaryFolder) + mLevelName + cString(".txd");
    SaveTextureDictionary(path.CStr());
    // Whatever nothing else holds leaves the dictionary; the file keeps it.
    for (RwTexture* texture : textures) {
      if (texture != nullptr) {
        RwTextureDestroy(texture);
      }
    }
  }
  SetLevelMusic(true);
}

void cQXWorld::ReportLoad() {
  cScreen_Loader* loader = gApplication != nullptr ? gApplication->FindLoadingScreen() : nullptr;
  DebugTrace("****************** %d bytes loaded ******************************\n",
             loader != nullptr ? static_cast<int>(loader->GetBytesRead()) : 0);
  DebugTrace("****************** %d clump loaded ******************************\n", static_cast<int>(mClumpCount));
  EnableSmallBlockPools();
  cClumpRO::RelightAll();
}

const char* const kLevelCachedTextures[kLevelCachedTextureCount] = {
    "data/implants/lightning",
    "data/menu/window_background",
    "data/textures/diskerror",
    "data/hack/frame",
    "data/hack/key0",
    "data/hack/key1",
    "data/hack/key2",
    "data/hack/key3",
    "data/implants/prc/prc_alert",
    "data/implants/prc/prc_bluecloud",
    "data/implants/prc/prc_code1",
    "data/implants/prc/prc_code2",
    "data/implants/prc/prc_code3",
    "data/implants/prc/prc_elctro",
    "data/implants/prc/prc_fire",
    "data/implants/prc/prc_fire1",
    "data/implants/prc/prc_greencloud",
    "data/implants/prc/prc_hack",
    "data/implants/prc/prc_info",
    "data/implants/prc/prc_lightfx_blue",
    "data/implants/prc/prc_redtwist",
    "data/implants/prc/prc_shinebit",
    "data/implants/prc/prc_smoke",
    "data/implants/prc/prc_star",
};
