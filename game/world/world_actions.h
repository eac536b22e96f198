// The info view's input actions: "VIEWINFO" closes the view, "VIEWMAP" and
// "VIEWMISSION" switch its tabs. Bound only in the world's info-view input
// map, so they hear keys and pad buttons only while the view is open; each
// acts on a press.
#pragma once

#include "game/app/input/input_action.h"

class cQXWorld;

class cQXWorldAction : public cInputAction {
 public:
  cQXWorldAction(const char* name, cQXWorld* world) : cInputAction(cString(name)), mWorld(world) {}

  void OnKey(const tEvent* event) override;
  void OnPadButton(const tEvent* event) override;

 protected:
  virtual void OnPress() = 0;
  cQXWorld* GetWorld() const { return mWorld; }

 private:
  cQXWorld* mWorld;
};

class cQXWorldAction_ViewInfo : public cQXWorldAction {
 public:
  explicit cQXWorldAction_ViewInfo(cQXWorld* world) : cQXWorldAction("VIEWINFO", world) {}

 protected:
  void OnPress() override;
};

class cQXWorldAction_ViewMap : public cQXWorldAction {
 public:
  explicit cQXWorldAction_ViewMap(cQXWorld* world) : cQXWorldAction("VIEWMAP", world) {}

 protected:
  void OnPress() override;
};

class cQXWorldAction_ViewMission : public cQXWorldAction {
 public:
  explicit cQXWorldAction_ViewMission(cQXWorld* world) : cQXWorldAction("VIEWMISSION", world) {}

 protected:
  void OnPress() override;
};
