// Shared set-up of the music tests: the sound fixture with Ogg files served
// from the pack as "data/media/music/<name>.ogg", and the decoder's whole
// output, the reference the mixed music is compared with.
#pragma once

#include <string>
#include <vector>

#include "game/app/audio/ogg_decoder.h"
#include "tests/game/app/audio/sound_fixture.h"
#include "tools/forge/files/ogg_writer.h"

class MusicTest : public SoundTest {
 protected:
  static std::string MusicPath(const std::string& name) { return "data\\media\\music\\" + name + ".ogg"; }

  // Serves each (name, bytes) as a music file.
  void MountMusic(const std::vector<std::pair<std::string, std::string>>& music) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& file : music) {
      files.push_back({"data/media/music/" + file.first + ".ogg", file.second});
    }
    MountFiles(files);
  }

  // Interleaved samples of every Decode of an open decoder up to the end;
  // the largest single output, in bytes, goes to largest.
  static std::vector<int16_t> DecodeToEnd(COggDecoder* decoder, s32* largest = nullptr) {
    std::vector<int16_t> samples;
    std::vector<int16_t> chunk(4096);
    s32 most = 0;
    for (int calls = 0; calls < 1000000; calls++) {
      s32 bytes = decoder->Decode(chunk.data());
      if (bytes == kOggEndOfStream) {
        break;
      }
      most = bytes > most ? bytes : most;
      samples.insert(samples.end(), chunk.begin(), chunk.begin() + bytes / 2);
    }
    if (largest != nullptr) {
      *largest = most;
    }
    return samples;
  }

  // The whole decoded output of the file served as name.
  static std::vector<int16_t> DecodeFile(const std::string& name) {
    COggDecoder decoder;
    EXPECT_TRUE(decoder.Open(MusicPath(name).c_str(), 4096));
    return DecodeToEnd(&decoder);
  }
};
