// Test hooks of the Direct3D 8 stand-in: a reduced capability profile, device
// loss on demand, a video-memory budget, call recording, the programs
// compiled and pixel read-back of textures as OpenGL holds them. Only tests
// include this header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"

namespace d3d8test {

enum class CapsProfile {
  Full,
  // Two texture stages, no MODULATE2X or MULTIPLYADD, power-of-two square
  // textures only, no P8: the engine's fall-back roads.
  Minimal,
  // Full, but without hardware transform and lighting: devices are created
  // with software vertex processing only (the engine's system-memory and
  // single-buffer roads).
  SoftwareVertexProcessing,
  // Full, but with three texture blend stages and three simultaneous
  // textures: the engine's roads for three-stage devices.
  ThreeStages,
};

// Chooses the profile reported by every Direct3D object and device from now
// on (and answered by the format checks). Full at start.
void SetCapsProfile(CapsProfile profile);
CapsProfile GetCapsProfile();

// Marks the device lost: Present returns D3DERR_DEVICELOST and
// TestCooperativeLevel D3DERR_DEVICENOTRESET until a successful Reset. With
// resettable false the device first stays lost as while minimised:
// TestCooperativeLevel and Reset answer D3DERR_DEVICELOST until
// AllowDeviceReset.
void InjectDeviceLoss(IDirect3DDevice8* device, bool resettable = true);
void AllowDeviceReset(IDirect3DDevice8* device);

// Limits the bytes of D3DPOOL_DEFAULT textures, surfaces and buffers; a
// creation beyond it fails with D3DERR_OUTOFVIDEOMEMORY. 0 removes the limit.
void SetVideoMemoryBudget(IDirect3DDevice8* device, size_t bytes);

// Call recording: while on, every device method counts its calls and keeps
// its last arguments (integers as they are, floats as their bit patterns,
// pointers as addresses, in parameter order) and the order of calls. Resource
// methods record as "VertexBuffer::Lock", "IndexBuffer::Lock",
// "Surface::LockRect" and "SwapChain::Present".
void SetRecording(IDirect3DDevice8* device, bool on);
void ClearRecording(IDirect3DDevice8* device);
unsigned CallCount(IDirect3DDevice8* device, const std::string& method);
std::vector<uint64_t> LastArgs(IDirect3DDevice8* device, const std::string& method);
std::vector<std::string> CallLog(IDirect3DDevice8* device);
// Calls of a method whose first argument is firstArg (a render state, a
// stage, a light index...).
unsigned CallCount(IDirect3DDevice8* device, const std::string& method, uint64_t firstArg);
// The arguments of every recorded call of a method, in order.
std::vector<std::vector<uint64_t>> AllArgs(IDirect3DDevice8* device, const std::string& method);

// Resources of the device that are alive: textures (with their levels),
// stand-alone surfaces, vertex and index buffers and swap chains, the
// device's own back and depth buffers not counted.
size_t LiveResourceCount(IDirect3DDevice8* device);

// Fixed-function programs the device has compiled since its creation
// (software GL also makes their machine code then): none should be while a
// level plays.
size_t ProgramsCompiled(IDirect3DDevice8* device);

// Reads texel (x, y) of a level (and cube face) of a texture as OpenGL
// samples it, after every pending upload, as 0xAARRGGBB.
uint32_t ReadGlTexel(IDirect3DBaseTexture8* texture, unsigned face, unsigned level, unsigned x, unsigned y);
// Makes textures created from now on decode DXT blocks on the processor even
// where OpenGL could keep them compressed (both roads get tested).
void SetDxtDecodeOnProcessor(bool on);
// True when the texture's levels are stored block-compressed by OpenGL.
bool IsGlCompressed(IDirect3DBaseTexture8* texture);
// The OpenGL name of a texture (0 without one).
unsigned GlTextureName(IDirect3DBaseTexture8* texture);

}  // namespace d3d8test
