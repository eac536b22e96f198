// cEventDevice: queue, handler list and dispatch.
#include "game/app/input/event_device.h"

#include "game/foundation/fatal_error.h"

cEventDevice* gEventDevice = nullptr;
u8 gInputEnabled = 0;
u8 gInputLatch = 0;

cEventDevice::~cEventDevice() {
  while (!mHandlers.IsEmpty()) {
    delete static_cast<cListLink*>(mHandlers.First());
  }
  mQueue.Clear();
}

void cEventDevice::AddEventHandler(cInputListener* handler) { mHandlers.Append(new cListLink(handler)); }

cInputListener* cEventDevice::RemoveEventHandler(cInputListener* handler) {
  for (cListNode* node = mHandlers.First(); node != nullptr; node = cList::Next(node)) {
    cListLink* link = static_cast<cListLink*>(node);
    if (link->GetObject() == handler) {
      link->SetObject(nullptr);
      return handler;
    }
  }
  FatalError("cEventDevice::RemoveEventHandler() : handler is not in the list!\n");
}

void cEventDevice::Dispatch() {
  mDispatchDepth++;
  while (!mQueue.IsEmpty()) {
    tEvent* event = static_cast<tEvent*>(mQueue.First());
    event->Unlink();
    gInputLatch = gInputEnabled;
    // The next link is taken after each call, so a handler added meanwhile
    // already sees this event and a removed one sees nothing more.
    for (cListNode* node = mHandlers.First(); node != nullptr; node = cList::Next(node)) {
      cInputListener* handler = static_cast<cInputListener*>(static_cast<cListLink*>(node)->GetObject());
      if (handler != nullptr) {
        handler->OnEvent(event);
      }
    }
    gInputLatch = gInputEnabled;
  }
  mDispatchDepth--;
  // A dispatch run from inside a handler (a movie's message pump raising the
  // idle event) leaves the links alone: the outer walk still stands on one.
  if (mDispatchDepth == 0) {
    DeleteRemovedLinks();
  }
}

void cEventDevice::DeleteRemovedLinks() {
  cListNode* node = mHandlers.First();
  while (node != nullptr) {
    cListNode* next = cList::Next(node);
    cListLink* link = static_cast<cListLink*>(node);
    if (link->GetObject() == nullptr) {
      delete link;
    }
    node = next;
  }
}

void CreateEventDevice() {
  if (gEventDevice == nullptr) {
    gEventDevice = new cEventDevice();
  }
}

void DestroyEventDevice() {
  delete gEventDevice;
  gEventDevice = nullptr;
}
