// CMusicStreamBuf: get area filled by the file interface's read, seeks and
// tells through its seek and tell.
#include "game/app/audio/music_stream_buf.h"

#include <limits>

#include "engine/engine.h"
#include "game/foundation/native_path.h"

namespace {

constexpr s32 kSeekBegin = 0;
constexpr s32 kSeekCurrent = 1;
constexpr s32 kSeekEnd = 2;

}  // namespace

CMusicStreamBuf::CMusicStreamBuf() : mFile(nullptr) {}

CMusicStreamBuf::~CMusicStreamBuf() { Close(); }

bool CMusicStreamBuf::Open(const char* path, bool textMode) {
  Close();
  mFile = OpenNativeFile(path, textMode ? "rt" : "rb");
  return mFile != nullptr;
}

void CMusicStreamBuf::Close() {
  setg(nullptr, nullptr, nullptr);
  if (mFile == nullptr) {
    return;
  }
  RwEngineGetFileInterface()->rwfclose(mFile);
  mFile = nullptr;
}

CMusicStreamBuf::int_type CMusicStreamBuf::underflow() {
  if (mFile == nullptr) {
    return traits_type::eof();
  }
  if (gptr() < egptr()) {
    return traits_type::to_int_type(*gptr());
  }
  size_t read = RwEngineGetFileInterface()->rwfread(mReserve, 1, sizeof(mReserve), mFile);
  if (read == 0 || read > sizeof(mReserve)) {
    setg(nullptr, nullptr, nullptr);
    return traits_type::eof();
  }
  setg(mReserve, mReserve, mReserve + read);
  return traits_type::to_int_type(*gptr());
}

CMusicStreamBuf::int_type CMusicStreamBuf::overflow(int_type) { return traits_type::eof(); }

int CMusicStreamBuf::sync() {
  if (mFile == nullptr) {
    return -1;
  }
  const s32 unread = static_cast<s32>(egptr() - gptr());
  setg(nullptr, nullptr, nullptr);
  return RwEngineGetFileInterface()->rwfseek(mFile, -unread, kSeekCurrent) == 0 ? 0 : -1;
}

CMusicStreamBuf::pos_type CMusicStreamBuf::seekoff(off_type offset, std::ios_base::seekdir direction,
                                                   std::ios_base::openmode) {
  const pos_type failed(off_type(-1));
  if (mFile == nullptr || sync() != 0) {
    return failed;
  }
  s32 origin;
  if (direction == std::ios_base::beg) {
    origin = kSeekBegin;
  } else if (direction == std::ios_base::cur) {
    origin = kSeekCurrent;
  } else if (direction == std::ios_base::end) {
    origin = kSeekEnd;
  } else {
    return failed;
  }
  // The file interface seeks by 32-bit offsets.
  if (offset < std::numeric_limits<s32>::min() || offset > std::numeric_limits<s32>::max()) {
    return failed;
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  if (files->rwfseek(mFile, static_cast<s32>(offset), origin) != 0) {
    return failed;
  }
  const s32 position = files->rwftell(mFile);
  return position < 0 ? failed : pos_type(off_type(position));
}

CMusicStreamBuf::pos_type CMusicStreamBuf::seekpos(pos_type position, std::ios_base::openmode which) {
  return seekoff(off_type(position), std::ios_base::beg, which);
}
