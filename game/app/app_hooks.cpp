// The later subsystems' start-up and loop steps, empty for now.
#include "game/app/app_hooks.h"

void RunMoviePlayer(HWND, HDC, const char*, const RECT*) {}
void MovieWaveOutMessage(HWND, UINT, WPARAM, LPARAM) {}
