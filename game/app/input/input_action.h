// A named input action: the input map binds it to the inputs listed under its
// name and hands it their events, which it sorts by type into the five input
// slots that derived actions override.
#pragma once

#include "game/app/input/input_listener.h"
#include "game/foundation/string.h"

class cInputAction : public cInputListener {
 public:
  explicit cInputAction(const cString& name) : mName(name) {}
  ~cInputAction() override {}

  cInputAction(const cInputAction&) = delete;
  cInputAction& operator=(const cInputAction&) = delete;

  // Key, mouse and pad events to their slots; other types are ignored. The
  // result means nothing.
  bool OnEvent(const tEvent* event) override;

  // The key under which the input map lists the action's inputs.
  const cString& GetName() const { return mName; }

 private:
  cString mName;
};
