// cMapAction_QuitApp.
#include "game/app/input/quit_app_action.h"

#include "game/app/app_events.h"

void cMapAction_QuitApp::OnKey(const tEvent*) { AppEventHandler(kAppEventQuit, 0); }
