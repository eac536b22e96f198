// Lights: frame-holding objects with a type, a colour, a radius and a cone.
// Positioned lights (types 128 and above) are tied to the world sectors they
// reach; stored as light chunks (0x12).
#pragma once

#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/rgba.h"

struct RwStream;

constexpr RwUInt32 kRpPluginIdLightModule = 0x505;
constexpr RwUInt8 kRpLightObjectType = 3;
constexpr RwUInt32 kRwChunkLight = 0x12;
// Bytes of the light chunk's struct body.
constexpr RwUInt32 kRpLightStreamStructSize = 24;
// The widest cone: pi / 2 radians.
constexpr RwReal kRpLightMaxConeAngle = 1.5707964f;

// The light's object subtype.
enum RpLightType : RwUInt8 {
  rpLIGHTDIRECTIONAL = 1,
  rpLIGHTAMBIENT = 2,
  rpLIGHTPOINT = 0x80,  // this and above are positioned
  rpLIGHTSPOT = 0x81,
  rpLIGHTSPOTSOFT = 0x82,
};
constexpr RwUInt8 kRpLightPositioningStart = rpLIGHTPOINT;

// The light's object flags.
enum RpLightFlag : RwUInt8 {
  rpLIGHTLIGHTATOMICS = 0x1,
  rpLIGHTLIGHTWORLD = 0x2,
};

// The light's object private flags.
constexpr RwUInt8 kRpLightPrivateGrey = 0x1;  // red, green and blue are equal

struct RpLight {
  RwObjectHasFrame object;  // subtype: RpLightType; flags: RpLightFlag
  RwReal radius;
  RwRGBAReal color;
  RwReal minusCosAngle;            // minus the cosine of the cone angle
  RwLinkList WorldSectorsInLight;  // ties to the world sectors it reaches
  RwLLLink inWorld;                // link in a world's light list; null links outside one
  RwUInt16 lightFrame;             // the lighting pass that last applied it
  // plugin data follows (light plugin registry)
};

typedef RpLight* (*RpLightCallBack)(RpLight* light, void* data);

// White, radius 0, cone value 1, flags 3; null when the free list or a plugin
// constructor fails.
RpLight* RpLightCreate(RwInt32 type);
// Does not remove the light from a world or a clump.
RwBool RpLightDestroy(RpLight* light);

// Marks the frame dirty so that the sector ties follow the radius.
RpLight* RpLightSetRadius(RpLight* light, RwReal radius);
RwReal RpLightGetRadius(const RpLight* light);
RpLight* RpLightSetColor(RpLight* light, const RwRGBAReal* color);
const RwRGBAReal* RpLightGetColor(const RpLight* light);
// Null, with nothing stored, for a negative or NaN angle or one above pi / 2.
RpLight* RpLightSetConeAngle(RpLight* light, RwReal angle);
RwReal RpLightGetConeAngle(const RpLight* light);
RwInt32 RpLightGetType(const RpLight* light);
RpLight* RpLightSetFlags(RpLight* light, RwUInt32 flags);
RwUInt32 RpLightGetFlags(const RpLight* light);
RpLight* RpLightSetFrame(RpLight* light, RwFrame* frame);
RwFrame* RpLightGetFrame(const RpLight* light);

RwInt32 RpLightRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpLightRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB, RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpLightGetPluginOffset(RwUInt32 pluginID);

// Length of the light chunk's body.
RwUInt32 RpLightStreamGetSize(const RpLight* light);
// Writes the whole light chunk, header included.
const RpLight* RpLightStreamWrite(const RpLight* light, RwStream* stream);
// The stream is at the body of a light chunk. Alpha is not stored: it reads as 1.
RpLight* RpLightStreamRead(RwStream* stream);
