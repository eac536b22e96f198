// Seeds of the devices' property readers: the first level's text files and
// a PROPS file of every device key naming the target's devices.
#include "tests/fuzz/seeds/level01_seeds.h"
#include "tools/demo/level01/level01.h"
#include "tools/demo/level01/level01_parts.h"

TK_FUZZ_SEEDS(game_level_props_fuzz) {
  AddLevel01Seeds(seeds, ".txt");
  seeds.Add("devices.txt",
            std::string("[button]\nIMPLANT = eds\nUSEPOINT = [0.5, 1]\nUSEDIST = 1.8\nUSEANG = 90\nUSERANG = 60\n"
                        "MISSION = 2\nMESSAGE = 3\nPARTIAL_MESSAGE = 4\nFAILEDMESSAGE = 5\nIMPLANTMESSAGE = 6\n"
                        "ICON = 7\nTYPE = laserpanel\nOPENEDTIME = 2\nVARIANT = 3\nDOORS = [ door, lever ]\n"
                        "DEVICES = [searchable, nowhere]\nSECURITY = [cam]\nALERTED = [guard]\n"
                        "[multi]\nGROUP = [multi, button, multi]\nSYNCRON = yes\n"
                        "[multilever]\nGROUP = [multilever]\nPOSITION = up\nOPENERPOS = down\n"
                        "[door]\nMOVEDIR = up\nSPEED = 2\nMOVEDIST = 1.5\nDEPTH = 0.4\nCLOSEDTIME = 6\n"));
  seeds.Add("timers.txt", std::string("[timer]\nSTARTED = 1\nDURATION = 0.5\nSTARTEDTIMERS = [timer, other]\n"
                                      "STOPPEDTIMERS = [other]\nACTIVATED = [cam]\n[other]\nGLOW = glow\n"));
}

// The first level's objects and props files, joined by a zero byte; then
// its doors' model after another, whole and cut short.
TK_FUZZ_SEEDS(game_level_objects_fuzz) {
  StartSeedEngine();
  demo::DataFolder data;
  if (demo::WriteLevel01(data)) {
    const std::vector<uint8_t>* objects = data.Find(std::string(demo::level01::kObjectsPath) + ".txt");
    const std::vector<uint8_t>* props = data.Find(std::string(demo::level01::kPropsPath) + ".txt");
    if (objects != nullptr && props != nullptr) {
      std::string text(objects->begin(), objects->end());
      const size_t group = text.find("[OBJECTS]");
      text = group == std::string::npos ? text : text.substr(group + 9);
      const std::string both = text + std::string(1, '\0') + std::string(props->begin(), props->end());
      seeds.Add("level01.txt", both);
      seeds.Add("objects_only.txt", text);
      const std::vector<uint8_t>* door = data.Find(std::string(demo::level01::kModelFolder) + "door.dff");
      if (door != nullptr) {
        const std::string model(door->begin(), door->end());
        seeds.Add("door_model.txt", both + std::string(1, '\0') + model);
        seeds.Add("door_model_cut.txt", both + std::string(1, '\0') + model.substr(0, model.size() * 2 / 5));
      }
    }
  }
}
