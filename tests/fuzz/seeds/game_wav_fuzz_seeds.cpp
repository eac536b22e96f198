// Writes the seed corpus of game_wav_fuzz into the folder given: sound and
// damaged WAV files from the test writer, and "seeds.txt", the comma-separated
// list of them that the smoke run reads.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/wav_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
  std::vector<std::pair<std::string, WavWriter>> seeds;
  const std::vector<int16_t> mono = ToneSamples(64, 1, 16.0, 12000.0);
  seeds.push_back({"mono", WavWriter::Pcm16(1, 22050, mono)});
  seeds.push_back({"stereo", WavWriter::Pcm16(2, 44100, ToneSamples(48, 2, 12.0, 20000.0))});
  WavWriter w = WavWriter::Pcm16(1, 11025, mono);
  w.bits = 8;
  seeds.push_back({"eight", w});
  w = WavWriter::Pcm16(1, 22050, mono);
  w.before.push_back({"LIST", "odd"});
  w.formatSize = 18;
  seeds.push_back({"padded", w});
  w = WavWriter::Pcm16(1, 22050, mono);
  w.formatTag = 3;
  seeds.push_back({"nonpcm", w});
  seeds.push_back({"slow", WavWriter::Pcm16(1, 3000, mono)});
  seeds.push_back({"fast", WavWriter::Pcm16(1, 50000, mono)});
  w = WavWriter::Pcm16(1, 22050, mono);
  w.truncateTo = 60;
  seeds.push_back({"truncated", w});
  w = WavWriter::Pcm16(1, 22050, mono);
  w.hasData = false;
  seeds.push_back({"nodata", w});

  std::string list;
  for (const auto& seed : seeds) {
    std::string path = folder + "/" + seed.first + ".wav";
    if (!seed.second.WriteFile(path)) {
      fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    list += (list.empty() ? "" : ",") + path;
  }
  return WriteWholeFile(folder + "/seeds.txt", list) ? 0 : 1;
}
