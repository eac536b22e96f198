// Event records and the fixed ring they are taken from. Producers take a
// slot, fill it and queue it on the event device; the slot returns to the
// ring when the device has dispatched it.
#pragma once

#include "game/foundation/list.h"
#include "game/foundation/types.h"

enum eEventType : u32 {
  kEventScreenSize = 2,
  kEventTick = 3,
  kEventKey = 4,
  kEventMouseButton = 5,
  kEventMouseMove = 6,
  kEventPadButton = 7,
  kEventPadStick = 8,
};

enum eMouseButton : u32 {
  kMouseLeft = 0,
  kMouseRight = 1,
  kMouseMiddle = 2,
  kMouseWheel = 3,
};

struct tScreenSizeEvent {
  u32 width;  // pixels
  u32 height;
};

struct tTickEvent {
  f32 frameTime;  // seconds, averaged and multiplied by the time scale
};

struct tKeyEvent {
  u32 scanCode;  // DirectInput scan code
  u32 keyCode;
  u8 pressed;  // 1 down, 0 up
};

struct tMouseButtonEvent {
  u32 button;  // eMouseButton
  u8 pressed;  // 1 down, 0 up; for the wheel 1 forward, 0 backward
};

struct tMouseMoveEvent {
  f32 x;  // client pixels
  f32 y;
  f32 dx;
  f32 dy;
};

struct tPadButtonEvent {
  u8 pad;
  u32 buttonMask;  // exactly one bit set
  u8 pressed;
};

struct tPadStickEvent {
  u8 pad;
  u8 stick;  // 0 left, 1 right
  f32 x;
  f32 y;
};

struct tEvent : public cListItem {
  u32 type;
  union {
    tScreenSizeEvent screenSize;
    tTickEvent tick;
    tKeyEvent key;
    tMouseButtonEvent mouseButton;
    tMouseMoveEvent mouseMove;
    tPadButtonEvent padButton;
    tPadStickEvent padStick;
  };
};

constexpr u32 kEventRingSize = 100;

// Takes the next ring slot for an event of type, with a cleared payload, and
// queues it on the event device; the caller fills the payload. When the ring
// is full an input event is dropped (null is returned) so that a queued slot
// is never reused, and one slot is always kept for the tick. Null as well
// when there is no event device.
tEvent* QueueNewEvent(u32 type);

// Events dropped because the ring was full, since start.
u32 GetDroppedEventCount();
