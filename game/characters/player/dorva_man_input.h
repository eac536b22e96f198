// The player's 26 named input actions. Each records the player's wishes in
// its input flags (the player's frame step turns them into movement and
// action states) or calls one of a few operations directly: implant
// selection, the info view, the dialogue box, the bionic eye, the look pitch
// and the turning of the model. "data/inputmap.txt" binds each name to keys,
// mouse buttons and movement, pad buttons and sticks.
#pragma once

#include "game/app/event.h"
#include "game/app/input/input_action.h"
#include "game/foundation/types.h"

class cDorvaMan;
class cInputMap;

class cDorvaManAction : public cInputAction {
 public:
  explicit cDorvaManAction(const char* name) : cInputAction(cString(name)), mPlayer(nullptr) {}

  void SetPlayer(cDorvaMan* player) { mPlayer = player; }

 protected:
  cDorvaMan* mPlayer;
};

// "FORWARD", "BACKWARD", "LEFT", "RIGHT": the key flag (and the hacking
// panel's key while hacking) and the stick rule of the direction.
class cDorvaManAction_Move : public cDorvaManAction {
 public:
  enum eDirection : u32 { kForward, kBackward, kLeft, kRight };
  cDorvaManAction_Move(const char* name, eDirection direction) : cDorvaManAction(name), mDirection(direction) {}

  void OnKey(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;

 private:
  eDirection mDirection;
};

// "TURNRIGHT" (sign -1) and "TURNLEFT" (sign +1): the key-turn sum and the
// turn key flag; keys only.
class cDorvaManAction_TurnKey : public cDorvaManAction {
 public:
  cDorvaManAction_TurnKey(const char* name, s32 sign) : cDorvaManAction(name), mSign(sign) {}

  void OnKey(const tEvent* event) override;

 private:
  s32 mSign;
};

// "TURN": the mouse and the stick turn the model.
class cDorvaManAction_Turn : public cDorvaManAction {
 public:
  cDorvaManAction_Turn() : cDorvaManAction("TURN") {}

  void OnMouseMove(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;
};

// "LOOKUP" (up) and "LOOKDOWN": the look input; keys only.
class cDorvaManAction_LookKey : public cDorvaManAction {
 public:
  cDorvaManAction_LookKey(const char* name, bool up) : cDorvaManAction(name), mUp(up) {}

  void OnKey(const tEvent* event) override;

 private:
  bool mUp;
};

// "LOOK": the mouse and the stick change the look pitch.
class cDorvaManAction_Look : public cDorvaManAction {
 public:
  cDorvaManAction_Look() : cDorvaManAction("LOOK") {}

  void OnMouseMove(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;
};

// "CENTER_VIEW" (not while busy), "RUN", "SNEAK", "SEARCH", "ZOOMIN" and
// "ZOOMOUT": one input flag follows the key or pad button.
class cDorvaManAction_Hold : public cDorvaManAction {
 public:
  enum eFlag : u32 { kCentreView, kRun, kSneak, kSearch, kZoomIn, kZoomOut };
  cDorvaManAction_Hold(const char* name, eFlag flag) : cDorvaManAction(name), mFlag(flag) {}

  void OnKey(const tEvent* event) override { Set(event->key.pressed); }
  void OnPadButton(const tEvent* event) override { Set(event->padButton.pressed); }

 private:
  void Set(u8 pressed);
  eFlag mFlag;
};

// "SNEAKTOGGLE": each press inverts the sneak toggle.
class cDorvaManAction_SneakToggle : public cDorvaManAction {
 public:
  cDorvaManAction_SneakToggle() : cDorvaManAction("SNEAKTOGGLE") {}

  void OnKey(const tEvent* event) override { Toggle(event->key.pressed); }
  void OnPadButton(const tEvent* event) override { Toggle(event->padButton.pressed); }

 private:
  void Toggle(u8 pressed);
};

// "USEITEM": a press asks for a use; any event marks the key released
// unless it is a press.
class cDorvaManAction_UseItem : public cDorvaManAction {
 public:
  cDorvaManAction_UseItem() : cDorvaManAction("USEITEM") {}

  void OnKey(const tEvent* event) override { Use(event->key.pressed); }
  void OnMouseButton(const tEvent* event) override { Use(event->mouseButton.pressed); }
  void OnPadButton(const tEvent* event) override { Use(event->padButton.pressed); }

 private:
  void Use(u8 pressed);
};

// "USEIMPLANT": keys and pad buttons honour the player's skip after a menu
// (the press that closed it does not fire); the mouse does not. Nothing
// fires while a menu holds the level.
class cDorvaManAction_UseImplant : public cDorvaManAction {
 public:
  cDorvaManAction_UseImplant() : cDorvaManAction("USEIMPLANT") {}

  void OnKey(const tEvent* event) override { Use(event->key.pressed, true); }
  void OnMouseButton(const tEvent* event) override { Use(event->mouseButton.pressed, false); }
  void OnPadButton(const tEvent* event) override { Use(event->padButton.pressed, true); }

 private:
  void Use(u8 pressed, bool honourSkip);
};

// "USEBIONICEYE": a press toggles the bionic eye.
class cDorvaManAction_BionicEye : public cDorvaManAction {
 public:
  cDorvaManAction_BionicEye() : cDorvaManAction("USEBIONICEYE") {}

  void OnKey(const tEvent* event) override { Toggle(event->key.pressed); }
  void OnMouseButton(const tEvent* event) override { Toggle(event->mouseButton.pressed); }
  void OnPadButton(const tEvent* event) override { Toggle(event->padButton.pressed); }

 private:
  void Toggle(u8 pressed);
};

// "NEXTIMPLANT" (step +1: a mouse button's press) and "PREVIMPLANT" (step
// -1: a mouse button's release, so one wheel serves both); keys and pad
// buttons act on a press.
class cDorvaManAction_SelectImplant : public cDorvaManAction {
 public:
  cDorvaManAction_SelectImplant(const char* name, s32 step) : cDorvaManAction(name), mStep(step) {}

  void OnKey(const tEvent* event) override;
  void OnMouseButton(const tEvent* event) override;
  void OnPadButton(const tEvent* event) override;

 private:
  void Select();
  s32 mStep;
};

// "VIEWINFO": a press opens the info view.
class cDorvaManAction_ViewInfo : public cDorvaManAction {
 public:
  cDorvaManAction_ViewInfo() : cDorvaManAction("VIEWINFO") {}

  void OnKey(const tEvent* event) override { Open(event->key.pressed); }
  void OnPadButton(const tEvent* event) override { Open(event->padButton.pressed); }

 private:
  void Open(u8 pressed);
};

// "QUITAPP": bound so that its key is taken; the player does nothing with it.
class cDorvaManAction_QuitApp : public cDorvaManAction {
 public:
  cDorvaManAction_QuitApp() : cDorvaManAction("QUITAPP") {}

  void OnKey(const tEvent*) override {}
};

// "DELETEDIALOGUE" and "DELETEDIALOGUEALL" (no follow-up): a press arms, the
// release that follows closes the dialogue, so a held key closes one only.
class cDorvaManAction_Dialogue : public cDorvaManAction {
 public:
  cDorvaManAction_Dialogue(const char* name, bool noFollowUp)
      : cDorvaManAction(name), mNoFollowUp(noFollowUp), mArmed(0) {}

  void OnKey(const tEvent* event) override { Act(event->key.pressed); }
  void OnMouseButton(const tEvent* event) override { Act(event->mouseButton.pressed); }
  void OnPadButton(const tEvent* event) override { Act(event->padButton.pressed); }

  u8 IsArmed() const { return mArmed; }

 private:
  void Act(u8 pressed);
  bool mNoFollowUp;
  u8 mArmed;
};

// The 26 actions in their binding order.
class cDorvaManActions {
 public:
  cDorvaManActions();

  // Every action takes the player as its target and is bound in the map.
  void Bind(cDorvaMan* player, cInputMap* map);

  static constexpr u32 kCount = 26;
  cDorvaManAction* Get(u32 index) const { return mAll[index]; }

 private:
  cDorvaManAction_Move mForward;
  cDorvaManAction_Move mBackward;
  cDorvaManAction_Move mLeft;
  cDorvaManAction_Move mRight;
  cDorvaManAction_TurnKey mTurnRight;
  cDorvaManAction_TurnKey mTurnLeft;
  cDorvaManAction_Turn mTurn;
  cDorvaManAction_LookKey mLookUp;
  cDorvaManAction_LookKey mLookDown;
  cDorvaManAction_Look mLook;
  cDorvaManAction_Hold mCentreView;
  cDorvaManAction_Hold mRun;
  cDorvaManAction_Hold mSneak;
  cDorvaManAction_SneakToggle mSneakToggle;
  cDorvaManAction_Hold mSearch;
  cDorvaManAction_UseItem mUseItem;
  cDorvaManAction_UseImplant mUseImplant;
  cDorvaManAction_BionicEye mBionicEye;
  cDorvaManAction_Hold mZoomIn;
  cDorvaManAction_Hold mZoomOut;
  cDorvaManAction_SelectImplant mNextImplant;
  cDorvaManAction_SelectImplant mPrevImplant;
  cDorvaManAction_ViewInfo mViewInfo;
  cDorvaManAction_QuitApp mQuitApp;
  cDorvaManAction_Dialogue mDeleteDialogue;
  cDorvaManAction_Dialogue mDeleteDialogueAll;
  cDorvaManAction* mAll[kCount];
};
