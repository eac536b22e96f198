// The base of every event listener: OnEvent receives each dispatched event;
// the five input slots are for listeners that sort input by type.
#pragma once

struct tEvent;

class cInputListener {
 public:
  virtual ~cInputListener() {}

  virtual bool OnEvent(const tEvent* event) = 0;
  virtual void OnKey(const tEvent*) {}
  virtual void OnMouseButton(const tEvent*) {}
  virtual void OnMouseMove(const tEvent*) {}
  virtual void OnPadButton(const tEvent*) {}
  virtual void OnPadStick(const tEvent*) {}
};
