// The base of every event listener: OnEvent receives each dispatched event;
// the five input slots are for listeners that sort input by type; a slot a
// listener does not override is the shared EmptyInputSlot.
#pragma once

#include "game/foundation/vector_helpers.h"

class cInputListener {
 public:
  virtual ~cInputListener() {}

  virtual bool OnEvent(const tEvent* event) = 0;
  virtual void OnKey(const tEvent* event) { EmptyInputSlot(event); }
  virtual void OnMouseButton(const tEvent* event) { EmptyInputSlot(event); }
  virtual void OnMouseMove(const tEvent* event) { EmptyInputSlot(event); }
  virtual void OnPadButton(const tEvent* event) { EmptyInputSlot(event); }
  virtual void OnPadStick(const tEvent* event) { EmptyInputSlot(event); }
};
