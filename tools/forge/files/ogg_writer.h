// Builds Ogg Vorbis files with libvorbisenc (mono or stereo 16-bit
// samples, cut short on request), and single hand-made Ogg pages for the
// decoder's failure paths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/forge/files/whole_file.h"

class OggWriter {
 public:
  // samples interleaved when stereo.
  static OggWriter Vorbis(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples);

  uint16_t channels = 1;
  uint32_t rate = 22050;
  std::vector<int16_t> samples;
  float quality = 0.3f;  // libvorbisenc's -0.1..1
  int serial = 1;
  // Ends the file after the page of the first (identification) header.
  bool firstHeaderOnly = false;
  // Cuts the file to this many bytes (negative: whole).
  int64_t truncateTo = -1;

  // The same samples give the same bytes.
  std::string Build() const;
  bool WriteFile(const std::string& path) const { return WriteWholeFile(path, Build()); }
};

// One Ogg page of stream serial 1 made by hand, its checksum set: the lacing
// values, the body, the header-type flags (2: first page of a stream), the
// format version (0 is the only one defined) and the page's sequence number.
std::string OggPage(const std::vector<uint8_t>& lacing, const std::string& body, uint8_t headerType = 2,
                    uint8_t version = 0, uint8_t sequence = 0);
