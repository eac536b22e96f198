// Envelope messages and the reading of envelopes from property values.
#include "game/render/effects/envelope.h"

#include "game/foundation/fatal_error.h"
#include "game/foundation/property.h"

namespace {

constexpr f32 kRadiansPerDegree = 0.017453292f;

// One key "{t,y}": the braces must hold exactly two elements.
bool SplitKey(const cString& text, f32* time, cString* value) {
  cString inside;
  if (text.FindArray(&inside, '{', '}') != 2) {
    return false;
  }
  cString timeText;
  if (!inside.SliceNextElement(&timeText) || !inside.SliceNextElement(value)) {
    return false;
  }
  *time = TextToF32(timeText);
  return true;
}

bool ReadValue(const cString& text, f32 scale, f32* out) {
  *out = TextToF32(text) * scale;
  return true;
}

bool ReadValue(const cString& text, f32 scale, tRGBAf* out) {
  (void)scale;
  f32 components[4];
  if (!ParseRGBAf(text, components)) {
    return false;
  }
  *out = tRGBAf(components[0], components[1], components[2], components[3]);
  return true;
}

// The three forms over values read by ReadValue; scale multiplies float
// values (degrees to radians for angles).
template <typename T>
tEnvelope<T>* ReadEnvelope(const cString& value, f32 scale) {
  cString list;
  const u32 count = value.FindArray(&list, '[', ']');
  if (count < 2) {
    T constant;
    if (!ReadValue(value, scale, &constant)) {
      return nullptr;
    }
    return new tEnvelope_Constant<T>(constant);
  }
  tEnvelopeKey<T>* keys = new tEnvelopeKey<T>[count];
  u32 read = 0;
  cString element;
  while (read < count && list.SliceNextElement(&element)) {
    cString keyValue;
    if (!SplitKey(element, &keys[read].time, &keyValue) || !ReadValue(keyValue, scale, &keys[read].value)) {
      break;
    }
    read++;
  }
  tEnvelope<T>* envelope = nullptr;
  if (read == count) {
    envelope = count == 2 ? static_cast<tEnvelope<T>*>(new tEnvelope_Linear<T>(keys[0], keys[1]))
                          : new tEnvelope_LinearTable<T>(keys, count);
  }
  delete[] keys;
  return envelope;
}

}  // namespace

void EnvelopeLinearOutOfRange(f32 t, f32 start, f32 end) {
  FatalError("tEnvelope_Linear::GetValue(%f) : out of range(%f,%f)", t, start, end);
}

void EnvelopeTableOutOfRange(f32 t, f32 start, f32 end) {
  FatalError("tEnvelope_LinearTable::GetValue(%f) : out of range(%f,%f)", t, start, end);
}

void EnvelopeTableTooShort() { FatalError("tEnvelope_LinearTable : min 2 keys required"); }

tFloatEnvelope* ReadFloatEnvelope(const cString& value) { return ReadEnvelope<f32>(value, 1.0f); }

tFloatEnvelope* ReadAngleEnvelope(const cString& value) { return ReadEnvelope<f32>(value, kRadiansPerDegree); }

tColourEnvelope* ReadColourEnvelope(const cString& value) { return ReadEnvelope<tRGBAf>(value, 1.0f); }
