// The implants' part of the demo data: the implant and beam models, the
// "implants" group of "data/config.txt" and the level messages it names.
#pragma once

#include <string>

#include "tools/demo/data_folder.h"

namespace demo {

// "laserimplant.dff", "laserbeam.dff" (a unit beam along +z), "taser.dff"
// and "laserbeams.dff" (a tenth of a unit along +z) under "data/implants/";
// false when the engine's writer failed.
bool WriteImplantModels(DataFolder& data);
// "data/implants/dart/": the dart "dart2.dff", the skinned "hand.dff" and its
// "handaim.anm" and "handshoot.anm"; false when a writer failed.
bool WriteDartModels(DataFolder& data);
// The "implants" group: costs, the message of each implant, the taser's
// range and use angle.
std::string ImplantsConfigGroup();
// The messages the group names, as "MESSAGEnn" lines of a level's texts
// that hold count messages before them.
std::string ImplantMessageLines(bool english, int count);
// The number (from 1) of the first of those messages in a level of count.
int FirstImplantMessage(int count);

}  // namespace demo
