// Reading a whole text file into one private string buffer.
#include <cstdio>

#include "game/foundation/property.h"

bool ReadTextFile(const cString& path, cString* text) {
  FILE* file = fopen(path.CStr(), "rb");
  if (file == nullptr) {
    return false;
  }
  fseek(file, 0, SEEK_END);
  long size = ftell(file);
  fseek(file, 0, SEEK_SET);
  if (size < 0) {
    size = 0;
  }
  cString buffer(static_cast<u32>(size));
  size_t got = fread(buffer.SharedData(), 1, static_cast<size_t>(size), file);
  fclose(file);
  *text = buffer.Slice(0, static_cast<u32>(got));
  return true;
}
