// cUpdatable, cTimer and the update walk.
#include "game/foundation/updatable.h"

cListNode* gUpdateCursor = nullptr;

cUpdatable::~cUpdatable() {
  if (gUpdateCursor == this) {
    gUpdateCursor = cList::Next(this);
  }
}

bool cUpdatable::Update(f32) { return false; }

bool cUpdatable::PostUpdate(f32) { return false; }

namespace {

template <bool kPost>
void WalkClients(cList& list, f32 dt) {
  // A client may run a walk of its own list; the outer walk's cursor is kept
  // aside meanwhile.
  cListNode* outerCursor = gUpdateCursor;
  cListNode* node = list.First();
  while (node != nullptr) {
    gUpdateCursor = cList::Next(node);
    cUpdatable* client = static_cast<cUpdatable*>(node);
    bool remove = kPost ? client->PostUpdate(dt) : client->Update(dt);
    if (remove) {
      delete client;
    }
    node = gUpdateCursor;
  }
  gUpdateCursor = outerCursor;
}

}  // namespace

void UpdateClients(cList& list, f32 dt) { WalkClients<false>(list, dt); }

void PostUpdateClients(cList& list, f32 dt) { WalkClients<true>(list, dt); }

bool cTimer::Update(f32 dt) {
  mMilliseconds += dt * 1000.0f;
  return false;
}
