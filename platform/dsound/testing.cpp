// Test hooks of the stand-in (dsound_testing.h) and the bookkeeping behind
// them: live devices, call counts and injected failures.
#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "platform/dsound/dsound_internal.h"
#include "platform/dsound/dsound_testing.h"

namespace dsound {

namespace {

struct TestState {
  std::mutex lock;
  bool testMode = false;
  std::vector<Device*> devices;  // oldest first
  std::map<std::string, unsigned> calls;
  std::map<std::string, HRESULT> failures;
};

TestState& State() {
  static TestState* state = new TestState;  // never destroyed: used until exit
  return *state;
}

}  // namespace

HRESULT EnterCall(const char* method) {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.calls[method]++;
  auto found = state.failures.find(method);
  return found == state.failures.end() ? S_OK : found->second;
}

void RegisterDevice(Device* device) {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.devices.push_back(device);
}

void UnregisterDevice(Device* device) {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.devices.erase(std::remove(state.devices.begin(), state.devices.end(), device), state.devices.end());
}

bool IsTestModeOn() {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.testMode;
}

}  // namespace dsound

namespace dsoundtest {

WAVEFORMATEX PcmFormat(WORD channels, DWORD rate, WORD bits) { return dsound::PcmFormat(channels, rate, bits); }

void SetTestMode(bool on) {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.testMode = on;
}

IDirectSound8* NewestDevice() {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.devices.empty() ? nullptr : state.devices.back();
}

std::vector<int16_t> PumpFrames(IDirectSound8* device, uint32_t frames) {
  dsound::Device* stand = static_cast<dsound::Device*>(device);
  if (stand == nullptr || !stand->IsTestMode()) {
    return {};
  }
  return stand->PumpFrames(frames);
}

unsigned CallCount(const char* method) {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  auto found = state.calls.find(method);
  return found == state.calls.end() ? 0 : found->second;
}

void ResetCallCounts() {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.calls.clear();
}

unsigned LiveBufferCount() {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  size_t live = 0;
  for (dsound::Device* device : state.devices) {
    live += device->BufferCount();
  }
  return static_cast<unsigned>(live);
}

void InjectFailure(const char* method, HRESULT result) {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.failures[method] = result;
}

void ClearFailures() {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.failures.clear();
}

}  // namespace dsoundtest
