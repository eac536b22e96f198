// The agent the user steers: the one man of the player kind in a level. Its
// input actions set the flags below; each frame turns them into an action
// state (standing, the gaits, turning, device use), turns and looks,
// regenerates implant energy, keeps clear of the other men and tells the
// non-player characters how much noise it makes.
#pragma once

#include "game/app/audio/sound.h"
#include "game/characters/man.h"
#include "game/characters/player/dorva_man_input.h"
#include "game/characters/player/level_stats.h"
#include "game/foundation/array.h"
#include "game/foundation/updatable.h"
#include "game/frontend/hud/hud_sources.h"
#include "game/world/sensors/perceptor.h"

class cBeamImplant;
class cDevice;
class cImplant;
class cLightningBeam;
class cDorvaCam;
class cInputListener;
class cPropertyFile;
class cWgSearchingPanel;
class cWgUseHack;

// Action states; the searches, implants, aiming and hacking states keep
// their numbers for the parts of the player that run them.
enum eActionState : u32 {
  kStateStand = 0,
  kStateSneakStand = 1,
  kStateWalk = 2,
  kStateRun = 3,
  kStateSneak = 4,
  kStateSneakLeft = 5,
  kStateSneakRight = 6,
  kStateSneakTurnLeft = 7,
  kStateSneakTurnRight = 8,
  kStateWalkBackward = 9,
  kStateStrafeLeft = 10,
  kStateStrafeRight = 11,
  kStateForwardLeft = 12,
  kStateForwardRight = 13,
  kStateRunBackward = 14,
  kStateSneakBackward = 15,
  kStateSearchSneaking = 16,
  kStateSearch = 17,
  kStateTurnLeft = 18,
  kStateTurnRight = 19,
  kStateUseHigh = 20,
  kStateUseLow = 21,
  kStateUseHighSneaking = 22,
  kStateUseLowSneaking = 23,
  kStateImplantSneaking = 24,
  kStateImplant = 25,
  kStateAiming = 26,
  kStateHackSneaking = 27,
  kStateHack = 28,
  kStateBodySneaking = 29,
  kStateBody = 30,
  kActionStateCount
};

// Noise levels, each with its noise value from the settings.
enum eNoiseLevel : u32 { kNoiseNone = 0, kNoiseSoft = 1, kNoiseMedium = 2, kNoiseLoud = 3 };

// Below this health the player is dead and frozen.
constexpr f32 kPlayerDeadHealth = 0.1f;
constexpr u32 kSearchBagSize = 15;
// Implant indices.
constexpr u32 kImplantCount = 7;
constexpr u32 kImplantTaser = 2;
constexpr f32 kPadDeadZone = 0.3f;
constexpr f32 kKeyTurnSpeed = 1.74f;  // radians per second
constexpr f32 kLookLimit = 60.0f;     // degrees
constexpr f32 kLookStep = 4.0f;       // degrees a frame of look input
constexpr f32 kDefaultEnergyRegeneration = 2.5f;
// Devices are looked for from this far above the feet; a use point at most
// this much higher again is used low.
constexpr f32 kUseReferenceHeight = 1.05f;
constexpr f32 kUseLowLimit = 1.05f;
// A device acts once its use animation has passed this phase.
constexpr f32 kUseActionPhase = 0.4f;
// The idle variation starts after this many milliseconds of standing.
constexpr f32 kIdleVariationDelay = 10000.0f;
// The player stands this far in front of an aligned device's use point and
// this far to its side.
constexpr f32 kAlignDistance = 0.7f;
constexpr f32 kAlignSide = 0.1f;
// The blocked-ahead test moves the player this far along the facing.
constexpr f32 kBlockedAheadDistance = 0.1f;
// A searchable with no more than this left cannot be searched.
constexpr f32 kSearchableEmpty = 0.1f;

// What the player took: the device and its inventory code (the number of a
// key, the number + 5 of a card).
struct tInventoryItem {
  cDevice* device;
  u32 code;
};

// The flags the input actions write (key, pad and command flags) and the
// frame combines.
struct tPlayerInput {
  u8 forward, backward, forwardPad, backwardPad, forwardKey, backwardKey;
  u8 strafeLeft, strafeRight, strafeLeftPad, strafeRightPad, strafeLeftKey, strafeRightKey;
  u8 run, sneaking, turningLeft, turningRight, centreView, search, useItem, useImplant;
  u8 zoomIn, zoomOut, hologramUse, implantKeyReleased, blocked, sneakToggle, sneakHeld;
  u8 aimingOn, ultraOn, shieldOn, turnLeftKey, turnRightKey, turnLeftPad, turnRightPad;
};

class cDorvaMan : public cMan, public cHudPlayer {
 public:
  cDorvaMan();
  ~cDorvaMan() override;

  // The "dorvaman" group's tuning values into the shared settings.
  static void ReadStaticProperties(const cPropertyFile* file);
  // Heading between two vectors in the ground plane (b's minus a's, radians,
  // -pi..pi).
  static f32 HeadingDifference(const RwV3d& a, const RwV3d& b);
  // The noise level (eNoiseLevel) of an action state.
  static u32 NoiseOfState(u32 state);
  // Whether the action states play the animation slot: a state's entry or
  // the stand's idle variations.
  static bool StatesPlayAnim(u32 slot);

  // POSITION, ANGLE and ENERGYREGENERATION; full health and energy.
  void ReadProperties(const cPropertyGroup* group) override;
  // The level's men are loaded: the world's cue sounds.
  void BindToWorld();
  bool Update(f32 dt) override;

  // Clamped to 0..1; a drop flashes the HUD's bars. While protected a
  // change that would leave at most the dead health is undone.
  void AddHealth(f32 amount);
  void AddEnergy(f32 amount);
  void StartHitTimer();
  void SetNoiseLevel(u32 level);
  // The posture for the Ultra implant: 0 stand, 1 sneak, 2 walk, 3 run, 4
  // none; the value is the settings' field of view for it.
  u32 GetPostureClass();
  f32 GetPostureValue() const { return mPostureValue; }
  s32 GetZoomDirection() const;
  void SetLookLimit(f32 degrees);
  void AddLookAngle(f32 degrees);

  // The combined flags from the key, pad and command flags.
  void CombineInput();
  void EnterActionState();
  void UpdateActionState(f32 dt);
  void SelectStateFromInput();
  bool IsBlockedAhead();
  // Places the player in front of the target device, facing it.
  void AlignToDevice();

  void ShuffleSearchItems();
  void AddInventoryItem(cDevice* device);

  // Searching and hacking (dorva_man_search.cpp). The next item of the bag
  // applied; fatal when all 15 are drawn.
  void AddRandomSearchItem();
  // The first other man whose body lies within reach in a free line; null
  // when none.
  cMan* FindSearchableBody();
  void AddBodySearchItem();
  // The level's key (or card) of number 0, taken once; false when already
  // taken or when the level has none.
  bool TakeBodyPass(bool key);
  // A movement key pressed while the hacking game runs enters its key.
  void PressHackKey(u32 key);
  // Made when the player is bound to a level that runs on the in-game
  // screen; null otherwise (the hacking states then end at once).
  cWgUseHack* GetHackPanel() const { return mHackPanel; }
  cWgSearchingPanel* GetSearchingPanel() const { return mSearchingPanel; }
  u32 GetHacksWon() const { return mHacksWon; }
  void SetHacksWon(u32 count) { mHacksWon = count; }
  u8 IsKeyFound() const { return mKeyFound; }
  u8 IsCardFound() const { return mCardFound; }
  cSndEngWin& GetHackWonSound() { return mHackWonSound; }
  cSndEngWin& GetHackLostSound() { return mHackLostSound; }
  // What the HUD shows of the player, and the HUD's hint of the device,
  // man or body at hand, set each frame into the action icons.
  f32 GetHudHealth() const override { return mHealth; }
  f32 GetHudEnergy() const override { return mEnergy; }
  u32 GetHudNoiseLevel() const override { return mNoiseLevel; }
  u32 GetHudImplant() const override { return mSelectedImplant; }
  bool IsHudImplantAvailable(u32 index) const override;
  u32 GetHudItemCount() const override { return mInventory.GetCount(); }
  u32 GetHudItemType(u32 index) const override;
  void UpdateHudHint();
  // The status bars flash for a hurt.
  void FlashHudBars();

  tPlayerInput& Input() { return mInput; }
  u32& MouseTurnLeftFrames() { return mMouseTurnLeftFrames; }
  u32& MouseTurnRightFrames() { return mMouseTurnRightFrames; }
  u32 GetActionState() const { return mActionState; }
  void SetActionState(u32 state) { mActionState = state; }
  u32 GetNoiseLevel() const { return mNoiseLevel; }
  f32 GetHealth() const { return mHealth; }
  void SetHealth(f32 health) { mHealth = health; }
  f32 GetEnergy() const { return mEnergy; }
  void SetEnergy(f32 energy) { mEnergy = energy; }
  f32 GetEnergyRegeneration() const { return mEnergyRegeneration; }
  f32 GetLookAngle() const { return mLookAngle; }
  f32 GetLookLimit() const { return mLookLimit; }
  void SetLookInput(s32 input) { mLookInput = input; }
  f32 GetKeyTurnSum() const { return mKeyTurnSum; }
  void SetKeyTurnSum(f32 sum) { mKeyTurnSum = sum; }
  // The busy flag is also the world's frozen flag of the player: dialogues
  // and briefings hold the player as a running action does.
  u8 IsBusy() const { return mBusy; }
  void SetBusy(u8 busy) { mBusy = busy; }
  u8 IsAiming() const { return mAiming; }
  u8 IsProtected() const { return mProtected; }
  void SetProtected(u8 value) { mProtected = value; }
  // Set while the death sequence runs; the menus clear it.
  u8 IsDying() const { return mDying; }
  void SetDying(u8 dying) { mDying = dying; }
  // Set when a menu closes, so that the key that closed it does not fire an
  // implant: a press of the implant-use key in the same frame is the menu's.
  // The player's next update clears it, so that his first later press fires
  // (a key held through the close pressed while the menu held the level,
  // which fires nothing).
  u8 IsSkipNextImplantKey() const { return mSkipNextImplantKey; }
  void SetSkipNextImplantKey(u8 skip) { mSkipNextImplantKey = skip; }
  u8 IsSkipAnimation() const { return mSkipAnimation; }
  void SetSkipAnimation(u8 skip) { mSkipAnimation = skip; }
  u8 IsUseReleased() const { return mUseReleased; }
  void SetUseReleased(u8 released) { mUseReleased = released; }
  u32 GetSelectedImplant() const { return mSelectedImplant; }
  cDevice* GetTargetDevice() const { return mTargetDevice; }
  void SetTargetDevice(cDevice* device) { mTargetDevice = device; }
  f32 GetLastFrameTime() const { return mLastFrameTime; }
  cTimer& GetIdleTimer() { return mIdleTimer; }
  const s8* GetSearchBag() const { return mSearchBag; }
  u32 GetInventoryCount() const { return mInventory.GetCount(); }
  const tInventoryItem& GetInventoryItem(u32 index) const {
    return *static_cast<const tInventoryItem*>(mInventory.Get(index));
  }
  cSndEngWin& GetCannotUseSound() { return mCannotUseSound; }

  // The bionic eye and its darts, and the hologram, Ultra and shield
  // (dorva_man_aiming.cpp). While aiming the player is not drawn, the hand
  // and the crosshair show, and the men on the line of sight turn red.
  void ToggleBionicEye();
  void StartAiming();
  void StopAiming();
  // State 26: a use-key press shoots, else the men on the view are tinted.
  void UpdateAimingState(f32 dt);
  void UpdateAiming(f32 dt);
  void ShootDart();
  void ResetMenTint();
  // A use press with the hologram, dart, Ultra or shield selected.
  void UseOtherImplant();
  // The implants' part of a reset: Ultra and shield off, the double gone,
  // the screen untinted, the world's Ultra flag and blocking cleared.
  void ResetImplants();
  // The shield is on (a guard's shot from the front then only blocks).
  bool IsShieldActive() const;
  // The Ultra implant runs or fades (the men's perception reads it).
  bool IsUltraInUse() const;
  // A guard's shot met the shield: the block reaction.
  void BlockShot();
  // The action state's animation again, without the rest of its entry.
  void BlendToStateAnimation();
  u8 IsBlocking() const { return mBlocking; }
  void SetBlocking(u8 blocking) { mBlocking = blocking; }
  // Where and how the last shot's view line met the level.
  const RwV3d& GetAimHitPoint() const { return mAimHitPoint; }
  const RwV3d& GetAimHitNormal() const { return mAimHitNormal; }
  u32 GetSavedSelection() const { return mSavedSelection; }

  // The implants (dorva_man_implants.cpp). A use-implant press starts the
  // taser, the laser or the EDS in state 24 or 25; the entry hangs the
  // implant on the hand and starts it, the step retracts and stops it once
  // its effect is through. The other implants take the press in
  // UseOtherImplant.
  void UseImplant();
  void FaceActionTarget(bool implant);
  void UpdateImplantUse(f32 dt);
  // The nearest other living man in the taser's range with a free line to
  // it; null when none.
  cMan* FindTaserTarget();
  // Whether the implant of the index can be used with the energy left.
  bool IsImplantAvailable(u32 index) const;
  cImplant* GetImplant(u32 index) const { return index < kImplantCount ? mImplants[index] : nullptr; }
  void SetSelectedImplant(u32 index) { mSelectedImplant = index < kImplantCount ? index : mSelectedImplant; }
  // The live level record (in the world's update list once bound) and its
  // checkpoint copy.
  cLevelStats& GetStats() { return mStats; }
  cLevelStats& GetSavedStats() { return mSavedStats; }
  // The boss's lightning bolt hitting the player now; the bolt clears it
  // when it ends.
  cLightningBeam*& LightningBolt() { return mLightningBolt; }

  // Input, vitals, reset and checkpoint (dorva_man_input.cpp,
  // dorva_man_vitals.cpp). Reset puts the player back into its start
  // state: actions cut off, items back in the level, record restarted.
  void Reset();
  void SaveState() override;
  // Reset, then the checkpoint: items taken again, full health, the saved
  // energy.
  void RestoreState() override;
  // The actions into the world's input map, the eye onto the level.
  void BindInputAndEye();
  // Aiming ends: look limit back, aiming flags clear, camera following.
  void EndAiming();
  // The level's game camera; null before the world made it.
  cDorvaCam* GetGameCamera() const;
  cPerceptor& GetPerceptor() { return mEye; }
  cDorvaManActions& GetActions() { return mActions; }
  f32 GetPadDeadZone() const { return mPadDeadZone; }
  s32 GetLookInput() const { return mLookInput; }
  // Raw stick events while strafing at a run or aiming: A strafes, B aims.
  void SetStickHandlers(cInputListener* strafe, cInputListener* aim) {
    mStrafeStickHandler = strafe;
    mAimStickHandler = aim;
  }
  cInputListener* GetStrafeStickHandler() const { return mStrafeStickHandler; }
  cInputListener* GetAimStickHandler() const { return mAimStickHandler; }
  void SetAiming(u8 aiming) { mAiming = aiming; }
  f32 GetSavedHealth() const { return mSavedHealth; }
  f32 GetSavedEnergy() const { return mSavedEnergy; }
  u32 GetSavedInventoryCount() const { return mSavedInventory.GetCount(); }
  u8 IsCancelling() const { return mCancel; }

 protected:
  // The player's collapse: animation 33 when dead, then no health left.
  void FallAsPlayer() override;

 private:
  void LookStep();
  void KeepClearOfMen();
  // The action the use key starts with the device ahead.
  void StartAction();
  // States 20 to 23: the device acts once the use animation is far enough.
  void UpdateDeviceUse();
  void UpdateIdle();
  // Back to the stand (or the sneaking stand) at the end of an action.
  void EndAction();
  // The point kUseReferenceHeight above the feet and the model's facing.
  void GetUseRay(RwV3d* point, RwV3d* direction) const;
  void CreateImplants();
  void BindImplants();
  void DeleteImplants();
  // The laser, EDS or taser selected; null for the other implants.
  cBeamImplant* SelectedBeamImplant() const;
  // The use key's start of a search (searchable ahead, or a body) or of the
  // hacking game (a panel); false when there is nothing to start.
  bool StartSearchOrHack(const RwV3d& point, const RwV3d& direction);
  // States 16 and 17, 29 and 30, 27 and 28.
  void UpdateSearch(f32 dt);
  void UpdateBodySearch(f32 dt);
  void UpdateHack();
  void OpenSearchingPanel();
  // A new hacking panel, when the level runs on the in-game screen.
  void CreateHackPanel();
  void DeletePanels();
  void CloseSearchingPanel();

  cSndEngWin mSearchSound;
  cSndEngWin mPostureSound;
  cSndEngWin mCannotUseSound;
  cSndEngWin mHealthSound;
  cSndEngWin mEnergySound;
  cSndEngWin mKeyCardSound;
  cSndEngWin mPizzaSound;
  cSndEngWin mMissionSound;
  cSndEngWin mMemoSound;
  cSndEngWin mHackLostSound;
  cSndEngWin mHackWonSound;
  RwV3d mAimHitPoint = {0.0f, 0.0f, 0.0f};
  RwV3d mAimHitNormal = {0.0f, 1.0f, 0.0f};
  u32 mSavedSelection = kImplantTaser;  // the selection before aiming
  u8 mBlocking = 0;
  cImplant* mImplants[kImplantCount];  // owned; null for the implants not built yet
  cDevice* mTargetDevice;              // not owned
  cPtrArray mInventory;                // tInventoryItem, owned
  u32 mSelectedImplant;
  u8 mProtected;
  u32 mNoiseLevel;
  tPlayerInput mInput;
  u32 mMouseTurnLeftFrames;
  u32 mMouseTurnRightFrames;
  u32 mActionState;
  f32 mPadDeadZone;
  f32 mKeyTurnSpeed;  // radians per second
  f32 mLookLimit;     // degrees
  f32 mSavedLookLimit;
  f32 mKeyTurnSum;
  f32 mLookAngle;  // degrees
  s32 mLookInput;
  f32 mHealth;
  f32 mEnergy;
  f32 mEnergyRegeneration;
  u8 mSkipAnimation;
  u8 mDying;
  u8 mSkipNextImplantKey;
  cTimer mIdleTimer;  // milliseconds; not in any update list
  f32 mIdleMark;
  f32 mPostureValue;
  u8 mBusy;
  u8 mAiming;
  u8 mUseReleased;
  u8 mKeyFound;
  u8 mCardFound;
  f32 mLastFrameTime;
  s8 mSearchBag[kSearchBagSize];
  cLevelStats mStats;
  cLevelStats mSavedStats;
  cLightningBeam* mLightningBolt = nullptr;      // not owned
  cWgUseHack* mHackPanel = nullptr;              // owned
  cWgSearchingPanel* mSearchingPanel = nullptr;  // owned, while a search runs
  u32 mHacksWon = 0;

  // Input, vitals, reset and checkpoint.
  class cEye : public cPerceptor {
   public:
    explicit cEye(cMan* owner);
    RwFrame* GetPerceptorFrame() const override { return mOwner->GetFrame(); }

   private:
    cMan* mOwner;
  };
  void ReleaseItems(cPtrArray* items);
  void CopyItems(const cPtrArray& from, cPtrArray* to);
  cEye mEye{this};
  cDorvaManActions mActions;
  u8 mCancel = 0;
  cInputListener* mStrafeStickHandler = nullptr;  // not owned
  cInputListener* mAimStickHandler = nullptr;     // not owned
  cPtrArray mSavedInventory;                      // tInventoryItem, owned
  f32 mSavedHealth = 1.0f;
  f32 mSavedEnergy = 1.0f;
  u8 mSavedKeyFound = 0;
  u8 mSavedCardFound = 0;
};
