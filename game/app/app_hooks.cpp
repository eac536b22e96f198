// The later subsystems' start-up and loop steps, empty for now.
#include "game/app/app_hooks.h"

void CreateScreenStack(void*, u32, u32) {}
void DeleteScreenStack() {}
void CreateApplicationHolder() {}
void ShutDownApplicationHolder() {}

void RunMoviePlayer(HWND, HDC, const char*, const RECT*) {}
void MovieWaveOutMessage(HWND, UINT, WPARAM, LPARAM) {}
