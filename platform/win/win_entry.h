// The start of a program written against WinMain: platform/win/main holds the
// main() that calls WinRunMain, so that only the executable links it.
#pragma once

// Keeps the arguments for GetCommandLineA, calls WinMain with the module
// handle, the text after the program path and SW_SHOWDEFAULT, closes SDL's
// video and returns WinMain's result.
int WinRunMain(int argc, char** argv);
