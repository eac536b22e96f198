// Engine lights as Direct3D 8 lights: each light gets a Direct3D light index
// the first time it is applied (indices of destroyed lights are used again),
// and every object drawn enables exactly the lights that reach it.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpAtomic;
struct RpLight;
struct RpWorldSector;

// The light extension: {index, constant, linear, quadratic attenuation}.
struct RpD3D8LightExtension {
  RwInt32 index;  // -1 until the light is first applied
  RwReal constantAttenuation;
  RwReal linearAttenuation;
  RwReal quadraticAttenuation;  // scaled by 1 / radius squared when applied
};

constexpr RwUInt32 kRpPluginIdD3D8Lights = 0x505;
// Masks of the lights' flags for the two kinds of object lit.
constexpr RwUInt32 kRpD3D8LightsAtomics = 0x1;
constexpr RwUInt32 kRpD3D8LightsWorldSectors = 0x2;

// Registers the light extension; false when the registry refuses it.
RwBool RpD3D8WorldPluginAttach(void);
// The extension of a light (null before RpD3D8WorldPluginAttach).
RpD3D8LightExtension* RpD3D8LightGetExtension(const RpLight* light);

// The light state: opened and closed with the atomic pipeline.
RwBool RpD3D8LightsOpen(void);
void RpD3D8LightsClose(void);

// Sends one positioned light reaching the current object; false (nothing
// sent) for a radius of 0 or a type that is not positioned.
RwBool RpD3D8LightApplyLocal(RpLight* light);
// Sends one directional light reaching the current object.
void RpD3D8LightApplyDirectional(RpLight* light);
// Enables the lights applied since the last finish and disables the others
// (at most the device's maximum), and switches lighting on; with none
// applied, switches lighting off and touches no light.
RwBool RpD3D8LightsFinish(RwBool anyApplied);

// Sends the current world's directional lights whose flags share a bit with
// the mask (kRpD3D8LightsAtomics or ...WorldSectors) and sums its ambient
// lights into the materials' ambient colour; whether any light was used.
RwBool RpD3D8LightsApplyGlobal(RwUInt32 mask);

// The lighting callbacks: a lit geometry in a world takes the world's global
// lights and the local lights of the sectors it touches that reach its
// bounding sphere; a sector of a lit world its global lights and the local
// lights tied to it.
void RpD3D8AtomicLightingCallBack(void* atomic);
void RpD3D8WorldSectorLightingCallBack(void* sector);
