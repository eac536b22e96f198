// A Direct3D object that passes every call to the stand-in's own object.
// Test fixtures derive from it and override only the answers they change.
#pragma once

#include "platform/d3d8/d3d8.h"

class ForwardingDirect3D : public IDirect3D8 {
 public:
  explicit ForwardingDirect3D(IDirect3D8* real) : real_(real) {}

  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      real_->Release();
      delete this;
    }
    return left;
  }
  UINT GetAdapterCount() override { return real_->GetAdapterCount(); }
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override {
    return real_->GetAdapterIdentifier(adapter, flags, identifier);
  }
  UINT GetAdapterModeCount(UINT adapter) override { return real_->GetAdapterModeCount(adapter); }
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
    return real_->EnumAdapterModes(adapter, mode, displayMode);
  }
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override {
    return real_->GetAdapterDisplayMode(adapter, displayMode);
  }
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                          BOOL windowed) override {
    return real_->CheckDeviceType(adapter, type, displayFormat, backBufferFormat, windowed);
  }
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
    return real_->CheckDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
  }
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override {
    return real_->CheckDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat);
  }
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
    return real_->GetDeviceCaps(adapter, type, caps);
  }
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override {
    return real_->CreateDevice(adapter, type, focusWindow, behaviorFlags, params, device);
  }

 private:
  IDirect3D8* real_;
  ULONG references_ = 1;
};

// The stand-in's Direct3D object wrapped in a Wrapper (a ForwardingDirect3D),
// or null when the stand-in refuses the SDK version.
template <typename Wrapper>
IDirect3D8* CreateForwardingDirect3D(UINT sdkVersion) {
  IDirect3D8* real = Direct3DCreate8(sdkVersion);
  return real != nullptr ? new Wrapper(real) : nullptr;
}
