// The process entry of a program that starts in WinMain. Linked only into the
// executable (library platform_win_main); test programs keep their own main.
#include "platform/win/win_entry.h"

int main(int argc, char** argv) { return WinRunMain(argc, argv); }
