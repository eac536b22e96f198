// The animation toolkit: keyframe animations and the interpolators that play
// them. The toolkit knows nothing about what a key means: keyframe types
// register a descriptor of callbacks, and an interpolator moves through each
// node's keys over time, asking the type to interpolate, blend or combine.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwStream;

constexpr RwUInt32 kRtAnimPluginId = 0x1B7;  // 439, also the module of its error records
constexpr RwUInt32 kRwChunkAnimAnimation = 0x1B;
constexpr RwUInt32 kRtAnimStreamVersion = 0x100;
// Keyframe types the program can register.
constexpr RwInt32 kRtAnimMaxKeyFrameTypes = 16;

// Error codes of module 439.
constexpr RwInt32 kRtAnimErrTypeRegistered = 0;
constexpr RwInt32 kRtAnimErrRegistryFull = 1;
constexpr RwInt32 kRtAnimErrUnknownType = 2;

// Every key starts with this header: the key of the same node before it in
// time (null for a node's first key) and its time in seconds.
struct RtAnimKeyFrameHeader {
  void* prevFrame;
  RwReal time;
  RwUInt32 pad;
};

// An interpolator slot starts instead with the two keys the node lies between;
// the interpolated key's own data follow at the same offset as in a key.
struct RtAnimInterpFrameHeader {
  RtAnimKeyFrameHeader* keyFrame1;  // older
  RtAnimKeyFrameHeader* keyFrame2;  // newer
};

static_assert(sizeof(RtAnimKeyFrameHeader) == sizeof(RtAnimInterpFrameHeader),
              "key data must sit at the same offset in keys and slots");

struct RtAnimAnimation;
struct RtAnimInterpolator;

// Key callbacks; out may be an interpolator slot, and the inputs of blend and
// add are slots. Only the data after the header is read or written, except
// that interpolate reads the two keys' times.
typedef void (*RtAnimKeyFrameApplyCallBack)(void* matrix, void* key);
typedef void (*RtAnimKeyFrameBlendCallBack)(void* out, void* in1, void* in2, RwReal alpha);
typedef void (*RtAnimKeyFrameInterpolateCallBack)(void* out, void* key1, void* key2, RwReal time);
typedef void (*RtAnimKeyFrameAddCallBack)(void* out, void* in1, void* in2);
// Rewrites key relative to base.
typedef void (*RtAnimKeyFrameMulRecipCallBack)(void* key, void* base);
// Reads animation->numFrames keys into a block it allocates with the engine's
// memory functions and stores in animation->pFrames; on failure it frees what
// it made and returns null. Growing the block as keys arrive keeps a corrupt
// key count from asking for more memory than the stream holds.
typedef RtAnimAnimation* (*RtAnimKeyFrameStreamReadCallBack)(RwStream* stream, RtAnimAnimation* animation);
typedef RwBool (*RtAnimKeyFrameStreamWriteCallBack)(const RtAnimAnimation* animation, RwStream* stream);
// Bytes the keys take in a stream.
typedef RwInt32 (*RtAnimKeyFrameStreamGetSizeCallBack)(const RtAnimAnimation* animation);

// A registered keyframe type. Key sizes are in-memory sizes.
struct RtAnimKeyFrameType {
  RwUInt32 typeID;
  RwUInt32 keyFrameSize;
  RtAnimKeyFrameApplyCallBack keyFrameApplyCB;
  RtAnimKeyFrameBlendCallBack keyFrameBlendCB;
  RtAnimKeyFrameInterpolateCallBack keyFrameInterpolateCB;
  RtAnimKeyFrameAddCallBack keyFrameAddCB;
  RtAnimKeyFrameMulRecipCallBack keyFrameMulRecipCB;
  RtAnimKeyFrameStreamReadCallBack keyFrameStreamReadCB;
  RtAnimKeyFrameStreamWriteCallBack keyFrameStreamWriteCB;
  RtAnimKeyFrameStreamGetSizeCallBack keyFrameStreamGetSizeCB;
};

// Key block order for n nodes: the first key of every node (node order), then
// the second key of every node, then every further key sorted by the time of
// its previous key. Each node's first key is at 0 and its last at the duration.
struct RtAnimAnimation {
  RtAnimKeyFrameType* interpInfo;
  RwInt32 numFrames;  // keys in the block
  RwUInt32 flags;
  RwReal duration;  // seconds, > 0
  void* pFrames;    // numFrames x interpInfo->keyFrameSize bytes
};

// Called with its data; a null result removes the callback.
typedef RtAnimInterpolator* (*RtAnimCallBack)(RtAnimInterpolator* interpolator, void* data);

// Plays one animation over a fixed number of nodes; one slot a node follows
// the record (see RtAnimInterpolatorGetSlot).
struct RtAnimInterpolator {
  RtAnimAnimation* pCurrentAnim;
  RwReal currentTime;
  void* pNextFrame;  // next key to become due; null when the next advance must rebind
  RtAnimCallBack pAnimCallBack;
  void* pAnimCallBackData;
  RwReal animCallBackTime;  // -1 when none
  RtAnimCallBack pAnimLoopCallBack;
  void* pAnimLoopCallBackData;
  RwInt32 maxKeyFrameSize;      // fixed at creation
  RwInt32 currentKeyFrameSize;  // of the current animation's type: the slot stride
  RwInt32 numNodes;
  RwInt32 reserved[2];                  // 0
  RtAnimInterpolator* parentAnimation;  // itself
  RtAnimKeyFrameApplyCallBack keyFrameApplyCB;
  RtAnimKeyFrameBlendCallBack keyFrameBlendCB;
  RtAnimKeyFrameInterpolateCallBack keyFrameInterpolateCB;
  RtAnimKeyFrameAddCallBack keyFrameAddCB;
};

// Registers the toolkit as an engine plugin; call between RwEngineInit and RwEngineOpen.
RwBool RtAnimPluginAttach(void);
// 1 on success; 0 with {439, 1} when 16 types exist, {439, 0} for an id already present.
RwBool RtAnimRegisterKeyFrameType(const RtAnimKeyFrameType* type);
// The registered type with the id, or null.
RtAnimKeyFrameType* RtAnimGetKeyFrameType(RwUInt32 typeID);

// Finds the animation chunk in the file and reads it; the stream is closed on every path.
RtAnimAnimation* RtAnimAnimationRead(const RwChar* fileName);
// The stream is at the body of an animation chunk.
RtAnimAnimation* RtAnimAnimationStreamRead(RwStream* stream);
RtAnimAnimation* RtAnimAnimationDestroy(RtAnimAnimation* animation);
// Rewrites every key of the first numNodes nodes relative to the pose at the
// time; null when the animation cannot be played over that many nodes.
RtAnimAnimation* RtAnimAnimationMakeRelative(RtAnimAnimation* animation, RwInt32 numNodes, RwReal time);

// Null (an error recorded) for a negative node count, a key size that cannot
// hold a slot header, or a failed allocation.
RtAnimInterpolator* RtAnimInterpolatorCreate(RwInt32 numNodes, RwInt32 maxKeyFrameSize);
void RtAnimInterpolatorDestroy(RtAnimInterpolator* interpolator);
// Binds at time 0; 0 for an animation of fewer than 2 x node count keys or of
// a larger key size than the interpolator's.
RwBool RtAnimInterpolatorSetCurrentAnim(RtAnimInterpolator* interpolator, RtAnimAnimation* animation);
// Takes the key callbacks and key size of a registered type, so that an
// interpolator without an animation can blend or add; 0 with {439, 2} for an
// unknown id, 0 for keys larger than the interpolator's.
RwBool RtAnimInterpolatorSetKeyFrameCallBacks(RtAnimInterpolator* interpolator, RwUInt32 typeID);
// The time callback runs once per call when the time passes callBackTime.
void RtAnimInterpolatorSetAnimCallBack(RtAnimInterpolator* interpolator, RtAnimCallBack callBack, RwReal callBackTime,
                                       void* data);
// The loop callback runs once per call that wraps past either end.
void RtAnimInterpolatorSetAnimLoopCallBack(RtAnimInterpolator* interpolator, RtAnimCallBack callBack, void* data);
// Seconds forward, wrapping at the duration; dt <= 0 does nothing.
RwBool RtAnimInterpolatorAddTime(RtAnimInterpolator* interpolator, RwReal dt);
// Seconds backward, wrapping below 0.
RwBool RtAnimInterpolatorSubtractTime(RtAnimInterpolator* interpolator, RwReal dt);
RwBool RtAnimInterpolatorSetCurrentTime(RtAnimInterpolator* interpolator, RwReal time);
// Copies the destination's node count of slots; 0 when the source holds fewer.
RwBool RtAnimInterpolatorCopy(RtAnimInterpolator* destination, const RtAnimInterpolator* source);
// Per node of out: out's blend callback over the inputs' slots; 0 when an
// input has fewer nodes than out or out has no blend callback.
RwBool RtAnimInterpolatorBlend(RtAnimInterpolator* out, RtAnimInterpolator* in1, RtAnimInterpolator* in2, RwReal alpha);
// Likewise with out's add callback.
RwBool RtAnimInterpolatorAddTogether(RtAnimInterpolator* out, RtAnimInterpolator* in1, RtAnimInterpolator* in2);
// Slot of the node (0 <= node < node count): its two key pointers, then the
// interpolated key's data.
RtAnimInterpFrameHeader* RtAnimInterpolatorGetSlot(const RtAnimInterpolator* interpolator, RwInt32 node);
