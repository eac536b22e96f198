// The default render callback of the all-in-one nodes: material, texture and
// vertex-alpha states per mesh, then one draw per mesh from its vertex range.
// "Black mode" draws unlit objects without pre-lit colours in black through
// the texture factor, flat and undithered.
#include <cstring>

#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/camera.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"
#include "engine/world/material.h"
#include "engine/world/pipe/p2/d3d8/d3d8_all_in_one.h"
#include "engine/world/world.h"

namespace {

constexpr RwUInt32 kBlackTextureFactor = 0xFF000000;
constexpr RwUInt32 kTexturedFlags = rpGEOMETRYTEXTURED | rpGEOMETRYTEXTURED2;
const RwRGBA kNoMaterialColor = {255, 255, 255, 255};
const RwSurfaceProperties kNoMaterialSurface = {1.0f, 1.0f, 1.0f};

void SetBlackStage0() {
  RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  RwD3D8SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
}

}  // namespace

RwBool RpD3D8AllInOneFullyInsideFrustum(void* object, RwUInt8 type) {
  const RwCamera* camera = RwCameraGetCurrentCamera();
  if (camera == nullptr || object == nullptr) {
    return FALSE;
  }
  if (type == kRpD3D8ObjectAtomic) {
    return RwD3D8CameraIsSphereFullyInsideFrustum(camera,
                                                  RpAtomicGetWorldBoundingSphere(static_cast<RpAtomic*>(object)));
  }
  return RwD3D8CameraIsBBoxFullyInsideFrustum(camera, &static_cast<RpWorldSector*>(object)->boundingBox);
}

void RpD3D8AllInOneSetMaterial(const RpMaterial* material, RwUInt32 flags) {
  if (material == nullptr) {
    RwD3D8SetSurfaceProperties(&kNoMaterialColor, &kNoMaterialSurface, FALSE);
    return;
  }
  const RwSurfaceProperties surface = {material->surfaceProps.ambient, material->surfaceProps.specular,
                                       material->surfaceProps.diffuse};
  RwD3D8SetSurfaceProperties(&material->color, &surface, (flags & rpGEOMETRYMODULATEMATERIALCOLOR) != 0);
}

void RpD3D8AllInOneDrawMesh(const RpD3D8InstanceData* record) {
  if (record->vertexBuffer == nullptr) {
    return;
  }
  RpD3D8AllInOneDrawMeshFrom(record, record->vertexBuffer, record->stride, record->baseIndex);
}

void RpD3D8AllInOneDrawMeshFrom(const RpD3D8InstanceData* record, IDirect3DVertexBuffer8* buffer, RwUInt32 stride,
                                RwUInt32 baseIndex) {
  RwD3D8SetStreamSource(0, buffer, stride);
  if (record->indexBuffer != nullptr) {
    RwD3D8SetIndices(record->indexBuffer, baseIndex);
    RwD3D8DrawIndexedPrimitive(record->primType, 0, record->numVertices, 0, record->numIndices);
  } else if (record->unindexed) {
    RwD3D8DrawPrimitive(record->primType, baseIndex, record->numVertices);
  }
  // An indexed mesh whose index buffer could not be made is not drawn:
  // its vertices alone would make the wrong shapes.
}

RwPipelineNode* RpD3D8AllInOneNodeSetRenderCallBack(RwPipelineNode* node, RpD3D8AllInOneRenderCallBack callBack) {
  static_cast<RpD3D8AllInOnePrivateData*>(node->privateData)->renderCallBack = callBack;
  return node;
}

void RpD3D8DefaultRenderCallBack(RwResEntry* repEntry, void* object, RwUInt8 type, RwUInt32 flags) {
  RwUInt32 lighting = 0;
  RwD3D8GetRenderState(D3DRS_LIGHTING, &lighting);
  const RwBool prelit = (flags & rpGEOMETRYPRELIT) != 0;
  RwBool black = FALSE;
  RwUInt32 dither = 0;
  RwUInt32 shadeMode = 0;
  if (lighting) {
    RwD3D8SetRenderState(D3DRS_COLORVERTEX, prelit ? TRUE : FALSE);
    RwD3D8SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, prelit ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
  } else if (!prelit) {
    black = TRUE;
    RwD3D8GetRenderState(D3DRS_DITHERENABLE, &dither);
    RwD3D8GetRenderState(D3DRS_SHADEMODE, &shadeMode);
    RwD3D8SetRenderState(D3DRS_TEXTUREFACTOR, kBlackTextureFactor);
    RwD3D8SetRenderState(D3DRS_DITHERENABLE, FALSE);
    RwD3D8SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  }
  RwD3D8SetRenderState(D3DRS_CLIPPING, RpD3D8AllInOneFullyInsideFrustum(object, type) ? FALSE : TRUE);

  const RwBool textured = (flags & kTexturedFlags) != 0;
  if (!textured) {
    RwD3D8SetTexture(nullptr, 0);
    if (black) {
      SetBlackStage0();
      RwD3D8SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
  }

  const RpD3D8InstanceDataHeader* header = RpD3D8InstanceDataGetHeader(repEntry);
  const RpD3D8InstanceData* record = RpD3D8InstanceDataGetRecords(repEntry);
  RwBool vertexAlpha = RwD3D8RenderStateIsVertexAlphaEnable();
  RwD3D8SetPixelShader(0);
  if (header->numMeshes > 0) {
    RwD3D8SetVertexShader(record->vertexShader);
  }
  for (RwUInt32 m = 0; m < header->numMeshes; m++, record++) {
    const RpMaterial* material = record->material;
    if (textured) {
      RwD3D8SetTexture(material != nullptr ? material->texture : nullptr, 0);
      if (black) {
        SetBlackStage0();
      }
    }
    const RwBool wantAlpha = record->vertexAlpha || (material != nullptr && material->color.alpha < 255);
    if (wantAlpha != vertexAlpha) {
      vertexAlpha = wantAlpha;
      RwD3D8RenderStateVertexAlphaEnable(vertexAlpha);
    }
    if (lighting) {
      RwD3D8SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, vertexAlpha ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
      RpD3D8AllInOneSetMaterial(material, flags);
    }
    RpD3D8AllInOneDrawMesh(record);
  }

  if (black) {
    RwD3D8SetRenderState(D3DRS_DITHERENABLE, dither);
    RwD3D8SetRenderState(D3DRS_SHADEMODE, shadeMode);
    if (RwD3D8GetTextureRaster(0) != nullptr) {
      RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    } else {
      RwD3D8SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    }
    RwD3D8SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  }
}
