// Turning frames towards a direction or a point, keeping their position;
// world up is (0, 1, 0). A matrix is turned with MatrixLookAt (foundation).
#pragma once

#include "engine/engine.h"

// at := direction as given; right := normalise(direction.z, 0, -direction.x),
// or (1, 0, 0) for a direction along world up; up := at x right.
void SetFrameDirection(RwFrame* frame, const RwV3d* direction);
// Turns the frame to look at the point from its world position; nothing
// when the point is that position.
void SetFrameLookAt(RwFrame* frame, const RwV3d* target);
