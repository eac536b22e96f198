// The check of the working folder made before the start-up events.
#include "game/app/startup/data_folder.h"

#include <cstdio>

#include "game/foundation/fatal_error.h"
#include "platform/win/win32.h"

namespace {

constexpr char kPackName[] = "data.pak";
constexpr char kDataFolderName[] = "data";
constexpr char kUnknownFolder[] = "the working folder";
constexpr char kMissingDataText[] =
    "No game data in %s: it holds neither data.pak nor a data folder. "
    "Start the game with tools/play.sh, or run it from the folder build/release/run.";

}  // namespace

bool WorkingFolderHoldsData() {
  const DWORD pack = GetFileAttributesA(kPackName);
  if (pack != INVALID_FILE_ATTRIBUTES && (pack & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return true;
  }
  const DWORD folder = GetFileAttributesA(kDataFolderName);
  return folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ReportMissingData() {
  char folder[kMessageSize];
  const DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
  const char* name = length > 0 && length < sizeof(folder) ? folder : kUnknownFolder;
  char text[kMessageSize + sizeof(kMissingDataText)];
  snprintf(text, sizeof(text), kMissingDataText, name);
  MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONERROR);
}
