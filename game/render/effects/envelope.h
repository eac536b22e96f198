// Envelopes: keyed curves over time (an emitter's time or a particle's
// relative life) over floats, angles and colours. A value is a constant, a
// line between two keys, or a table of keys evaluated piecewise; a table or
// line asked outside its keys ends the program.
#pragma once

#include "game/foundation/string.h"
#include "game/foundation/types.h"
#include "game/render/colour.h"

// The time a constant envelope reports as its end.
constexpr f32 kEnvelopeConstantEnd = 1e6f;

inline f32 Lerp(f32 from, f32 to, f32 s) { return from + (to - from) * s; }
inline tRGBAf Lerp(const tRGBAf& from, const tRGBAf& to, f32 s) {
  return tRGBAf(Lerp(from.r, to.r, s), Lerp(from.g, to.g, s), Lerp(from.b, to.b, s), Lerp(from.a, to.a, s));
}

// The fatal messages of GetValue outside the keys.
[[noreturn]] void EnvelopeLinearOutOfRange(f32 t, f32 start, f32 end);
[[noreturn]] void EnvelopeTableOutOfRange(f32 t, f32 start, f32 end);
[[noreturn]] void EnvelopeTableTooShort();

// A key; new keys are {0, the value type's default} (white for colours).
template <typename T>
struct tEnvelopeKey {
  tEnvelopeKey() : time(0.0f), value() {}
  tEnvelopeKey(f32 keyTime, const T& keyValue) : time(keyTime), value(keyValue) {}

  f32 time;
  T value;
};

template <typename T>
class tEnvelope {
 public:
  virtual ~tEnvelope() {}

  virtual T GetValue(f32 t) const = 0;
  virtual tEnvelope* Clone() const = 0;
  virtual f32 GetEndTime() const = 0;
  virtual f32 GetStartTime() const = 0;
};

template <typename T>
class tEnvelope_Constant : public tEnvelope<T> {
 public:
  explicit tEnvelope_Constant(const T& value) : mValue(value) {}

  T GetValue(f32 t) const override {
    (void)t;
    return mValue;
  }
  tEnvelope<T>* Clone() const override { return new tEnvelope_Constant(mValue); }
  f32 GetEndTime() const override { return kEnvelopeConstantEnd; }
  f32 GetStartTime() const override { return 0.0f; }

 private:
  T mValue;
};

template <typename T>
class tEnvelope_Linear : public tEnvelope<T> {
 public:
  tEnvelope_Linear(const tEnvelopeKey<T>& first, const tEnvelopeKey<T>& last) : mFirst(first), mLast(last) {}

  // Fatal outside [t0, t1]. Two keys at one time give the first value
  // there instead of dividing by zero.
  T GetValue(f32 t) const override {
    if (!(mFirst.time <= t && t <= mLast.time)) {
      EnvelopeLinearOutOfRange(t, mFirst.time, mLast.time);
    }
    const f32 span = mLast.time - mFirst.time;
    if (span <= 0.0f) {
      return mFirst.value;
    }
    return Lerp(mFirst.value, mLast.value, (t - mFirst.time) / span);
  }
  tEnvelope<T>* Clone() const override { return new tEnvelope_Linear(mFirst, mLast); }
  f32 GetEndTime() const override { return mLast.time; }
  f32 GetStartTime() const override { return mFirst.time; }

 private:
  tEnvelopeKey<T> mFirst;
  tEnvelopeKey<T> mLast;
};

template <typename T>
class tEnvelope_LinearTable : public tEnvelope<T> {
 public:
  // Copies count keys, in the given order; fatal for fewer than 2.
  tEnvelope_LinearTable(const tEnvelopeKey<T>* keys, u32 count) : mKeys(nullptr), mCount(count) {
    if (count < 2) {
      EnvelopeTableTooShort();
    }
    mKeys = new tEnvelopeKey<T>[count];
    for (u32 i = 0; i < count; i++) {
      mKeys[i] = keys[i];
    }
  }
  ~tEnvelope_LinearTable() override { delete[] mKeys; }

  tEnvelope_LinearTable(const tEnvelope_LinearTable&) = delete;
  tEnvelope_LinearTable& operator=(const tEnvelope_LinearTable&) = delete;

  // Linear between the keys around t (the first key later than t and the
  // one before it); exactly the last key's time gives its value; any other
  // time outside the keys is fatal.
  T GetValue(f32 t) const override {
    u32 i = 0;
    while (i < mCount && !(mKeys[i].time > t)) {
      i++;
    }
    if (i > 0 && i < mCount) {
      const tEnvelopeKey<T>& a = mKeys[i - 1];
      const tEnvelopeKey<T>& b = mKeys[i];
      return Lerp(a.value, b.value, (t - a.time) / (b.time - a.time));
    }
    if (t == mKeys[mCount - 1].time) {
      return mKeys[mCount - 1].value;
    }
    EnvelopeTableOutOfRange(t, mKeys[0].time, mKeys[mCount - 1].time);
  }
  tEnvelope<T>* Clone() const override { return new tEnvelope_LinearTable(mKeys, mCount); }
  f32 GetEndTime() const override { return mKeys[mCount - 1].time; }
  f32 GetStartTime() const override { return mKeys[0].time; }

  u32 GetKeyCount() const { return mCount; }
  const tEnvelopeKey<T>& GetKey(u32 index) const { return mKeys[index]; }

 private:
  tEnvelopeKey<T>* mKeys;
  u32 mCount;
};

typedef tEnvelope<f32> tFloatEnvelope;
typedef tEnvelope<tRGBAf> tColourEnvelope;

// Envelopes from a property value: a constant, or "[{t,y},{t,y},...]" with
// two keys (a line) or more (a table). Null when a key is no pair {t,y} in
// braces or a colour is no (r,g,b,a); the caller reports its own message.
tFloatEnvelope* ReadFloatEnvelope(const cString& value);
// Values in degrees, held in radians; key times unchanged.
tFloatEnvelope* ReadAngleEnvelope(const cString& value);
// Values (r,g,b,a), components as written.
tColourEnvelope* ReadColourEnvelope(const cString& value);
