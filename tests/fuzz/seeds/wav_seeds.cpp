// Seeds of game_wav_fuzz: sound files and damaged ones from the WAV writer.
#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tools/forge/files/wav_writer.h"

TK_FUZZ_SEEDS(game_wav_fuzz) {
  AddDemoSeeds(seeds, {"sfx/al_1.wav", "sfx/mv_run_l00.wav"});
  const std::vector<int16_t> mono = ToneSamples(64, 1, 16.0, 12000.0);
  seeds.Add("mono.wav", WavWriter::Pcm16(1, 22050, mono).Build());
  seeds.Add("stereo.wav", WavWriter::Pcm16(2, 44100, ToneSamples(48, 2, 12.0, 20000.0)).Build());
  WavWriter w = WavWriter::Pcm16(1, 11025, mono);
  w.bits = 8;
  seeds.Add("eight.wav", w.Build());
  w = WavWriter::Pcm16(1, 22050, mono);
  w.before.push_back({"LIST", "odd"});
  w.formatSize = 18;
  seeds.Add("padded.wav", w.Build());
  w = WavWriter::Pcm16(1, 22050, mono);
  w.formatTag = 3;
  seeds.Add("nonpcm.wav", w.Build());
  seeds.Add("slow.wav", WavWriter::Pcm16(1, 3000, mono).Build());
  seeds.Add("fast.wav", WavWriter::Pcm16(1, 50000, mono).Build());
  w = WavWriter::Pcm16(1, 22050, mono);
  w.truncateTo = 60;
  seeds.Add("truncated.wav", w.Build());
  w = WavWriter::Pcm16(1, 22050, mono);
  w.hasData = false;
  seeds.Add("nodata.wav", w.Build());
}
