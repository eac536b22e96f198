// Immediate-mode 3D: the module's pipelines, the pending primitive record,
// and the transform, render and end calls.
#include "engine/src/pipe/p2/im3d.h"

#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d_private.h"
#include "engine/src/pipe/p2/pipeline_private.h"

static_assert(sizeof(RwIm3DGlobals) <= kRwIm3DModuleDataSize, "immediate-mode data fits its engine block");
static_assert(sizeof(RwIm3DVertex) == 36, "immediate-mode vertices are 36 bytes");

namespace {

enum : RwUInt32 {
  kErrorPendingTransformMissing = 35,
  kErrorUnknownPrimitive = 37,
  kErrorTooManyVertices = 50,
};

constexpr RwUInt32 kNumDrawableTypes = 5;  // line list .. triangle fan
constexpr RwUInt32 kNumPipelineTypes = 6;  // and points

RwInt32 gOffset = -1;
RwInt32 gOpenCount = 0;

RwIm3DGlobals* Globals() {
  if (gOffset < 0 || RwEngineInstance == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RwIm3DGlobals, RwEngineInstance, gOffset);
}

bool Pending(const RwIm3DGlobals* globals) { return globals != nullptr && globals->pending.vertices != nullptr; }

// Create, tag, lock, add the one node, unlock; null (and nothing left) on failure.
RwPipeline* BuildPipeline(RwNodeDefinition* definition) {
  RwPipeline* pipeline = RwPipelineCreate();
  if (pipeline == nullptr) {
    return nullptr;
  }
  pipeline->ownerTag = rwPIPELINE_OWNER_IM3D;
  if (RwPipelineLock(pipeline) == nullptr || RwPipelineAddFragment(pipeline, nullptr, definition, nullptr) == nullptr ||
      RwPipelineUnlock(pipeline) == nullptr) {
    RwPipelineDestroy(pipeline);
    return nullptr;
  }
  return pipeline;
}

RwBool Render(RwIm3DGlobals* globals, RwUInt32 primType, RwUInt16* indices, RwUInt32 numIndices) {
  if (!Pending(globals)) {
    PipeError(kErrorPendingTransformMissing);
    return FALSE;
  }
  if (primType < kRwPrimTypeLineList || primType > kRwPrimTypeTriFan) {
    PipeError(kErrorUnknownPrimitive);
    return FALSE;
  }
  RwIm3DState* state = &globals->pending;
  if (indices != nullptr) {
    if (primType == kRwPrimTypeLineList) {
      numIndices &= ~1u;
    } else if (primType == kRwPrimTypeTriList) {
      numIndices -= numIndices % 3;
    }
    // An index past the transformed vertices would read outside the caller's array.
    for (RwUInt32 i = 0; i < numIndices; ++i) {
      if (indices[i] >= state->numVertices) {
        PipeError(kCoreErrorInvalidValue);
        return FALSE;
      }
    }
  }
  RwPipeline* pipeline = globals->currentRender[primType - 1];
  state->primType = primType;
  state->indices = indices;
  state->numIndices = numIndices;
  state->renderPipeline = pipeline;
  return RwPipelineExecute(pipeline, state, FALSE) != nullptr;
}

}  // namespace

void* RwIm3DOpen(void* instance, RwInt32 offset, RwInt32) {
  gOffset = offset;
  RwIm3DGlobals* globals = Globals();
  std::memset(globals, 0, sizeof(*globals));
  ++gOpenCount;
  RwPipeline* transform = BuildPipeline(RwNodeDefinitionGetImmInstance());
  RwPipeline* render = transform != nullptr ? BuildPipeline(RwNodeDefinitionGetD3D8SubmitNoLight()) : nullptr;
  if (render == nullptr || !Im3DSubmitOpen()) {
    RwPipelineDestroy(render);
    RwPipelineDestroy(transform);
    std::memset(globals, 0, sizeof(*globals));
    --gOpenCount;
    return nullptr;
  }
  globals->defaultTransform = transform;
  globals->currentTransform = transform;
  for (RwUInt32 type = kRwPrimTypeLineList; type <= kNumDrawableTypes; ++type) {
    globals->defaultRender[type - 1] = render;
    globals->currentRender[type - 1] = render;
  }
  return instance;
}

void* RwIm3DClose(void* instance, RwInt32, RwInt32) {
  RwIm3DGlobals* globals = Globals();
  if (globals == nullptr || gOpenCount == 0) {
    return instance;
  }
  Im3DSubmitClose();
  RwPipeline* render = globals->defaultRender[kRwPrimTypeTriList - 1];
  for (RwUInt32 type = kRwPrimTypeLineList; type <= kNumDrawableTypes; ++type) {
    globals->currentRender[type - 1] = globals->defaultRender[type - 1];
    globals->defaultRender[type - 1] = nullptr;
  }
  RwPipelineDestroy(render);
  globals->currentTransform = globals->defaultTransform;
  RwPipelineDestroy(globals->defaultTransform);
  std::memset(globals, 0, sizeof(*globals));
  --gOpenCount;
  return instance;
}

RwBool _rwIm3DModuleInstall(void) {
  const RwEngineModule module = {kRwIm3DModuleDataSize, kRwPluginIdIm3DModule, RwIm3DOpen, RwIm3DClose};
  return _rwEngineInstallModule(&module);
}

RwIm3DVertex* RwIm3DTransform(RwIm3DVertex* vertices, RwUInt32 numVertices, RwMatrix* matrix, RwUInt32 flags) {
  if (numVertices > kRwIm3DMaxVertices) {
    PipeError(kErrorTooManyVertices);
    return nullptr;
  }
  RwIm3DGlobals* globals = Globals();
  if (globals == nullptr || globals->currentTransform == nullptr || vertices == nullptr) {
    PipeError(kCoreErrorNullArgument);
    return nullptr;
  }
  RwIm3DState* state = &globals->pending;
  std::memset(state, 0, sizeof(*state));
  state->numVertices = numVertices;
  state->vertices = vertices;
  state->stride = sizeof(RwIm3DVertex);
  state->flags = flags | kRwIm3DEngineFlags;
  state->matrix = matrix;
  if (RwPipelineExecute(globals->currentTransform, state, TRUE) == nullptr) {
    std::memset(state, 0, sizeof(*state));  // nothing half-transformed stays pending
    return nullptr;
  }
  return vertices;
}

RwBool RwIm3DRenderIndexedPrimitive(RwUInt32 primType, RwUInt16* indices, RwUInt32 numIndices) {
  return Render(Globals(), primType, indices, numIndices);
}

RwBool RwIm3DRenderPrimitive(RwUInt32 primType) {
  RwIm3DGlobals* globals = Globals();
  return Render(globals, primType, nullptr, Pending(globals) ? globals->pending.numVertices : 0);
}

RwBool RwIm3DEnd(void) {
  RwIm3DGlobals* globals = Globals();
  if (!Pending(globals)) {
    return FALSE;
  }
  std::memset(&globals->pending, 0, sizeof(globals->pending));
  return TRUE;
}

RwPipeline* RwIm3DSetTransformPipeline(RwPipeline* pipeline) {
  RwIm3DGlobals* globals = Globals();
  if (globals == nullptr) {
    return nullptr;
  }
  globals->currentTransform = pipeline != nullptr ? pipeline : globals->defaultTransform;
  return globals->currentTransform;
}

RwPipeline* RwIm3DSetRenderPipeline(RwPipeline* pipeline, RwUInt32 primType) {
  RwIm3DGlobals* globals = Globals();
  if (primType < kRwPrimTypeLineList || primType > kNumPipelineTypes) {
    PipeError(kErrorUnknownPrimitive);
    return nullptr;
  }
  if (globals == nullptr) {
    return nullptr;
  }
  globals->currentRender[primType - 1] = pipeline != nullptr ? pipeline : globals->defaultRender[primType - 1];
  return globals->currentRender[primType - 1];
}

RwPipeline* RwIm3DGetTransformPipeline(void) {
  RwIm3DGlobals* globals = Globals();
  return globals != nullptr ? globals->currentTransform : nullptr;
}

RwPipeline* RwIm3DGetRenderPipeline(RwUInt32 primType) {
  RwIm3DGlobals* globals = Globals();
  if (globals == nullptr || primType < kRwPrimTypeLineList || primType > kNumPipelineTypes) {
    return nullptr;
  }
  return globals->currentRender[primType - 1];
}
