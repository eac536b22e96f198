// The error record. It lives in the error module's block of the engine
// instance and is valid from the module's construction at start until the
// engine closes; errors raised outside that span are not recorded.
#include "engine/src/plcore/error.h"

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"

namespace {

constexpr RwErrorRecord kNoError = {kRwPluginIdNone, kRwErrNoError};

RwInt32 sErrorOffset = -1;
RwBool sRecordValid = FALSE;
RwInt32 sErrorModuleOpenCount = 0;

RwErrorRecord* PendingRecord() {
  if (!sRecordValid || sErrorOffset < 0 || RwEngineInstance == nullptr || RwEngineInstance == &_rwEngineTemplate) {
    return nullptr;
  }
  return RwPluginDataGet(RwErrorRecord, RwEngineInstance, sErrorOffset);
}

}  // namespace

const RwErrorRecord* RwErrorSet(const RwErrorRecord* e) {
  RwErrorRecord* pending = PendingRecord();
  if (pending == nullptr || e == nullptr) {
    return e;
  }
  if (pending->pluginID != kNoError.pluginID || pending->errorCode != kNoError.errorCode) {
    return e;  // the first error wins
  }
  pending->pluginID = (static_cast<RwUInt32>(e->errorCode) & 0x80000000u) ? kRwPluginIdNone : e->pluginID;
  pending->errorCode = e->errorCode;
  return e;
}

RwErrorRecord* RwErrorGet(RwErrorRecord* out) {
  if (out == nullptr) {
    return nullptr;
  }
  RwErrorRecord* pending = PendingRecord();
  if (pending == nullptr) {
    *out = kNoError;
    return out;
  }
  *out = *pending;
  *pending = kNoError;
  return out;
}

RwInt32 ReturnFirstArgument(RwInt32 code, ...) { return code; }

void RwErrorRaise(RwInt32 pluginID, RwInt32 code) {
  const RwErrorRecord e = {pluginID, code};
  RwErrorSet(&e);
}

void* _rwErrorOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  sErrorOffset = offset;
  sErrorModuleOpenCount++;
  *RwPluginDataGet(RwErrorRecord, instance, offset) = kNoError;
  sRecordValid = TRUE;
  return instance;
}

void* _rwErrorClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  sErrorModuleOpenCount--;
  return instance;
}

void _rwErrorRecordInvalidate(void) { sRecordValid = FALSE; }
