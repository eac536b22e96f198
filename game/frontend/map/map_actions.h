// The full map's motion keys: each sets one of the map view's motion rates
// from its key (while held) or from the pad stick beyond the dead zone.
// Left and right have opposite signs on the keys and on the stick; forward
// and backward the same.
#pragma once

#include "game/app/input/input_action.h"

class cWgMapView;

// The shared part: the map view the action drives.
class cMapAction : public cInputAction {
 public:
  explicit cMapAction(const char* name) : cInputAction(cString(name)), mTarget(nullptr) {}
  void SetTarget(cWgMapView* target) { mTarget = target; }

 protected:
  cWgMapView* mTarget;
};

class cMapAction_Forward : public cMapAction {
 public:
  cMapAction_Forward() : cMapAction("FORWARD") {}
  void OnKey(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;
};

class cMapAction_Backward : public cMapAction {
 public:
  cMapAction_Backward() : cMapAction("BACKWARD") {}
  void OnKey(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;
};

class cMapAction_Left : public cMapAction {
 public:
  cMapAction_Left() : cMapAction("LEFT") {}
  void OnKey(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;
};

class cMapAction_Right : public cMapAction {
 public:
  cMapAction_Right() : cMapAction("RIGHT") {}
  void OnKey(const tEvent* event) override;
  void OnPadStick(const tEvent* event) override;
};
