// Debugger output and the fatal message box, through the Windows interfaces.
#include "game/foundation/fatal_error.h"
#include "platform/win/win32.h"

void WriteDebugOutput(const char* text) { OutputDebugStringA(text); }

// No caption: the message box shows its default one.
void ShowFatalMessageBox(const char* text) { MessageBoxA(nullptr, text, nullptr, MB_OK); }
