// Contacts between spheres and capsules, and where a segment meets them.
// Everything is in the space of the primitive that runs the test; normals
// point from the other primitive towards it. A depth pointer may be null;
// a given depth is raised to the overlap, never lowered.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/render/collision/segment3d.h"

// The normal of two spheres with the same centre.
constexpr RwV3d kCoincidentNormal = {0.0f, 0.0f, 1.0f};

// Sphere (c1, r1) against sphere (c2, r2); the point is the middle of the
// overlap along the line of centres.
bool SphereSphereContact(const RwV3d& c1, f32 r1, const RwV3d& c2, f32 r2, RwV3d* point, RwV3d* normal, f32* depth);
// Capsule (axis, r1) against sphere (c, r2): the sphere rule from the axis
// point nearest to the centre.
bool CapsuleSphereContact(const tSegment3d& axis, f32 r1, const RwV3d& c, f32 r2, RwV3d* point, RwV3d* normal,
                          f32* depth);
// The parameter along s nearest to q; for parallel segments the middle of
// the projections of q's ends on s, each limited to s.
f32 ParameterNearestTo(const tSegment3d& s, const tSegment3d& q);
// Capsule (axis, r1) against capsule (otherAxis, r2): the sphere rule between
// the nearest points of the two axes; parallel axes use the middle of the
// overlap of their projections.
bool CapsuleCapsuleContact(const tSegment3d& axis, f32 r1, const tSegment3d& otherAxis, f32 r2, RwV3d* point,
                           RwV3d* normal, f32* depth);
// Where the segment p0 to p1 meets the sphere. first: the entry (or, from
// inside, the exit); otherwise the middle of entry and exit when both lie on
// the segment. The normal is unit.
bool SphereSegmentHit(const RwV3d& centre, f32 radius, const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal,
                      bool first);
// Where the segment p0 to p1 meets the capsule: the body's entry and exit,
// then the start cap's, then the end cap's. first: the first of them that
// lies on the segment; otherwise each later hit moves the point halfway
// towards itself and the normals are summed. The normal is unit.
bool CapsuleSegmentHit(const tSegment3d& axis, f32 radius, const RwV3d& p0, const RwV3d& p1, RwV3d* point,
                       RwV3d* normal, bool first);

// Depth of a contact at point (normal unit, pointing out of the touched
// surface) into a sphere: radius - |point - centre|.
f32 SphereContactDepth(const RwV3d& centre, f32 radius, const RwV3d& point);
// Depth of a contact into a capsule: beyond an axis end as for that end's
// sphere; along the body the overlap measured along the normal, limited where
// moving the contact that far along the normal would leave the axis.
f32 CapsuleContactDepth(const tSegment3d& axis, f32 radius, const RwV3d& point, const RwV3d& normal);
