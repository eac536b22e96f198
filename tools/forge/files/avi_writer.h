// Builds AVI files for tests: one uncompressed bottom-up 24-bit video stream
// whose every frame is a distinct pattern, optionally a PCM sound stream
// interleaved with it in chunks of uneven size, with or without "idx1", and
// switches for other layouts and damaged files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/forge/files/whole_file.h"

class AviWriter {
 public:
  int width = 64;
  int height = 48;
  int frames = 6;
  uint32_t rate = 15;  // frames a second = rate / scale
  uint32_t scale = 1;

  bool withSound = false;
  uint16_t channels = 1;
  uint32_t sampleRate = 11025;
  uint16_t bits = 16;
  // Sound blocks in all; negative: as long as the video.
  int64_t soundSamples = -1;
  // Written as the sound stream's dwSampleSize instead of its block size.
  int64_t sampleSizeOverride = -1;

  bool withIndex = true;
  bool absoluteIndex = false;  // "idx1" offsets from the file's start, not from "movi"
  bool recordLists = false;    // each frame's chunks inside a "rec " list
  // Index entry whose offset is written 2 bytes off: the index no longer
  // matches the chunks (negative: none).
  int badIndexEntry = -1;
  // A chunk of this id written first in "movi", outside the index: only a
  // walk of the list meets it (empty: none).
  std::string foreignMovieChunk;
  // Frames written as empty chunks, which repeat the frame before them.
  std::vector<int> emptyFrames;

  // Format fields for other codecs and layouts.
  uint32_t videoCompression = 0;  // BI_RGB
  uint16_t videoBits = 24;
  bool topDown = false;         // negative height
  uint16_t soundFormatTag = 1;  // PCM
  std::string extraStreamType;  // a third stream list of this type
  int64_t truncateTo = -1;      // cuts the file to this many bytes

  // Stride of a frame row: width x 3 bytes padded to 4.
  int Stride() const { return (width * 3 + 3) & ~3; }
  int BlockSize() const { return channels * bits / 8; }
  int64_t TotalSoundSamples() const;
  // The frame's rows as stored and as AVIStreamGetFrame returns them after
  // the header: bottom row first, padding bytes 0. An empty frame gives the
  // bytes of the frame it repeats.
  std::string FrameBytes(int frame) const;
  // Every sound byte in play order.
  std::string SoundBytes() const;
  // Samples in each sound chunk, in order.
  std::vector<int64_t> SoundChunkSamples() const;

  std::string Build() const;
  bool WriteFile(const std::string& path) const { return WriteWholeFile(path, Build()); }
};

// The pattern's blue, green and red at (x, y) of a frame, y from the top row.
// Constant over 8 x 8 blocks; red alone tells the frame (frames 0..255).
void AviPatternPixel(int frame, int x, int y, uint8_t bgr[3]);
