// The game atomic plugin's data: the owner pointer, null on creation, copied
// with the atomic.
#include "game/render/models/atomic_plugin.h"

namespace {

struct tAtomicOwner {
  void* owner;
};

void* ConstructOwner(void* object, RwInt32 offset, RwInt32) {
  RwPluginDataGet(tAtomicOwner, object, offset)->owner = nullptr;
  return object;
}

void* DestructOwner(void* object, RwInt32, RwInt32) { return object; }

void* CopyOwner(void* destination, const void* source, RwInt32 offset, RwInt32) {
  RwPluginDataGet(tAtomicOwner, destination, offset)->owner = RwPluginDataGetConst(tAtomicOwner, source, offset)->owner;
  return destination;
}

// The engine forgets its registrations when it terminates, so the offset is
// asked for each time rather than kept from one engine session to the next.
// Below 1: not registered.
tAtomicOwner* OwnerData(const RpAtomic* atomic) {
  const RwInt32 offset = RpAtomicGetPluginOffset(kGameAtomicPluginId);
  if (offset < 1) {
    return nullptr;
  }
  return RwPluginDataGet(tAtomicOwner, const_cast<RpAtomic*>(atomic), offset);
}

}  // namespace

bool RegisterAtomicPlugin() {
  return RpAtomicRegisterPlugin(static_cast<RwInt32>(sizeof(tAtomicOwner)), kGameAtomicPluginId, ConstructOwner,
                                DestructOwner, CopyOwner) >= 0;
}

bool SetAtomicOwner(RpAtomic* atomic, void* owner) {
  tAtomicOwner* data = OwnerData(atomic);
  if (data == nullptr) {
    return false;
  }
  data->owner = owner;
  return true;
}

void* GetAtomicOwner(const RpAtomic* atomic) {
  const tAtomicOwner* data = OwnerData(atomic);
  return data != nullptr ? data->owner : nullptr;
}
