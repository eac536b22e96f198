// cQXWorld's HUD: the widgets that load step 11 builds and places, their
// contents at load step 13, and the level frames that the Ultra overlay
// captures. The in-game screen links the widgets into its tree; the world
// owns them and deletes them with its HUD.
#include "game/app/screens/screen_stack.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/characters/player/player_settings.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "game/frontend/save/game_options.h"
#include "game/render/text/font.h"
#include "game/render/twin_timer.h"
#include "game/world/level_texts.h"
#include "game/world/qx_world.h"

namespace {

// The HUD pieces' corner frames are 320 pixels square, whatever the screen.
constexpr s32 kFramePixels = 320;
// The backdrop lies under the HUD map, one pixel larger on each side.
constexpr s32 kBackdropInset = 8;
constexpr s32 kBackdropPixels = 152;
constexpr s32 kActionIconsWidth = 128;
constexpr s32 kActionIconsHeight = 74;
constexpr s32 kActionIconsTop = 12;
constexpr s32 kStatusBarsPixels = 160;
constexpr s32 kHudEdgeX = 16;
constexpr s32 kHudEdgeY = 18;
// The message box sits 64 pixels above the bottom, centred.
constexpr s32 kMessageBoxWidth = 512;
constexpr s32 kMessageBoxHeight = 256;
constexpr s32 kMessageBoxLift = 64;
// The mission list and the plain message box share one square.
constexpr s32 kMissionListX = -16;
constexpr s32 kMissionListY = -5;
constexpr s32 kMissionListPixels = 438;
constexpr s32 kAlertIconX = 45;
constexpr s32 kAlertIconY = 75;
constexpr s32 kAlertIconPixels = 48;
// The plain box shows the briefing without a reserved line count.
constexpr s32 kNoDisplayLines = -1;

tWgPlacement HudPixels(s32 x, s32 y, s32 width, s32 height, u8 right, u8 bottom, u8 centreX, u8 centreY) {
  const u32 rect[4] = {static_cast<u32>(x), static_cast<u32>(y), static_cast<u32>(width), static_cast<u32>(height)};
  return tWgPlacement(rect, right, bottom, centreX, centreY);
}

tTargetSize HudScreenSize() {
  return gScreenStack != nullptr ? gScreenStack->GetTarget().GetSize() : tTargetSize{0, 0};
}

}  // namespace

void cQXWorld::CreateHudWidgets() {
  const tTargetSize size = HudScreenSize();
  const s32 w = static_cast<s32>(size.width);
  const s32 h = static_cast<s32>(size.height);
  mHudFrameBa = new cWgHudFrameBa(HudPixels(0, 0, kFramePixels, kFramePixels, 0, 1, 0, 0));
  const tPlayerSettings& settings = PlayerSettings();
  mUltraOverlay =
      new cWgUltraOverlay(tWgPlacement::Fractions(0.0f, 0.0f, 1.0f, 1.0f), this,
                          static_cast<s32>(settings.ultraPcOverlays), static_cast<s32>(settings.ultraAlpha));
  mHudFrameBf = new cWgHudFrameBf(HudPixels(0, 0, kFramePixels, kFramePixels, 0, 0, 0, 0));
  mHudFrameJa = new cWgHudFrameJa(HudPixels(0, 0, kFramePixels, kFramePixels, 1, 1, 0, 0));
  mHudFrameKot = new cWgHudFrameKot(tWgPlacement());
  mHudBackdrop =
      new cWgHudBackdrop(HudPixels(kBackdropInset, kBackdropInset, kBackdropPixels, kBackdropPixels, 1, 0, 0, 0));
  mActionIcons = new cWgActionIcons(
      HudPixels(w / 2 - kActionIconsWidth / 2, kActionIconsTop, kActionIconsWidth, kActionIconsHeight, 0, 0, 0, 0));
  mStatusBars = new cWgHudStatusBars(HudPixels(kHudEdgeX, kHudEdgeY, kStatusBarsPixels, kStatusBarsPixels, 0, 0, 0, 0));
  // The HUD map view is placed here, between the status bars and the
  // implant selector, by the map view's own set-up.
  mHudImplants = new cWgHudImplants(HudPixels(kHudEdgeX, kHudEdgeY, kFramePixels, kFramePixels, 0, 1, 0, 0));
  mHudInventory = new cWgHudInventory(HudPixels(kHudEdgeX, kHudEdgeY, kFramePixels, kFramePixels, 1, 1, 0, 0));
  mLevelMessageBox = new cWgMessageBox(HudPixels(0, kMessageBoxLift, kMessageBoxWidth, kMessageBoxHeight, 0, 1, 1, 0),
                                       true, kDialoguePromptTexture);
  mTabPanel = new cWgTabPanel(HudPixels(0, 0, w, h, 0, 0, 1, 1));
  const tWgPlacement missions =
      HudPixels(kMissionListX, kMissionListY, kMissionListPixels, kMissionListPixels, 0, 0, 1, 1);
  mMissionList = new cWgMissionList(missions);
  mMessageBox = new cWgMessageBox(missions, false, nullptr);
  for (u32 level = 0; level < kAlertLevelCount; level++) {
    mAlertIcons[level] =
        new cWgBlinkIcon(this, HudPixels(kAlertIconX, kAlertIconY, kAlertIconPixels, kAlertIconPixels, 0, 0, 0, 0),
                         kAlertIconTextures[level]);
  }
  // The full map view is placed here, last, by the map view's own set-up.
  mTabPanel->SetOpen(true);
  mTabPanel->SetTab(kHudTabMap);
}

void cQXWorld::DeleteHudWidgets() {
  for (u32 level = 0; level < kAlertLevelCount; level++) {
    delete mAlertIcons[level];
    mAlertIcons[level] = nullptr;
  }
  delete mMessageBox;
  mMessageBox = nullptr;
  delete mMissionList;
  mMissionList = nullptr;
  delete mTabPanel;
  mTabPanel = nullptr;
  delete mLevelMessageBox;
  mLevelMessageBox = nullptr;
  delete mHudInventory;
  mHudInventory = nullptr;
  delete mHudImplants;
  mHudImplants = nullptr;
  delete mStatusBars;
  mStatusBars = nullptr;
  delete mActionIcons;
  mActionIcons = nullptr;
  delete mHudBackdrop;
  mHudBackdrop = nullptr;
  delete mHudFrameKot;
  mHudFrameKot = nullptr;
  delete mHudFrameJa;
  mHudFrameJa = nullptr;
  delete mHudFrameBf;
  mHudFrameBf = nullptr;
  delete mUltraOverlay;
  mUltraOverlay = nullptr;
  delete mHudFrameBa;
  mHudFrameBa = nullptr;
}

void cQXWorld::FillHud(const cLevelTexts& texts) {
  cDorvaMan* player = GetPlayer();
  if (mStatusBars != nullptr) {
    mStatusBars->Setup(player, kHealthIconTexture, kEnergyIconTexture, kNoiseIconTexture);
  }
  if (mHudImplants != nullptr) {
    mHudImplants->SetOwner(player, mHudFont);
  }
  if (mHudInventory != nullptr) {
    mHudInventory->SetPlayer(player);
  }
  if (mLevelMessageBox != nullptr) {
    mLevelMessageBox->SetFont(mHudFont);
    mMessageBox->SetFont(mHudFont);
  }
  if (mMissionList != nullptr) {
    for (u32 i = 0; i < texts.GetMissionLineCount(); i++) {
      mMissionList->AddLine(texts.GetMissionLine(i));
    }
    mMissionList->SetIcons(mHudFont, kMissionOpenTexture, kMissionDoneTexture);
  }
  if (mTabPanel != nullptr) {
    mTabPanel->SetText(mHudFont, &mMainMissionText);
  }
  if (texts.HasBriefing() && mMessageBox != nullptr) {
    mMessageBox->SetMessage(&mBriefing, kNoDisplayLines, false);
  }
}

void cQXWorld::RenderHudCapture(const cRenderTarget& target) {
  if (mCamera != nullptr) {
    GetRenderManager().RenderFrame(mCamera, target);
  }
}

bool cQXWorld::IsAimingView() const {
  return mGameCamera != nullptr && mGameCamera->GetMode() == kCamAiming;
}

void cQXWorld::HideAlertIcon(s32 level) {
  if (level >= 0 && level < static_cast<s32>(kAlertLevelCount) && mAlertIcons[level] != nullptr) {
    mAlertIcons[level]->Hide();
  }
}

void cQXWorld::ResetHud() {
  if (mStatusBars != nullptr) {
    mStatusBars->Flash(0);
  }
  for (u32 level = 0; level < kAlertLevelCount; level++) {
    HideAlertIcon(static_cast<s32>(level));
  }
}

void cQXWorld::RestartHud() {
  if (mLevelMessageBox != nullptr) {
    mLevelMessageBox->SetMessage(nullptr, kNoDisplayLines, false);
  }
  if (mHudInventory != nullptr) {
    mHudInventory->SetPlayer(GetPlayer());
  }
}

void cQXWorld::CloseMessageBoxOnKey() {
  // A box already on its way out is not closed again.
  if (mMessageBox == nullptr || !mMessageBox->IsShowing() || mMessageBox->GetText().IsEmpty() ||
      mInputMap.AnyKeyPressed() == 0) {
    return;
  }
  StartKeyRelease();
  mMessageBox->SetMessage(nullptr, kNoDisplayLines, false);
  EndAlertDisplay();
  CloseInfoView(true);
  if (mLevelEndState == kLevelStatisticsShown) {
    mMessageBox->ClearSideText();
    mLevelEndState = kLevelStatisticsClosed;
    if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && mTwinTimer != nullptr) {
      mTwinTimer->SetDisabled(1);
    }
  }
}
