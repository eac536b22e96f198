// Test hooks of the stand-in (d3d8_testing.h).
#include <vector>

#include "platform/d3d8/d3d8_testing.h"
#include "platform/d3d8/device_internal.h"

namespace d3d8test {

namespace {
d3d8::Device* AsDevice(IDirect3DDevice8* device) { return static_cast<d3d8::Device*>(device); }
}  // namespace

void InjectDeviceLoss(IDirect3DDevice8* device, bool resettable) {
  AsDevice(device)->lost = true;
  AsDevice(device)->resettable = resettable;
}

void AllowDeviceReset(IDirect3DDevice8* device) { AsDevice(device)->resettable = true; }

void SetVideoMemoryBudget(IDirect3DDevice8* device, size_t bytes) { AsDevice(device)->videoBudget = bytes; }

void SetRecording(IDirect3DDevice8* device, bool on) { AsDevice(device)->recorder.enabled = on; }

void ClearRecording(IDirect3DDevice8* device) {
  AsDevice(device)->recorder.calls.clear();
  AsDevice(device)->recorder.log.clear();
}

unsigned CallCount(IDirect3DDevice8* device, const std::string& method) {
  const auto& calls = AsDevice(device)->recorder.calls;
  auto found = calls.find(method);
  return found == calls.end() ? 0 : found->second.count;
}

std::vector<uint64_t> LastArgs(IDirect3DDevice8* device, const std::string& method) {
  const auto& calls = AsDevice(device)->recorder.calls;
  auto found = calls.find(method);
  return found == calls.end() ? std::vector<uint64_t>() : found->second.lastArgs;
}

std::vector<std::string> CallLog(IDirect3DDevice8* device) {
  std::vector<std::string> names;
  for (const d3d8::LoggedCall& call : AsDevice(device)->recorder.log) names.push_back(call.method);
  return names;
}

unsigned CallCount(IDirect3DDevice8* device, const std::string& method, uint64_t firstArg) {
  unsigned count = 0;
  for (const d3d8::LoggedCall& call : AsDevice(device)->recorder.log) {
    if (call.method == method && !call.args.empty() && call.args[0] == firstArg) count++;
  }
  return count;
}

std::vector<std::vector<uint64_t>> AllArgs(IDirect3DDevice8* device, const std::string& method) {
  std::vector<std::vector<uint64_t>> all;
  for (const d3d8::LoggedCall& call : AsDevice(device)->recorder.log) {
    if (call.method == method) all.push_back(call.args);
  }
  return all;
}

size_t LiveResourceCount(IDirect3DDevice8* device) { return AsDevice(device)->LiveResourceCount(); }

size_t ProgramsCompiled(IDirect3DDevice8* device) { return d3d8::DrawProgramsCompiled(AsDevice(device)->draw); }

uint32_t ReadGlTexel(IDirect3DBaseTexture8* texture, unsigned face, unsigned level, unsigned x, unsigned y) {
  d3d8::BaseTexture* base = d3d8::ToBaseTexture(texture);
  if (base == nullptr || base->device == nullptr || face >= base->faceCount || level >= base->levelCount) return 0;
  GLenum target = GL_TEXTURE_2D;
  GLuint name = base->Prepare(&target);
  d3d8::Surface* surface = base->SurfaceAt(face, level);
  if (x >= surface->width || y >= surface->height) return 0;
  std::vector<uint8_t> rgba(size_t(surface->width) * surface->height * 4);
  glBindTexture(target, name);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  const GLenum imageTarget = target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
  glGetTexImage(imageTarget, GLint(level), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  base->device->glStateEpoch++;
  const uint8_t* p = &rgba[(size_t(y) * surface->width + x) * 4];
  return (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

void SetDxtDecodeOnProcessor(bool on) { d3d8::g_dxtDecodeOnProcessor = on; }

bool IsGlCompressed(IDirect3DBaseTexture8* texture) {
  d3d8::BaseTexture* base = d3d8::ToBaseTexture(texture);
  return base != nullptr && base->glCompressed;
}

unsigned GlTextureName(IDirect3DBaseTexture8* texture) {
  d3d8::BaseTexture* base = d3d8::ToBaseTexture(texture);
  return base != nullptr ? base->glTexture : 0;
}

}  // namespace d3d8test
