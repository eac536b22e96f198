// The driver's standard-function table: the camera, raster and native-texture
// modules each install their own slots; slots 0 and 22 have no job in this
// driver and keep the shared not-supported function.
#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8texture_native.h"

namespace {

RwBool D3D8NotSupported(void* /*target*/, void* /*object*/, RwInt32 /*number*/) { return FALSE; }

}  // namespace

RwBool RwD3D8StandardFunctionsSet(RwStandardFunc* table, RwInt32 count) {
  if (table == nullptr) {
    return TRUE;
  }
  for (RwInt32 i = 0; i < count; i++) {
    table[i] = D3D8NotSupported;
  }
  if (count > 1) {
    RwD3D8CameraFunctionsSet(table, count);
    RwD3D8RasterStandardFunctionsInstall(table, count);
    RwD3D8NativeTextureStandardFunctionsInstall(table, count);
  }
  return TRUE;
}
