// Fuzz target for the property-file parser: any bytes parsed as a grouped
// file and as a standalone group, then looked up and converted.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/foundation/property.h"

namespace {

// Nesting deeper than the parser's limit ends the program by design.
bool NestsTooDeep(const uint8_t* data, size_t size) {
  size_t opening = 0;
  for (size_t i = 0; i < size; i++) {
    if (data[i] == '(' || data[i] == '[' || data[i] == '{') {
      opening++;
    }
  }
  return opening > kMaxBracketDepth;
}

void Exercise(const cPropertyGroup& group) {
  for (u32 i = 0; i < group.GetCount(); i++) {
    const cProperty& property = group.GetProperty(i);
    if (group.FindProperty(property.GetName()) == nullptr) {
      __builtin_trap();
    }
    (void)property.GetF32Fatal();
    (void)property.GetS32Fatal();
    (void)property.GetAngleFatal();
    (void)property.GetStringFatal().CStr();
    cString inside;
    f32 v[4];
    RwV2d v2;
    RwV3d v3;
    u32 count = property.GetValue().FindArray(&inside, '(', ')');
    if (ParseV2d(property.GetValue(), &v2) != (count == 2) || ParseV3d(property.GetValue(), &v3) != (count == 3) ||
        ParseRGBAf(property.GetValue(), v) != (count == 4)) {
      __builtin_trap();
    }
    if (count == 2) {
      property.GetV2dFatal(&v2);
    } else if (count == 3) {
      property.GetV3dFatal(&v3);
    } else if (count == 4) {
      property.GetRGBAfFatal(v);
    }
    cString element;
    while (inside.SliceNextElement(&element)) {
      element.Trim();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20 || NestsTooDeep(data, size)) {
    return 0;
  }
  cString text(static_cast<u32>(size));
  if (size != 0) {
    memcpy(text.SharedData(), data, size);
  }
  cPropertyGroup standalone;
  standalone.ParseStandalone(text);
  Exercise(standalone);

  cPropertyFile file;
  file.ParseText(text);
  for (u32 i = 0; i < file.GetCount(); i++) {
    const cPropertyGroup& group = file.GetGroup(i);
    if (file.FindGroup(group.GetName()) == nullptr) {
      __builtin_trap();
    }
    Exercise(group);
  }
  return 0;
}
