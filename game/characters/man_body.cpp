// cManBody: a body starts silent, with no margin, aiming at its frame's origin.
#include "game/characters/man_body.h"

cManBody::cManBody(u32 kind)
    : mBodyLink(this), mKind(kind), mPerceivableOffset{0.0f, 0.0f, 0.0f}, mVisibilityMargin(0.0f), mNoise(0.0f) {}
