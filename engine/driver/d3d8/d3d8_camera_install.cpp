// The Direct3D 8 driver as the engine sees it with its camera functions: the
// driver's device record, whose request handler passes every request to the
// driver's own and adds the camera functions to the standard-function table
// and the immediate-mode 3D submit device at device start.
#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/src/engine_internal.h"
#include "engine/src/pipe/p2/im3d.h"

namespace {

RwDevice sDeviceRecord;

RwBool CameraSystemHandler(RwInt32 request, void* out, void* in, RwInt32 inNumber) {
  switch (request) {
    case kRwDeviceGetRecord:
      if (!RwD3D8SystemHandler(request, out, in, inNumber)) {
        return FALSE;
      }
      static_cast<RwDevice*>(out)->fpSystem = CameraSystemHandler;
      return TRUE;
    case kRwDeviceStandardFunctions:
      if (!RwD3D8SystemHandler(request, out, in, inNumber)) {
        return FALSE;
      }
      if (inNumber > 1) {
        RwD3D8CameraFunctionsSet(static_cast<RwStandardFunc*>(out), inNumber);
      }
      return TRUE;
    case kRwDeviceStart:
      // The immediate-mode module opens after the device, and makes its
      // index buffer through the submit device.
      _rwD3D8CameraStateReset();
      RwIm3DSetSubmitDevice(RwD3D8Im3DSubmitDeviceGet());
      return RwD3D8SystemHandler(request, out, in, inNumber);
    case kRwDeviceStop: {
      const RwBool stopped = RwD3D8SystemHandler(request, out, in, inNumber);
      _rwD3D8CameraStateReset();
      return stopped;
    }
    default:
      return RwD3D8SystemHandler(request, out, in, inNumber);
  }
}

RwDevice* CameraDeviceRecordGet(void) {
  sDeviceRecord = *RwD3D8DeviceRecordGet();
  sDeviceRecord.fpSystem = CameraSystemHandler;
  return &sDeviceRecord;
}

}  // namespace

void RwD3D8CameraDriverUse(void) {
  static const RwDriverHooks kHooks = {CameraDeviceRecordGet, RwD3D8DriverPluginAttach};
  _rwEngineSetDriverHooks(&kHooks);
}
