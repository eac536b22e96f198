// The event ring. Slots are taken in turn; the events waiting in the queue
// are always the run of slots taken last, so the slot at the write index is
// free exactly when it is not linked into the queue.
#include "game/app/event.h"

#include "game/app/input/event_device.h"
#include "game/foundation/fatal_error.h"

namespace {

tEvent sEventRing[kEventRingSize];
u32 sWriteIndex = 0;
u32 sDroppedEvents = 0;
bool sOverflowTraced = false;

u32 NextIndex(u32 index) { return index + 1 == kEventRingSize ? 0 : index + 1; }

// The mouse movement is the largest payload; clearing it clears them all.
static_assert(sizeof(tMouseMoveEvent) >= sizeof(tScreenSizeEvent) && sizeof(tMouseMoveEvent) >= sizeof(tKeyEvent) &&
                  sizeof(tMouseMoveEvent) >= sizeof(tMouseButtonEvent) &&
                  sizeof(tMouseMoveEvent) >= sizeof(tPadButtonEvent) &&
                  sizeof(tMouseMoveEvent) >= sizeof(tPadStickEvent),
              "the mouse movement must be the largest event payload");

void ClearPayload(tEvent* event) { event->mouseMove = tMouseMoveEvent(); }

}  // namespace

tEvent* QueueNewEvent(u32 type) {
  if (gEventDevice == nullptr) {
    return nullptr;
  }
  tEvent* slot = &sEventRing[sWriteIndex];
  if (type == kEventTick) {
    if (slot->IsLinked()) {
      // Only ticks queued without a dispatch between them get here: the
      // oldest waiting event gives way.
      slot->Unlink();
      sDroppedEvents++;
      DebugTrace("Event ring full: oldest event dropped for the tick\n");
    }
  } else if (slot->IsLinked() || sEventRing[NextIndex(sWriteIndex)].IsLinked()) {
    sDroppedEvents++;
    if (!sOverflowTraced) {
      sOverflowTraced = true;
      DebugTrace("Event ring full: input events dropped\n");
    }
    return nullptr;
  } else {
    sOverflowTraced = false;
  }
  sWriteIndex = NextIndex(sWriteIndex);
  slot->type = type;
  ClearPayload(slot);
  gEventDevice->Queue(slot);
  return slot;
}

u32 GetDroppedEventCount() { return sDroppedEvents; }
