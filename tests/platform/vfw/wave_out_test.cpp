// Wave output: written headers play their bytes in order, each comes back
// once, done, with one MM_WOM_DONE to the window (from the audio thread on a
// real device); pausing, resetting and closing keep the headers' rules.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "platform/dsound/dsound_testing.h"
#include "platform/vfw/vfw.h"
#include "platform/vfw/vfw_testing.h"

namespace {

LRESULT CALLBACK QuietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A header over its own bytes; it stays where it was made.
struct Buffer {
  explicit Buffer(std::string bytes) : data(std::move(bytes)) {
    header.lpData = data.empty() ? nullptr : &data[0];
    header.dwBufferLength = static_cast<DWORD>(data.size());
    header.dwFlags = WHDR_DONE;
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  std::string data;
  WAVEHDR header = {};
};

std::string Pattern(size_t bytes, int seed) {
  std::string out;
  for (size_t i = 0; i < bytes; ++i) {
    out += static_cast<char>((i * 7 + seed * 61 + 1) & 0xFF);
  }
  return out;
}

class WaveOutTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = QuietProc;
    windowClass.lpszClassName = "WaveOutTestClass";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }
  static void TearDownTestSuite() { UnregisterClassA("WaveOutTestClass", nullptr); }

  void SetUp() override {
    window_ =
        CreateWindowExA(0, "WaveOutTestClass", "Wave", WS_OVERLAPPED, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    vfwtest::SetWaveTestMode(true);
  }
  void TearDown() override {
    vfwtest::SetWaveTestMode(false);
    vfwtest::FailPrepareAfter(-1);
    DestroyWindow(window_);
  }

  HWAVEOUT Open(const WAVEFORMATEX& format) {
    HWAVEOUT device = nullptr;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window_), 0, CALLBACK_WINDOW),
              static_cast<MMRESULT>(MMSYSERR_NOERROR));
    return device;
  }

  // The wave-out messages waiting for the window, in order.
  std::vector<MSG> TakeMessages() {
    std::vector<MSG> taken;
    MSG message;
    while (PeekMessageA(&message, window_, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE)) {
      taken.push_back(message);
    }
    return taken;
  }

  HWND window_ = nullptr;
};

TEST_F(WaveOutTest, PlaysHeadersInOrderAndHandsEachBackOnce) {
  HWAVEOUT device = Open(dsoundtest::PcmFormat(1, 22050, 16));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(vfwtest::NewestWaveOut(), device);
  std::vector<MSG> messages = TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, static_cast<UINT>(MM_WOM_OPEN));
  EXPECT_EQ(messages[0].wParam, reinterpret_cast<WPARAM>(device));

  // Sizes that end inside and at the edge of the pumped pieces, and an empty one.
  std::deque<Buffer> buffers;
  for (size_t size : {1000u, 0u, 4096u, 7u, 2500u}) {
    buffers.emplace_back(Pattern(size, static_cast<int>(buffers.size())));
  }
  std::string expected;
  for (Buffer& buffer : buffers) {
    ASSERT_EQ(waveOutPrepareHeader(device, &buffer.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    ASSERT_EQ(waveOutWrite(device, &buffer.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(buffer.header.dwFlags, static_cast<DWORD>(WHDR_PREPARED | WHDR_INQUEUE));
    expected += buffer.data;
  }
  // A queued header stays with the device.
  EXPECT_EQ(waveOutUnprepareHeader(device, &buffers[0].header, sizeof(WAVEHDR)),
            static_cast<MMRESULT>(WAVERR_STILLPLAYING));
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(WAVERR_STILLPLAYING));

  std::string played;
  std::vector<MSG> done;
  for (size_t piece : {512u, 1024u, 1024u, 3000u, 2043u}) {
    const std::vector<uint8_t> bytes = vfwtest::PumpWaveOut(device, piece);
    ASSERT_EQ(bytes.size(), piece);
    played.append(bytes.begin(), bytes.end());
    for (const MSG& message : TakeMessages()) {
      done.push_back(message);
    }
  }
  EXPECT_EQ(played, expected);
  ASSERT_EQ(done.size(), buffers.size());
  for (size_t i = 0; i < buffers.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(done[i].message, static_cast<UINT>(MM_WOM_DONE));
    EXPECT_EQ(done[i].wParam, reinterpret_cast<WPARAM>(device));
    EXPECT_EQ(done[i].lParam, reinterpret_cast<LPARAM>(&buffers[i].header));
    EXPECT_EQ(buffers[i].header.dwFlags, static_cast<DWORD>(WHDR_PREPARED | WHDR_DONE));
    EXPECT_EQ(waveOutUnprepareHeader(device, &buffers[i].header, sizeof(WAVEHDR)),
              static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(buffers[i].header.dwFlags, static_cast<DWORD>(WHDR_DONE));
  }
  // Nothing queued: silence.
  EXPECT_EQ(vfwtest::PumpWaveOut(device, 4), std::vector<uint8_t>(4, 0));

  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  messages = TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, static_cast<UINT>(MM_WOM_CLOSE));
  EXPECT_EQ(vfwtest::NewestWaveOut(), nullptr);
  EXPECT_TRUE(vfwtest::PumpWaveOut(device, 4).empty());
}

TEST_F(WaveOutTest, PauseKeepsThePlaceAndResetHandsEverythingBack) {
  HWAVEOUT device = Open(dsoundtest::PcmFormat(2, 11025, 8));
  ASSERT_NE(device, nullptr);
  Buffer first(Pattern(100, 1));
  Buffer second(Pattern(60, 2));
  for (Buffer* buffer : {&first, &second}) {
    ASSERT_EQ(waveOutPrepareHeader(device, &buffer->header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  }
  EXPECT_EQ(waveOutPause(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  ASSERT_EQ(waveOutWrite(device, &first.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  ASSERT_EQ(waveOutWrite(device, &second.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(waveOutWrite(device, &second.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(WAVERR_STILLPLAYING));
  // Paused: 8-bit silence, and the place is kept.
  EXPECT_EQ(vfwtest::PumpWaveOut(device, 8), std::vector<uint8_t>(8, 0x80));
  EXPECT_EQ(waveOutRestart(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  std::vector<uint8_t> played = vfwtest::PumpWaveOut(device, 40);
  EXPECT_EQ(std::string(played.begin(), played.end()), first.data.substr(0, 40));
  TakeMessages();

  EXPECT_EQ(waveOutReset(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  std::vector<MSG> done = TakeMessages();
  ASSERT_EQ(done.size(), 2u);
  EXPECT_EQ(done[0].lParam, reinterpret_cast<LPARAM>(&first.header));
  EXPECT_EQ(done[1].lParam, reinterpret_cast<LPARAM>(&second.header));
  EXPECT_EQ(first.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), static_cast<DWORD>(WHDR_DONE));
  EXPECT_EQ(second.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), static_cast<DWORD>(WHDR_DONE));
  // A header written after the reset plays from its start.
  ASSERT_EQ(waveOutWrite(device, &first.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  played = vfwtest::PumpWaveOut(device, 100);
  EXPECT_EQ(std::string(played.begin(), played.end()), first.data);
  TakeMessages();

  for (Buffer* buffer : {&first, &second}) {
    EXPECT_EQ(waveOutUnprepareHeader(device, &buffer->header, sizeof(WAVEHDR)),
              static_cast<MMRESULT>(MMSYSERR_NOERROR));
  }
  EXPECT_EQ(waveOutWrite(device, &first.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(WAVERR_UNPREPARED));
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
}

TEST_F(WaveOutTest, PreparationFailsOnDemandAndBadFormatsAreRefused) {
  HWAVEOUT device = Open(dsoundtest::PcmFormat(1, 8000, 8));
  ASSERT_NE(device, nullptr);
  vfwtest::FailPrepareAfter(2);
  std::deque<Buffer> buffers;
  for (int i = 0; i < 3; ++i) {
    buffers.emplace_back(Pattern(16, i));
  }
  EXPECT_EQ(waveOutPrepareHeader(device, &buffers[0].header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(waveOutPrepareHeader(device, &buffers[1].header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(waveOutPrepareHeader(device, &buffers[2].header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOMEM));
  EXPECT_EQ(buffers[2].header.dwFlags & WHDR_PREPARED, 0u);
  vfwtest::FailPrepareAfter(-1);
  EXPECT_EQ(waveOutPrepareHeader(device, &buffers[2].header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(waveOutPrepareHeader(device, &buffers[2].header, sizeof(WAVEHDR)),
            static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));

  // Formats the SDL output could not take as they stand.
  HWAVEOUT other = nullptr;
  const DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(window_);
  for (WAVEFORMATEX bad :
       {dsoundtest::PcmFormat(1, 22050, 24), dsoundtest::PcmFormat(3, 22050, 16), dsoundtest::PcmFormat(1, 0, 16)}) {
    EXPECT_EQ(waveOutOpen(&other, WAVE_MAPPER, &bad, callback, 0, CALLBACK_WINDOW),
              static_cast<MMRESULT>(WAVERR_BADFORMAT));
  }
  EXPECT_EQ(other, nullptr);
}

// A real (dummy) SDL device: its audio thread finishes the headers and posts
// MM_WOM_DONE to the window's queue.
TEST_F(WaveOutTest, AudioThreadHandsHeadersBackToTheWindow) {
  vfwtest::SetWaveTestMode(false);
  HWAVEOUT device = Open(dsoundtest::PcmFormat(1, 44100, 16));
  ASSERT_NE(device, nullptr);
  std::deque<Buffer> buffers;
  for (int i = 0; i < 3; ++i) {
    buffers.emplace_back(Pattern(2048, i));
  }
  for (Buffer& buffer : buffers) {
    ASSERT_EQ(waveOutPrepareHeader(device, &buffer.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    ASSERT_EQ(waveOutWrite(device, &buffer.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  }
  std::vector<MSG> done;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (done.size() < buffers.size() && std::chrono::steady_clock::now() < deadline) {
    for (const MSG& message : TakeMessages()) {
      if (message.message == MM_WOM_DONE) {
        done.push_back(message);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(done.size(), buffers.size());
  for (size_t i = 0; i < buffers.size(); ++i) {
    EXPECT_EQ(done[i].lParam, reinterpret_cast<LPARAM>(&buffers[i].header));
    EXPECT_TRUE(buffers[i].header.dwFlags & WHDR_DONE);
  }
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
}

// SDL's dummy driver opens one output at a time, as an exclusive sound card
// does: beside DirectSound's open output the wave output mixes into it, its
// 8-bit mono sound at another rate heard with a DirectSound buffer's.
TEST_F(WaveOutTest, PlaysThroughDirectSoundsOpenOutput) {
  vfwtest::SetWaveTestMode(false);
  IDirectSound8* sound = nullptr;
  ASSERT_EQ(DS_OK, DirectSoundCreate8(nullptr, &sound, nullptr));
  ASSERT_EQ(DS_OK, sound->SetCooperativeLevel(window_, DSSCL_PRIORITY));
  DSBUFFERDESC primaryDesc = {sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr, {}};
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(DS_OK, sound->CreateSoundBuffer(&primaryDesc, &primary, nullptr));
  WAVEFORMATEX outputFormat = dsoundtest::PcmFormat(2, 22050, 16);
  ASSERT_EQ(DS_OK, primary->SetFormat(&outputFormat));
  ASSERT_EQ(DS_OK, primary->Play(0, 0, DSBPLAY_LOOPING));
  // A looping buffer of a steady 1000.
  WAVEFORMATEX bufferFormat = dsoundtest::PcmFormat(1, 22050, 16);
  const std::vector<int16_t> steady(2048, 1000);
  DSBUFFERDESC bufferDesc = {sizeof(DSBUFFERDESC), 0, 4096, 0, &bufferFormat, {}};
  IDirectSoundBuffer* buffer = nullptr;
  ASSERT_EQ(DS_OK, sound->CreateSoundBuffer(&bufferDesc, &buffer, nullptr));
  void* part = nullptr;
  DWORD bytes = 0;
  ASSERT_EQ(DS_OK, buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER));
  memcpy(part, steady.data(), bytes);
  ASSERT_EQ(DS_OK, buffer->Unlock(part, bytes, nullptr, 0));
  ASSERT_EQ(DS_OK, buffer->Play(0, 0, DSBPLAY_LOOPING));

  // Ten seconds of a steady 3072 from the wave output ((0x8C - 0x80) * 0x100).
  HWAVEOUT device = Open(dsoundtest::PcmFormat(1, 11025, 8));
  ASSERT_NE(device, nullptr);
  Buffer wave(std::string(110250, static_cast<char>(0x8C)));
  ASSERT_EQ(waveOutPrepareHeader(device, &wave.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  ASSERT_EQ(waveOutWrite(device, &wave.header, sizeof(WAVEHDR)), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  const std::vector<int16_t> heard = dsoundtest::RecordOutput(sound, 8192);
  ASSERT_EQ(heard.size(), 8192u);
  // The first mix may start from silence; the rest holds both.
  EXPECT_EQ(std::vector<int16_t>(heard.begin() + 4096, heard.end()), std::vector<int16_t>(4096, 4072));

  // Stopped, the wave output's sound plays on alone; reset and closed, none.
  ASSERT_EQ(DS_OK, buffer->Stop());
  ASSERT_EQ(DS_OK, primary->Stop());
  EXPECT_EQ(dsoundtest::RecordOutput(sound, 2048).back(), 3072);
  EXPECT_EQ(waveOutReset(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  EXPECT_EQ(waveOutClose(device), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  buffer->Release();
  primary->Release();
  EXPECT_EQ(0u, sound->Release());
}

}  // namespace
