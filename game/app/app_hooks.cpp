// The later subsystems' start-up and loop steps, empty for now.
#include "game/app/app_hooks.h"

void CreateApplicationHolder() {}
void ShutDownApplicationHolder() {}
