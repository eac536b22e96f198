// The input map: reads "data/inputmap.txt" (one standalone property group),
// enables the devices listed under "INPUTDEVICES", binds each action to the
// inputs listed under its name, and hands every input event to the actions
// bound to it while the input latch is set.
#pragma once

#include "game/app/input/input_listener.h"
#include "game/app/input/key_codes.h"
#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"

class cInputAction;

constexpr u32 kMouseButtonSlotCount = 4;
constexpr u32 kPadButtonSlotCount = 18;
constexpr u32 kPadStickSlotCount = 2;

class cInputMap : public cInputListener {
 public:
  // A missing file leaves the map empty with every device disabled.
  explicit cInputMap(const cString& fileName);
  ~cInputMap() override {}

  cInputMap(const cInputMap&) = delete;
  cInputMap& operator=(const cInputMap&) = delete;

  // Binds action to every input listed under its name, after the actions
  // already bound there. A name missing or without inputs is only traced; an
  // input that names nothing is fatal.
  void BindHandler(cInputAction* action);
  // The event to each action bound to its input, in binding order.
  bool OnEvent(const tEvent* event) override;

  // The pressed state of the last key, mouse-button or pad-button event of an
  // enabled device (1 pressed); screens waiting for any key read it.
  u8 AnyKeyPressed() const { return mLastPressed; }
  void ResetAnyKeyPressed() { mLastPressed = 0; }

  bool IsKeyboardEnabled() const { return mKeyboardEnabled != 0; }
  bool IsMouseEnabled() const { return mMouseEnabled != 0; }
  bool IsPadEnabled() const { return mPadEnabled != 0; }

 private:
  // A binding slot: the actions bound to one input, in binding order.
  typedef cPtrArray tInputBinding;

  void EnableDevices();
  // The slot an input element names, or null.
  tInputBinding* FindSlot(const cString& input);
  static void Fire(const tInputBinding& binding, const tEvent* event);

  cPropertyGroup mGroup;
  tInputBinding mKeys[kKeyCodeCount];
  tInputBinding mMouseButtons[kMouseButtonSlotCount];
  tInputBinding mMouseMove;
  tInputBinding mPadButtons[kPadButtonSlotCount];
  tInputBinding mPadSticks[kPadStickSlotCount];
  u8 mKeyboardEnabled;
  u8 mMouseEnabled;
  u8 mPadEnabled;
  u8 mLastPressed;
};
