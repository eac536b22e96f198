// Seeds of the targets of the configuration and the level's own files: the
// demo data's "data/config.txt", "data/inputmap.txt" and the first level's
// "men.txt" and "camera.txt".
#include <string>

#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"

TK_FUZZ_SEEDS(game_config_fuzz) {
  AddDemoSeeds(seeds, {"data/config.txt"});
  // The chain alone: a level group without the keys of a load.
  seeds.Add("chain.txt", std::string("[Init]\nFRAME_LIMIT = 0\n[level01]\nNEXTSTAGEHARD = level03\n"
                                     "[level02]\nNEXTSTAGE = level99\nNEXTSTAGEHARD = level03\n"));
}

TK_FUZZ_SEEDS(game_inputmap_fuzz) {
  AddDemoSeeds(seeds, {"data/inputmap.txt"});
  seeds.Add("every_device.txt",
            std::string("INPUTDEVICES = KEYBOARD, MOUSE, PAD\nFORWARD = KEY_W, PADSTICK_LEFT\n"
                        "RUN = PADBTN_A1, MOUSEBTN_MIDDLE\nTURN = MOUSEMOVE\nVIEWMAP = KEY_M, KEY_0\n"));
}

TK_FUZZ_SEEDS(game_camera_fuzz) {
  AddLevel01Seeds(seeds, "camera.txt");
  seeds.Add("required_only.txt", std::string("CLIP = (0.1,500)\nFOV = 90\nMINZOOMFOV = 60\nMAXZOOMFOV = 10\n"
                                             "ZOOMSPEED = 40\nRELATIVE_POSITION = (0,2.3,-3.5)\n"
                                             "LOOK_AT_RELATIVE_POSITION = (0,1.6,2)\nLIGHTCOLOR = (0.7,0.7,0.7,1)\n"
                                             "LIGHT_DIRECTION = (0,0,0)\nBLEND_SPEED = 0\n"));
}

TK_FUZZ_SEEDS(game_men_fuzz) { AddLevel01Seeds(seeds, "men.txt"); }
