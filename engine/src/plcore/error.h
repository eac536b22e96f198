// The engine's error record: the first error raised is kept until read.
// Codes with the high bit set are core codes and are stored with plugin id 0.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwErrorRecord {
  RwInt32 pluginID;
  RwInt32 errorCode;
};

// Plugin ids that name the reporting module.
constexpr RwInt32 kRwPluginIdNone = 0;
constexpr RwInt32 kRwPluginIdCore = 1;
constexpr RwInt32 kRwPluginIdWorld = 2;

// Code of the empty record {0, kRwErrNoError}.
constexpr RwInt32 kRwErrNoError = static_cast<RwInt32>(0x80000000u);
// Core codes (high bit set).
constexpr RwInt32 kRwErrWrongEngineState = static_cast<RwInt32>(0x80000001u);
constexpr RwInt32 kRwErrFileOpen = static_cast<RwInt32>(0x80000002u);
constexpr RwInt32 kRwErrInvalidValue = static_cast<RwInt32>(0x80000003u);
constexpr RwInt32 kRwErrBadChunkVersion = static_cast<RwInt32>(0x80000004u);
constexpr RwInt32 kRwErrOutOfMemory = static_cast<RwInt32>(0x80000013u);
constexpr RwInt32 kRwErrNullArgument = static_cast<RwInt32>(0x80000016u);
constexpr RwInt32 kRwErrPluginRefused = static_cast<RwInt32>(0x80000017u);
constexpr RwInt32 kRwErrRead = static_cast<RwInt32>(0x8000001Au);
constexpr RwInt32 kRwErrWrite = static_cast<RwInt32>(0x8000001Cu);
// Module codes, reported with the module's plugin id.
constexpr RwInt32 kRwErrEndOfStream = 5;
constexpr RwInt32 kRwErrArenaFull = 12;
constexpr RwInt32 kRwErrBadStreamAccess = 13;
constexpr RwInt32 kRwErrBadStreamType = 14;
constexpr RwInt32 kRwErrRenderStateOutsideUpdate = 16;
constexpr RwInt32 kRwErrDeviceRequestRefused = 24;
constexpr RwInt32 kRwErrZeroLengthVector = 25;

// Keeps e unless an error is already pending; returns e.
const RwErrorRecord* RwErrorSet(const RwErrorRecord* e);
// Copies the pending error to out and clears it; returns out.
RwErrorRecord* RwErrorGet(RwErrorRecord* out);

// Identity through which error codes pass; further arguments (a file name, a
// request number) are accepted and dropped, as the engine keeps no texts.
RwInt32 ReturnFirstArgument(RwInt32 code, ...);

// Records {pluginID, code} through RwErrorSet.
void RwErrorRaise(RwInt32 pluginID, RwInt32 code);
