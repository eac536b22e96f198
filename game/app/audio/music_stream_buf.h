// A read-only stream buffer over the engine's file interface, so that music
// files come from a mounted pack file like every other data file. Reads fill
// its own reserve area; seeking first gives back what was read ahead.
#pragma once

#include <streambuf>

#include "game/foundation/types.h"

// Bytes read from the file at a time.
constexpr u32 kMusicStreamReserveSize = 4096;

class CMusicStreamBuf : public std::streambuf {
 public:
  CMusicStreamBuf();
  ~CMusicStreamBuf() override;

  CMusicStreamBuf(const CMusicStreamBuf&) = delete;
  CMusicStreamBuf& operator=(const CMusicStreamBuf&) = delete;

  // Closes any open file, then opens path ("rt" when textMode, else "rb").
  bool Open(const char* path, bool textMode);
  void Close();
  bool IsOpen() const { return mFile != nullptr; }

 protected:
  int_type underflow() override;
  // Always EOF: nothing is written.
  int_type overflow(int_type c) override;
  // Drops the get area and moves the file back over its unread bytes.
  int sync() override;
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction, std::ios_base::openmode which) override;
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

 private:
  void* mFile;  // handle of the engine's file interface, null when closed
  char mReserve[kMusicStreamReserveSize];
};
