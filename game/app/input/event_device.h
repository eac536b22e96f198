// The one event device: a queue of events and the list of handlers that each
// dispatched event is handed to, in order.
#pragma once

#include "game/app/event.h"
#include "game/app/input/input_listener.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"

class cEventDevice {
 public:
  cEventDevice() : mDispatchDepth(0) {}
  ~cEventDevice();

  cEventDevice(const cEventDevice&) = delete;
  cEventDevice& operator=(const cEventDevice&) = delete;

  // Appends a link to handler; a handler added twice receives each event twice.
  void AddEventHandler(cInputListener* handler);
  // Clears the first link that holds handler; the link itself goes at the end
  // of the next dispatch. Fatal when no link holds it.
  cInputListener* RemoveEventHandler(cInputListener* handler);
  // Hands every queued event, including those queued meanwhile, to every
  // handler, then deletes the links of removed handlers.
  void Dispatch();

  void Queue(tEvent* event) { mQueue.Append(event); }
  const cList& GetQueue() const { return mQueue; }
  const cList& GetHandlers() const { return mHandlers; }

 private:
  void DeleteRemovedLinks();

  cList mQueue;
  cList mHandlers;
  u32 mDispatchDepth;
};

extern cEventDevice* gEventDevice;

// Input reaches the input maps only while the latch is set; the flag is
// copied into the latch before each event is offered to the handlers.
extern u8 gInputEnabled;
extern u8 gInputLatch;

// Create the device once; destroy it with its handler links.
void CreateEventDevice();
void DestroyEventDevice();
