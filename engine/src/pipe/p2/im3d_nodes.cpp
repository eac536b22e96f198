// The immediate-mode nodes: "ImmInstance.csl" records the vertex data for the
// draw, "nodeD3D8SubmitNoLight.csl" prepares each draw (vertex layout,
// primitive count, indexed or expanded, the place in the shared index buffer)
// and hands it to the driver's side through RwIm3DSubmitDevice.
#include <cstring>

#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/pipe/p2/im3d_private.h"

namespace {

struct CopiedVertex {
  RwReal x, y, z;
  RwUInt32 colour;
  RwReal u, v;  // only with texture coordinates
};

const RwIm3DState* gCurrentTransform = nullptr;
RwIm3DSubmitDevice gDevice = {nullptr, nullptr, nullptr};
bool gDeviceInstalled = false;
bool gIndexBufferReady = false;
RwUInt32 gNextIndex = 0;  // next free position in the shared index buffer

RwInt32 ImmInstanceBody(RwPipelineNode*, const RwPipelineNodeParams* params) {
  gCurrentTransform = static_cast<const RwIm3DState*>(params->dataParam);
  return TRUE;
}

RwInt32 SubmitNoLightBody(RwPipelineNode*, const RwPipelineNodeParams* params) {
  const RwIm3DState* state = gCurrentTransform;
  if (state == nullptr) {
    state = static_cast<const RwIm3DState*>(params->dataParam);
  }
  if (state == nullptr || state->vertices == nullptr) {
    return TRUE;
  }
  RwIm3DSubmission submission = {};
  submission.state = state;
  submission.d3dPrimType = RwIm3DD3DPrimitiveType(state->primType);
  const bool uv = (state->flags & kRwIm3DVertexUV) != 0;
  submission.fvf = uv ? kRwIm3DFvfColourUV : kRwIm3DFvfColour;
  submission.stride = uv ? 24 : 16;
  submission.vertexAlpha = (state->flags & kRwIm3DNoVertexAlpha) ? FALSE : TRUE;
  submission.clipping = (state->flags & kRwIm3DNoClip) ? FALSE : TRUE;
  const RwUInt32 count = state->indices != nullptr ? state->numIndices : state->numVertices;
  submission.numPrimitives = RwIm3DPrimitiveCount(state->primType, count);
  if (submission.numPrimitives == 0 || submission.d3dPrimType == 0) {
    return TRUE;  // nothing to draw
  }
  if (state->indices == nullptr) {
    submission.path = kRwIm3DSubmitVertices;
  } else if (count <= kRwIm3DExpandMaxIndices) {
    // Every short list is expanded, however many vertices it indexes: the
    // expanded vertices draw the same primitives, it copies no more than 8
    // vertices, and the shared index buffer is left alone.
    submission.path = kRwIm3DSubmitExpanded;
  } else if (!gIndexBufferReady || count > kRwIm3DIndexBufferIndices) {
    submission.path = kRwIm3DSubmitUserPointer;
  } else {
    submission.path = kRwIm3DSubmitIndexed;
    if (gNextIndex + count < 0x10000) {
      submission.indexStart = gNextIndex;
      submission.discardIndexBuffer = FALSE;
    } else {
      submission.indexStart = 0;
      submission.discardIndexBuffer = TRUE;
    }
  }
  if (gDeviceInstalled && gDevice.draw != nullptr) {
    if (gDevice.draw(&submission) && submission.path == kRwIm3DSubmitIndexed) {
      gNextIndex = submission.indexStart + count;
    }
  }
  return TRUE;
}

RwNodeDefinition gImmInstance = {
    "ImmInstance.csl", ImmInstanceBody, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
    nullptr,           nullptr,         0,       nullptr, 0,       0,       0};
RwNodeDefinition gSubmitNoLight = {"nodeD3D8SubmitNoLight.csl",
                                   SubmitNoLightBody,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   0,
                                   nullptr,
                                   nullptr,
                                   0,
                                   nullptr,
                                   0,
                                   0,
                                   0};

void WriteVertex(RwUInt8* dest, const RwIm3DVertex& vertex, RwUInt32 stride) {
  CopiedVertex copied = {vertex.objVertex.x, vertex.objVertex.y, vertex.objVertex.z, vertex.color, vertex.u, vertex.v};
  std::memcpy(dest, &copied, stride);
}

}  // namespace

static_assert(sizeof(CopiedVertex) == 24, "copied vertices are 16 or 24 bytes");

RwNodeDefinition* RwNodeDefinitionGetImmInstance(void) { return &gImmInstance; }

RwNodeDefinition* RwNodeDefinitionGetD3D8SubmitNoLight(void) { return &gSubmitNoLight; }

const RwIm3DState* RwIm3DGetTransformState(void) { return gCurrentTransform; }

void RwIm3DSetSubmitDevice(const RwIm3DSubmitDevice* device) {
  if (device != nullptr) {
    gDevice = *device;
    gDeviceInstalled = true;
  } else {
    gDevice = {nullptr, nullptr, nullptr};
    gDeviceInstalled = false;
  }
}

bool Im3DSubmitOpen() {
  gNextIndex = 0;
  gCurrentTransform = nullptr;
  gIndexBufferReady = false;
  if (gDeviceInstalled && gDevice.openIndexBuffer != nullptr) {
    if (!gDevice.openIndexBuffer()) {
      return false;
    }
    gIndexBufferReady = true;
  }
  return true;
}

void Im3DSubmitClose() {
  if (gIndexBufferReady && gDeviceInstalled && gDevice.closeIndexBuffer != nullptr) {
    gDevice.closeIndexBuffer();
  }
  gIndexBufferReady = false;
  gCurrentTransform = nullptr;
}

RwUInt32 RwIm3DPrimitiveCount(RwUInt32 primType, RwUInt32 count) {
  switch (primType) {
    case kRwPrimTypeLineList:
      return count / 2;
    case kRwPrimTypePolyLine:
      return count >= 2 ? count - 1 : 0;
    case kRwPrimTypeTriList:
      return count / 3;
    case kRwPrimTypeTriStrip:
    case kRwPrimTypeTriFan:
      return count >= 3 ? count - 2 : 0;
    default:
      return 0;
  }
}

RwUInt32 RwIm3DD3DPrimitiveType(RwUInt32 primType) {
  switch (primType) {
    case kRwPrimTypeLineList:
      return kRwD3DPtLineList;
    case kRwPrimTypePolyLine:
      return kRwD3DPtLineStrip;
    case kRwPrimTypeTriList:
      return kRwD3DPtTriangleList;
    case kRwPrimTypeTriStrip:
      return kRwD3DPtTriangleStrip;
    case kRwPrimTypeTriFan:
      return kRwD3DPtTriangleFan;
    default:
      return 0;
  }
}

void RwIm3DCopyVertices(void* dest, const RwIm3DSubmission* submission) {
  const RwIm3DState* state = submission->state;
  auto* out = static_cast<RwUInt8*>(dest);
  for (RwUInt32 i = 0; i < state->numVertices; ++i) {
    WriteVertex(out + i * submission->stride, state->vertices[i], submission->stride);
  }
}

void RwIm3DCopyIndexedVertices(void* dest, const RwIm3DSubmission* submission) {
  const RwIm3DState* state = submission->state;
  auto* out = static_cast<RwUInt8*>(dest);
  for (RwUInt32 i = 0; i < state->numIndices; ++i) {
    const RwUInt16 index = state->indices[i];
    if (index < state->numVertices) {
      WriteVertex(out + i * submission->stride, state->vertices[index], submission->stride);
    } else {
      std::memset(out + i * submission->stride, 0, submission->stride);
    }
  }
}
