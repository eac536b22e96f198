// Test hooks of the stand-in (dsound_testing.h) and the bookkeeping behind
// them: live devices (through which the wave output also finds an open
// output to share), call counts and injected failures.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/dsound/dsound_internal.h"
#include "platform/dsound/dsound_testing.h"

namespace dsound {

namespace {

// The calls counted by method name, in the order first made. The counts
// live as long as the process and grow while the game plays: they take no
// memory after their first use, so that nothing the game's heap hands out
// during play is kept until exit.
constexpr size_t kCountedMethods = 64;
struct CallCounter {
  const char* method;  // the caller's name, in static storage
  unsigned count;
};

struct TestState {
  std::mutex lock;
  bool testMode = false;
  std::vector<Device*> devices;  // oldest first
  CallCounter calls[kCountedMethods] = {};
  std::map<std::string, HRESULT> failures;
};

// The counter of the method; null when it has none and none is free (or
// adding is false).
CallCounter* FindCounter(TestState& state, const char* method, bool adding) {
  for (dsound::CallCounter& counter : state.calls) {
    if (counter.method != nullptr && std::strcmp(counter.method, method) == 0) {
      return &counter;
    }
    if (counter.method == nullptr) {
      if (adding) {
        counter.method = method;
        return &counter;
      }
      return nullptr;
    }
  }
  return nullptr;
}

TestState& State() {
  static TestState* state = new TestState;  // never destroyed: used until exit
  return *state;
}

}  // namespace

HRESULT EnterCall(const char* method) {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (CallCounter* counter = FindCounter(state, method, true)) {
    counter->count++;
  }
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

bool JoinOpenOutput(GuestMix mix, void* guest) {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  for (auto device = state.devices.rbegin(); device != state.devices.rend(); ++device) {
    if ((*device)->AddGuest(mix, guest)) {
      return true;
    }
  }
  return false;
}

void LeaveOutput(void* guest) {
  TestState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  for (Device* device : state.devices) {
    if (device->RemoveGuest(guest)) {
      return;
    }
  }
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

std::vector<int16_t> RecordOutput(IDirectSound8* device, size_t samples) {
  dsound::Device* stand = static_cast<dsound::Device*>(device);
  if (stand == nullptr || stand->IsTestMode()) {
    return {};
  }
  constexpr auto kPatience = std::chrono::seconds(20);
  stand->StartRecording(samples);
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::vector<int16_t> recorded = stand->Recorded();
  while (recorded.size() < samples && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    recorded = stand->Recorded();
  }
  return recorded;
}

unsigned CallCount(const char* method) {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  const dsound::CallCounter* counter = dsound::FindCounter(state, method, false);
  return counter != nullptr ? counter->count : 0;
}

void ResetCallCounts() {
  dsound::TestState& state = dsound::State();
  std::lock_guard<std::mutex> guard(state.lock);
  for (dsound::CallCounter& counter : state.calls) {
    counter = {};
  }
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
