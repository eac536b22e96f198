// Seeds of game_ogg_fuzz: Ogg Vorbis files from the Ogg writer, cut and
// damaged ones, and hand-made pages that are not Vorbis.
#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tools/forge/files/ogg_writer.h"
#include "tools/forge/files/wav_writer.h"

TK_FUZZ_SEEDS(game_ogg_fuzz) {
  AddDemoSeeds(seeds, {"music/INTRO.ogg"});
  const std::vector<int16_t> mono = ToneSamples(3000, 1, 50.0, 12000.0);
  OggWriter w = OggWriter::Vorbis(1, 22050, mono);
  w.quality = 0.0f;
  seeds.Add("mono.ogg", w.Build());
  w = OggWriter::Vorbis(2, 44100, ToneSamples(2000, 2, 30.0, 20000.0));
  w.quality = 0.0f;
  seeds.Add("stereo.ogg", w.Build());
  seeds.Add("empty.ogg", OggWriter::Vorbis(1, 22050, {}).Build());
  w = OggWriter::Vorbis(1, 22050, mono);
  w.firstHeaderOnly = true;
  const std::string identification = w.Build();
  seeds.Add("first_header.ogg", identification);
  w = OggWriter::Vorbis(1, 22050, mono);
  w.truncateTo = 2500;  // inside the setup header
  seeds.Add("truncated.ogg", w.Build());
  seeds.Add("version.ogg", OggPage({20}, std::string(20, 'v'), 2, 1));
  seeds.Add("open_packet.ogg", OggPage({255}, std::string(255, 'p')));
  seeds.Add("not_vorbis.ogg", OggPage({20}, "\x01vorbix-not-a-header"));
  seeds.Add("garbled.ogg", identification + OggPage({10}, "\x03garbage!!", 0, 0, 1));
}
