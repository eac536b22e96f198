// Seeds of the game's fuzz targets: command lines, property files of both
// kinds, particle files, packs built by the pack writer and locator files by
// the locator writer, and save files.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/particle_file_text.h"
#include "tools/forge/files/locator_writer.h"
#include "tools/forge/files/pack_writer.h"

TK_FUZZ_SEEDS(game_command_line_fuzz) {
  seeds.Add("plain.txt", std::string("tessarak.exe -low levels/one.txt"));
  seeds.Add("quoted.txt", std::string("\"C:\\Program Files\\tessarak.exe\" \"data/my level.txt\"\t-medium"));
  seeds.Add("blanks.txt", std::string("  a\t\t\"\"  \"b c\"d  e\"  "));
  seeds.Add("empty.txt", std::string());
}

TK_FUZZ_SEEDS(game_property_fuzz) {
  AddDemoSeeds(seeds, {"config.txt", "inputmap.txt", "text_eng.txt", "endtexts_d.txt", "credits_eng.txt"});
  seeds.Add("config.txt", std::string("[Init]\r\nFRAME_LIMIT = 1\r\n\r\n# a comment = ignored\r\n"
                                      "[Level1]\r\nNAME = first floor\r\nMSG = two\\nlines\r\n"
                                      "[Level2]\r\nSPAWN = (1.5, -2, 30)\r\nCOLOUR = (255,128,0,1)\r\n"));
  seeds.Add("camera.txt", std::string("DISTANCE = 4.5\nANGLE = 90\nOFFSET = (0.5,1)\nTARGET = (1,(2,3),4)\n"
                                      " #NOT_A_COMMENT = 1\nLIST = [a, b, {c, d}, (e)]\n"));
  seeds.Add("inputmap.txt", std::string("FORWARD = KEY_W, KEY_UP\nFIRE = MOUSE_LEFT,PAD_1\nEMPTY =\n[Ignored]\n"));
  seeds.Add("headers.txt", std::string("before = nothing\n[]\nA = 1\n[x,y]\nB = 2\n[Same]\nC=3\n[Same]\nC=4\n"));
  AddLevel01Seeds(seeds, ".txt");
}

TK_FUZZ_SEEDS(game_pack_fuzz) {
  PackWriter pack;
  pack.Add("data/config.txt", "[Init]\r\nFRAME_LIMIT = 1\r\n").Add("data/models/door.dff", std::string(40, '\x7F'));
  pack.Add("DATA\\Textures\\Wall.TXD", "0123456789abcdef").Add("data/empty.bin", "");
  seeds.Add("four_files.pak", pack.Build());
  PackWriter same;
  same.Add("a.txt", "first").Add("A.TXT", "second").Add("a.txt", "third");
  seeds.Add("equal_names.pak", same.Build());
  PackWriter lines;
  lines.Add("text.txt", "one\ntwo\r\nthree without end");
  PackWriterEntry unterminated;
  unterminated.name = std::string(56, 'n');
  unterminated.data = "full name";
  unterminated.terminated = false;
  lines.AddEntry(unterminated);
  seeds.Add("lines_and_long_name.pak", lines.Build());
  seeds.Add("empty.pak", PackWriter().Build());
}

TK_FUZZ_SEEDS(game_particle_fuzz) {
  AddDemoSeeds(seeds, {"particles_eds.txt", "particles_laser.txt", "particles_gunhit.txt"});
  seeds.Add("every_key.txt", ParticleFileText(EveryKeyElements("data/textures/spark")));
  seeds.Add("burst.txt", ParticleFileText({{"puff",
                                            {{"TYPE", "SPRITE"},
                                             {"BURST", "20"},
                                             {"SPAN", "(0.05,0.1)"},
                                             {"SIZE", "[{0,1},{0.5,2},{0.9,0}]"},
                                             {"ROTATE", "45"}}}}));
  seeds.Add("plain_list.txt", std::string("[init]\nELEMENTS = a, b\n[a]\nTYPE = LINE\nRATE = [{0,100},{0.1,0}]\n"
                                          "[b]\nTYPE = SPRITE\nMAXNUMBER = 2\nRATE = 200\nCOLOR = (1,0,0,1)\n"));
}

TK_FUZZ_SEEDS(game_locator_fuzz) {
  LocatorWriter objects;
  objects.headerValue = 3;
  objects.headerText = "objects";
  objects.Add("door01", "", 1.0f, 0.0f, -2.0f).Add("camera_east", "[door01, lever2]", 4.5f, 3.0f, 0.25f);
  LocatorWriterEntry turned;
  turned.name = "lever2";
  turned.data = "FF8000FF8000";
  turned.right[0] = 0.0f;
  turned.right[2] = 1.0f;
  turned.at[0] = -1.0f;
  turned.at[2] = 0.0f;
  objects.AddEntry(turned);
  seeds.Add("objects.xrf", objects.Build());

  LocatorWriter waypoints;
  waypoints.Add("wp1", "", 0.0f, 0.0f, 0.0f).AddForeignChunk(0x1234, {1, 2, 3, 4}).Add("wp12", "", 5.0f, 0.0f, 5.0f);
  seeds.Add("waypoints_with_foreign_chunk.xrf", waypoints.Build());

  LocatorWriter empty;
  empty.headerValue = 0;
  seeds.Add("header_only.xrf", empty.Build());

  LocatorWriter lengths;
  LocatorWriterEntry longName;
  longName.name = std::string(31, 'n');
  longName.data = std::string(600, 'd');
  LocatorWriterEntry lying;
  lying.name = "liar";
  lying.dataLengthOverride = 0x7FFFFFFF;
  lengths.AddEntry(longName).AddEntry(lying);
  seeds.Add("long_and_lying_lengths.xrf", lengths.Build());
  AddLevel01Seeds(seeds, ".xrf");
}

// "save.dat": the options' 20 bytes, then slots of 32 bytes {name[12],
// level index, total, last time, count, difficulty}, the rest zero.
std::string SaveDat(uint32_t language, uint32_t volume, const std::vector<std::pair<std::string, uint32_t>>& slots) {
  std::string bytes = std::string(1, char(language)) + std::string(7, '\0') + char(volume) + std::string(3, '\0') +
                      std::string(8, '\1');
  for (const auto& slot : slots) {
    bytes += (slot.first + std::string(12, '\0')).substr(0, 12) + char(slot.second) + std::string(19, '\0');
  }
  bytes.resize(340, '\0');
  return bytes;
}

TK_FUZZ_SEEDS(game_savedat_fuzz) {
  const std::string two = SaveDat(1, 80, {{"Ada", 2}, {"VORNKAPL", 4}});
  seeds.Add("two_profiles.dat", two);
  seeds.Add("short.dat", two.substr(0, 70));
  seeds.Add("fresh.dat", SaveDat(2, 50, {}));
  seeds.Add("out_of_range.dat", SaveDat(9, 200, {{"ABCDEFGHIJKLM", 0}, {"Bad", 5}, {"", 0}, {"Last", 0}}));
}

// A waypoint seed: the EDGES text's length, the text, then the GRAPH file.
static std::string WaypointSeed(const std::string& edges, const LocatorWriter& file) {
  const std::vector<uint8_t> bytes = file.Build();
  return std::string(1, static_cast<char>(edges.size())) + edges + std::string(bytes.begin(), bytes.end());
}

TK_FUZZ_SEEDS(game_waypoint_fuzz) {
  LocatorWriter square;
  square.Add("wp1", "", 0.0f, 0.0f, 0.0f).Add("wp2", "", 10.0f, 0.0f, 0.0f).Add("wp3", "", 10.0f, 0.0f, 10.0f);
  square.Add("4", "", 0.0f, 0.0f, 10.0f).Add("door", "", 5.0f, 0.0f, 5.0f);
  square.headerValue = 4;
  seeds.Add("square.bin", WaypointSeed("[1,2,2,3,3,4,4,1,1,3]", square));
  seeds.Add("bad_pair.bin", WaypointSeed("[1,2,9,1]", square));
  LocatorWriter overstated;
  overstated.Add("wp1", "", 0.0f, 0.0f, 0.0f).Add("wp2", "", 1.0f, 0.0f, 1.0f);
  overstated.headerValue = 0x7FFFFFFF;
  seeds.Add("overstated_count.bin", WaypointSeed("[1,2]", overstated));
}

TK_FUZZ_SEEDS(game_hudtext_fuzz) {
  seeds.Add("missions.txt", std::string("\"Reach the roof\"\n@02 Find the key card\n@05 Open the vault\nEscape\n"));
  seeds.Add("messages.txt", std::string("^Alarm!\n#2 The guard comes back\n#\n#7 odd\n@\n@1\n@9x\n\"\n\n"));
}
