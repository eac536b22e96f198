// Locator files (".xrf"): a header chunk, then named placements, each a
// matrix chunk followed by a name and a free data text. The level reads the
// placements of its objects, sensors, particles and waypoints from them.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

constexpr u32 kLocatorHeaderChunk = 0x99;
constexpr u32 kLocatorHeaderTextSize = 32;  // bytes after the header's u32

class cLocatorFile {
 public:
  cLocatorFile() : mHeaderValue(0), mStream(nullptr) {}
  ~cLocatorFile() { Close(); }

  cLocatorFile(const cLocatorFile&) = delete;
  cLocatorFile& operator=(const cLocatorFile&) = delete;

  // Opens a game path ('/' turned into '\') and reads its header; false when
  // the file does not open. A file without a header yields no entries.
  bool Open(const char* path);
  // Finds the header chunk and reads its value and its 32-byte text.
  bool ReadHeader(char* text);
  // Reads the next entry: the matrix, then the name and the data, each
  // NUL-terminated. Sizes are the buffers' bytes, terminator included. A
  // null data buffer skips the data. False when no entry is left; an entry
  // that does not fit its buffers or runs past the file ends the entries.
  bool ReadEntry(char* name, u32 nameSize, char* data, u32 dataSize, RwMatrix* matrix);
  void Close();

  u32 GetHeaderValue() const { return mHeaderValue; }
  bool IsOpen() const { return mStream != nullptr; }

 private:
  bool ReadText(char* buffer, u32 bufferSize, const char* what);
  bool SkipText();
  // Closes the stream, so that later reads are false too; returns false.
  bool EndEntries();

  u32 mHeaderValue;
  RwStream* mStream;
};
