// The standard keyframe (type 1): a rotation quaternion and a translation at
// a time. Interpolation is spherical with its own single-precision arc cosine
// and sine, so poses come out bit for bit the same whatever the C library.
#include <cstring>

#include "engine/plugin/hanim/hanim_internal.h"
#include "engine/plugin/hanim/rphanim.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/stream.h"

namespace {

// Quaternions closer than this cosine are blended linearly: the spherical
// weights lose their precision as sin(theta) approaches 0.
constexpr RwReal kLinearBlendCosine = 0.999f;

// The real-number part of a key as streamed: time, quaternion x y z w, translation x y z.
constexpr RwInt32 kStreamRealCount = 8;
constexpr RwInt32 kStreamRealBytes = kStreamRealCount * 4;
// Keys the block holds before it first grows.
constexpr RwInt32 kInitialKeyCapacity = 256;

RwUInt32 FloatBits(RwReal value) {
  RwUInt32 bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

RwReal FloatFromBits(RwUInt32 bits) {
  RwReal value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

// Rational approximation of (acos(x) - pi/2 + x) / x^3 around 0, in z = x^2.
RwReal ArcCosineRatio(RwReal z) {
  constexpr RwReal pS0 = 1.66666666666666657415e-01f;
  constexpr RwReal pS1 = -3.25565818622400915405e-01f;
  constexpr RwReal pS2 = 2.01212532134862925881e-01f;
  constexpr RwReal pS3 = -4.00555345006794114027e-02f;
  constexpr RwReal pS4 = 7.91534994289814532176e-04f;
  constexpr RwReal pS5 = 3.47933107596021167570e-05f;
  constexpr RwReal qS1 = -2.40339491173441421878e+00f;
  constexpr RwReal qS2 = 2.02094576023350569471e+00f;
  constexpr RwReal qS3 = -6.88283971605453293030e-01f;
  constexpr RwReal qS4 = 7.70381505559019352791e-02f;
  const RwReal p = z * (pS0 + z * (pS1 + z * (pS2 + z * (pS3 + z * (pS4 + z * pS5)))));
  const RwReal q = 1.0f + z * (qS1 + z * (qS2 + z * (qS3 + z * qS4)));
  return p / q;
}

RwReal Dot(const RtQuat& a, const RtQuat& b) {
  return a.imag.x * b.imag.x + a.imag.y * b.imag.y + a.imag.z * b.imag.z + a.real * b.real;
}

// p x q, p on the left.
RtQuat Multiply(const RtQuat& p, const RtQuat& q) {
  RtQuat out;
  out.real = p.real * q.real - (p.imag.x * q.imag.x + p.imag.y * q.imag.y + p.imag.z * q.imag.z);
  out.imag.x = p.real * q.imag.x + q.real * p.imag.x + (p.imag.y * q.imag.z - p.imag.z * q.imag.y);
  out.imag.y = p.real * q.imag.y + q.real * p.imag.y + (p.imag.z * q.imag.x - p.imag.x * q.imag.z);
  out.imag.z = p.real * q.imag.z + q.real * p.imag.z + (p.imag.x * q.imag.y - p.imag.y * q.imag.x);
  return out;
}

RpHAnimStdKeyFrame* AsKey(void* key) { return static_cast<RpHAnimStdKeyFrame*>(key); }

// The pose a fraction f of the way from k1 to k2. k2's quaternion is negated
// in place when the two lie in opposite hemispheres (the rotation it stands
// for is the same), so that the blend takes the short way round.
void Slerp(RpHAnimStdKeyFrame* out, const RpHAnimStdKeyFrame* k1, RpHAnimStdKeyFrame* k2, RwReal f) {
  RwReal cosine = Dot(k1->q, k2->q);
  if (cosine < 0.0f) {
    cosine = -cosine;
    k2->q.imag = {-k2->q.imag.x, -k2->q.imag.y, -k2->q.imag.z};
    k2->q.real = -k2->q.real;
  }
  RwReal a = 1.0f - f;
  RwReal b = f;
  if (cosine < kLinearBlendCosine) {
    const RwReal theta = _rpHAnimArcCosine(cosine);
    const RwReal sine = _rpHAnimKernelSine(theta);
    a = _rpHAnimKernelSine((1.0f - f) * theta) / sine;
    b = _rpHAnimKernelSine(f * theta) / sine;
  }
  const RtQuat q1 = k1->q;
  const RtQuat q2 = k2->q;
  const RwV3d t1 = k1->t;
  const RwV3d t2 = k2->t;
  out->q.imag = {a * q1.imag.x + b * q2.imag.x, a * q1.imag.y + b * q2.imag.y, a * q1.imag.z + b * q2.imag.z};
  out->q.real = a * q1.real + b * q2.real;
  out->t = {t1.x + (t2.x - t1.x) * f, t1.y + (t2.y - t1.y) * f, t1.z + (t2.z - t1.z) * f};
}

bool ReadKey(RwStream* stream, RpHAnimStdKeyFrame* key, RwUInt32* previousOffset) {
  RwReal reals[kStreamRealCount];
  if (RwStreamReadReal(stream, reals, kStreamRealBytes) == nullptr) {
    return false;
  }
  RwInt32 offset;
  if (RwStreamReadInt32(stream, &offset, sizeof(offset)) == nullptr) {
    return false;
  }
  key->prevFrame = nullptr;
  key->time = reals[0];
  key->pad = 0;
  key->q.imag = {reals[1], reals[2], reals[3]};
  key->q.real = reals[4];
  key->t = {reals[5], reals[6], reals[7]};
  *previousOffset = static_cast<RwUInt32>(offset);
  return true;
}

// Room for count keys, moving the block when it must grow; null when the
// memory functions refuse (the old block is then still the caller's).
RpHAnimStdKeyFrame* Grow(RpHAnimStdKeyFrame* keys, RwInt32 count) {
  return static_cast<RpHAnimStdKeyFrame*>(RwRealloc(keys, sizeof(RpHAnimStdKeyFrame) * static_cast<size_t>(count)));
}

}  // namespace

RwReal _rpHAnimArcCosine(RwReal k) {
  constexpr RwReal pi = 3.1415925026e+00f;
  constexpr RwReal pio2_hi = 1.5707962513e+00f;
  constexpr RwReal pio2_lo = 7.5497894159e-08f;
  const RwUInt32 bits = FloatBits(k);
  const RwUInt32 magnitude = bits & 0x7FFFFFFFu;
  const bool negative = (bits & 0x80000000u) != 0;
  if (magnitude == 0x3F800000u) {  // |k| = 1
    return negative ? pi + 2.0f * pio2_lo : 0.0f;
  }
  if (magnitude > 0x3F800000u) {  // |k| > 1 or NaN
    return (k - k) / (k - k);
  }
  if (magnitude < 0x3F000000u) {     // |k| < 0.5
    if (magnitude <= 0x23000000u) {  // |k| <= 2^-57
      return pio2_hi + pio2_lo;
    }
    const RwReal r = ArcCosineRatio(k * k);
    return pio2_hi - (k - (pio2_lo - k * r));
  }
  if (negative) {  // k <= -0.5
    const RwReal z = (1.0f + k) * 0.5f;
    const RwReal s = __builtin_sqrtf(z);
    const RwReal w = ArcCosineRatio(z) * s - pio2_lo;
    return pi - 2.0f * (s + w);
  }
  // k >= 0.5: the square root split into a head of 12 significant bits and a
  // correction, so that 2 (head + tail) keeps full precision.
  const RwReal z = (1.0f - k) * 0.5f;
  const RwReal s = __builtin_sqrtf(z);
  const RwReal head = FloatFromBits(FloatBits(s) & 0xFFFFF000u);
  const RwReal correction = (z - head * head) / (s + head);
  const RwReal w = ArcCosineRatio(z) * s + correction;
  return 2.0f * (head + w);
}

RwReal _rpHAnimKernelSine(RwReal x) {
  constexpr RwReal S1 = -1.66666666666666324348e-01f;
  constexpr RwReal S2 = 8.33333333332248946124e-03f;
  constexpr RwReal S3 = -1.98412698298579493134e-04f;
  constexpr RwReal S4 = 2.75573137070700676789e-06f;
  constexpr RwReal S5 = -2.50507602534068634195e-08f;
  constexpr RwReal S6 = 1.58969099521155010221e-10f;
  const RwReal z = x * x;
  const RwReal v = z * x;
  const RwReal r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  return x + v * (S1 + z * r);
}

void _rpHAnimStdKeyFrameToMatrix(RwMatrix* matrix, const RpHAnimStdKeyFrame* key) {
  const RwReal x = key->q.imag.x;
  const RwReal y = key->q.imag.y;
  const RwReal z = key->q.imag.z;
  const RwReal w = key->q.real;
  matrix->right = {1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y)};
  matrix->up = {2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x)};
  matrix->at = {2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y)};
  matrix->pos = key->t;
  matrix->flags = kRwMatrixTypeOrthonormal;
  matrix->pad1 = 0;
  matrix->pad2 = 0;
  matrix->pad3 = 0;
}

void RpHAnimKeyFrameApply(void* matrix, void* key) {
  _rpHAnimStdKeyFrameToMatrix(static_cast<RwMatrix*>(matrix), AsKey(key));
}

void RpHAnimKeyFrameInterpolate(void* out, void* key1, void* key2, RwReal time) {
  const RpHAnimStdKeyFrame* k1 = AsKey(key1);
  RpHAnimStdKeyFrame* k2 = AsKey(key2);
  // Keys of equal times (a corrupt node) hold the first key's pose.
  const RwReal span = k2->time - k1->time;
  const RwReal f = span != 0.0f ? (time - k1->time) / span : 0.0f;
  Slerp(AsKey(out), k1, k2, f);
}

void RpHAnimKeyFrameBlend(void* out, void* in1, void* in2, RwReal alpha) {
  Slerp(AsKey(out), AsKey(in1), AsKey(in2), alpha);
}

void RpHAnimKeyFrameAdd(void* out, void* in1, void* in2) {
  const RpHAnimStdKeyFrame* p = AsKey(in1);
  const RpHAnimStdKeyFrame* q = AsKey(in2);
  const RtQuat rotation = Multiply(p->q, q->q);
  const RwV3d translation = {p->t.x + q->t.x, p->t.y + q->t.y, p->t.z + q->t.z};
  AsKey(out)->q = rotation;
  AsKey(out)->t = translation;
}

void RpHAnimKeyFrameMulRecip(void* key, void* base) {
  RpHAnimStdKeyFrame* k = AsKey(key);
  const RpHAnimStdKeyFrame* b = AsKey(base);
  const RwReal norm = Dot(b->q, b->q);
  if (norm == 0.0f) {
    return;  // a zero quaternion has no inverse: the key stays as it is
  }
  RtQuat inverse;
  inverse.imag = {-b->q.imag.x / norm, -b->q.imag.y / norm, -b->q.imag.z / norm};
  inverse.real = b->q.real / norm;
  k->q = Multiply(inverse, k->q);
  k->t = {k->t.x - b->t.x, k->t.y - b->t.y, k->t.z - b->t.z};
}

RtAnimAnimation* RpHAnimKeyFrameStreamRead(RwStream* stream, RtAnimAnimation* animation) {
  const RwInt32 count = animation->numFrames;
  if (count == 0) {
    animation->pFrames = nullptr;
    return animation;
  }
  RwInt32 capacity = count < kInitialKeyCapacity ? count : kInitialKeyCapacity;
  RpHAnimStdKeyFrame* keys = Grow(nullptr, capacity);
  if (keys == nullptr) {
    return nullptr;
  }
  // Each key's previous-key index waits in its padding word until the block
  // stops moving.
  for (RwInt32 i = 0; i < count; i++) {
    if (i == capacity) {
      capacity = capacity <= count / 2 ? capacity * 2 : count;
      RpHAnimStdKeyFrame* grown = Grow(keys, capacity);
      if (grown == nullptr) {
        RwFree(keys);
        return nullptr;
      }
      keys = grown;
    }
    RwUInt32 offset;
    if (!ReadKey(stream, &keys[i], &offset) || offset / kRpHAnimStdKeyFrameStreamSize >= static_cast<RwUInt32>(count)) {
      RwFree(keys);
      return nullptr;
    }
    keys[i].pad = offset / kRpHAnimStdKeyFrameStreamSize;
  }
  for (RwInt32 i = 0; i < count; i++) {
    keys[i].prevFrame = &keys[keys[i].pad];
    keys[i].pad = 0;
  }
  animation->pFrames = keys;
  return animation;
}

RwBool RpHAnimKeyFrameStreamWrite(const RtAnimAnimation* animation, RwStream* stream) {
  const RpHAnimStdKeyFrame* keys = static_cast<const RpHAnimStdKeyFrame*>(animation->pFrames);
  for (RwInt32 i = 0; i < animation->numFrames; i++) {
    const RpHAnimStdKeyFrame& key = keys[i];
    const RwReal reals[kStreamRealCount] = {key.time,   key.q.imag.x, key.q.imag.y, key.q.imag.z,
                                            key.q.real, key.t.x,      key.t.y,      key.t.z};
    // A key without a previous key in the block (a node's first) stores 0.
    const RpHAnimStdKeyFrame* previous = key.prevFrame;
    const bool inBlock = previous != nullptr && previous >= keys && previous < keys + animation->numFrames;
    const RwInt32 offset = inBlock ? static_cast<RwInt32>(previous - keys) * kRpHAnimStdKeyFrameStreamSize : 0;
    if (RwStreamWriteReal(stream, reals, kStreamRealBytes) == nullptr ||
        RwStreamWriteInt32(stream, &offset, sizeof(offset)) == nullptr) {
      return FALSE;
    }
  }
  return TRUE;
}

RwInt32 RpHAnimKeyFrameStreamGetSize(const RtAnimAnimation* animation) {
  return animation->numFrames * kRpHAnimStdKeyFrameStreamSize;
}
