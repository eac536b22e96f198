// The DirectInput object, its identifiers and the two predefined data
// formats. Devices live in device.cpp.
#include <cstring>

#include "platform/dinput/dinput_internal.h"

const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID DIPROP_BUFFERSIZE = {0x00000001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace {

constexpr DWORD kKeyboardStateBytes = 256;
constexpr DWORD kMouseStateBytes = 16;  // three LONG axes and four button bytes

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, kKeyboardStateBytes, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, kMouseStateBytes, 0, nullptr};

namespace {

bool SameGuid(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
}

class DiObject final : public IDirectInput8A {
 public:
  ULONG AddRef() override { return ++mReferences; }

  ULONG Release() override {
    const ULONG left = --mReferences;
    if (left == 0) {
      delete this;
    }
    return left;
  }

  HRESULT CreateDevice(REFGUID device, LPDIRECTINPUTDEVICE8A* out, void* outer) override {
    if (out == nullptr) {
      return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    if (outer != nullptr) {
      return DIERR_INVALIDPARAM;
    }
    if (SameGuid(device, GUID_SysKeyboard)) {
      *out = new DiDevice(DiDeviceKind::kKeyboard);
      return DI_OK;
    }
    if (SameGuid(device, GUID_SysMouse)) {
      *out = new DiDevice(DiDeviceKind::kMouse);
      return DI_OK;
    }
    return DIERR_DEVICENOTREG;
  }

 private:
  ~DiObject() override = default;

  ULONG mReferences = 1;
};

}  // namespace

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId, LPVOID* out, void* outer) {
  if (out == nullptr) {
    return DIERR_INVALIDPARAM;
  }
  *out = nullptr;
  if (instance == nullptr || outer != nullptr) {
    return DIERR_INVALIDPARAM;
  }
  if (version < DIRECTINPUT_VERSION) {
    return DIERR_OLDDIRECTINPUTVERSION;
  }
  if (version > DIRECTINPUT_VERSION) {
    return DIERR_BETADIRECTINPUTVERSION;
  }
  if (!SameGuid(interfaceId, IID_IDirectInput8A)) {
    return DIERR_NOINTERFACE;
  }
  DiListenToPump();
  *out = static_cast<IDirectInput8A*>(new DiObject());
  return DI_OK;
}
