// Internals of the animation toolkit shared between its files: the animation
// free list, and the interpolator steps that animations reuse.
#pragma once

#include "engine/tool/anim/rtanim.h"

struct RwFreeList;

// The animation free list while the plugin is open, else null.
RwFreeList* _rtAnimAnimationFreeList(void);

// Raises {439, code} (core codes are stored with plugin id 0).
void _rtAnimRaise(RwInt32 code);
