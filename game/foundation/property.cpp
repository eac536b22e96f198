// Parsing of property text files into groups and properties, and the typed
// getters of a property's value.
#include "game/foundation/property.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/foundation/fatal_error.h"

namespace {

constexpr f32 kRadiansPerDegree = 0.017453292f;

// Walks the lines of text from byte begin to byte end. A line ends at LF, at
// CR LF, or at a CR that no LF follows.
class cLineWalker {
 public:
  cLineWalker(const cString& text, u32 begin, u32 end) : mText(text), mPosition(begin), mEnd(end) {}

  // The next line and the offset of its first byte; false after the last.
  bool Next(cString* line, u32* start) {
    if (mPosition >= mEnd) {
      return false;
    }
    const char* data = mText.Data();
    u32 first = mPosition;
    u32 last = first;
    while (last < mEnd && data[last] != '\n' && data[last] != '\r') {
      last++;
    }
    mPosition = last;
    if (mPosition < mEnd && data[mPosition] == '\r') {
      mPosition++;
    }
    if (mPosition < mEnd && data[mPosition] == '\n') {
      mPosition++;
    }
    *line = mText.Slice(first, last - first);
    *start = first;
    return true;
  }

  // Offset of the byte after the last line returned.
  u32 GetPosition() const { return mPosition; }

 private:
  const cString& mText;
  u32 mPosition;
  u32 mEnd;
};

// "key = value": the first byte is not '#' and an '=' stands in the line.
bool SplitPropertyLine(const cString& line, cString* name, cString* value) {
  if (line.IsEmpty() || line.Data()[0] == '#') {
    return false;
  }
  s32 equals = line.FindChar('=');
  if (equals < 0) {
    return false;
  }
  u32 at = static_cast<u32>(equals);
  *name = line.Slice(0, at);
  *value = line.Slice(at + 1, line.Length() - at - 1);
  name->Trim();
  value->Trim();
  return true;
}

// "(a,b,...)" with exactly count elements, each converted as a number.
bool ParseNumbers(const cString& value, u32 count, f32* out) {
  cString inside;
  if (value.FindArray(&inside, '(', ')') != count) {
    return false;
  }
  for (u32 i = 0; i < count; i++) {
    cString element;
    // Only an empty last element (after a trailing comma) cannot be cut off;
    // it reads as 0 like any other empty number.
    out[i] = inside.SliceNextElement(&element) ? TextToF32(element) : 0.0f;
  }
  return true;
}

}  // namespace

f32 TextToF32(const cString& text) { return strtof(text.CStr(), nullptr); }

s32 TextToS32(const cString& text) {
  errno = 0;
  long value = strtol(text.CStr(), nullptr, 10);
  if (value > INT32_MAX) {
    return INT32_MAX;
  }
  if (value < INT32_MIN) {
    return INT32_MIN;
  }
  return static_cast<s32>(value);
}

s32 TextToIndex(const cString& text) {
  const s32 number = TextToS32(text);
  return number > 0 ? number - 1 : -1;
}

bool ParseV2d(const cString& value, RwV2d* out) {
  f32 values[2];
  if (!ParseNumbers(value, 2, values)) {
    return false;
  }
  *out = RwV2d{values[0], values[1]};
  return true;
}

bool ParseV3d(const cString& value, RwV3d* out) {
  f32 values[3];
  if (!ParseNumbers(value, 3, values)) {
    return false;
  }
  *out = RwV3d{values[0], values[1], values[2]};
  return true;
}

bool ParseRGBAf(const cString& value, f32 out[4]) { return ParseNumbers(value, 4, out); }

f32 cProperty::GetF32Fatal() const { return TextToF32(mValue); }

s32 cProperty::GetS32Fatal() const { return TextToS32(mValue); }

f32 cProperty::GetAngleFatal() const { return TextToF32(mValue) * kRadiansPerDegree; }

void cProperty::GetV2dFatal(RwV2d* out) const {
  if (!ParseV2d(mValue, out)) {
    FatalInGroup(mGroup, "cProperty::GetV2dFatal : failure! (%s)", mName.CStr());
  }
}

void cProperty::GetV3dFatal(RwV3d* out) const {
  if (!ParseV3d(mValue, out)) {
    FatalInGroup(mGroup, "cProperty::GetV3dFatal : failure! (%s)", mName.CStr());
  }
}

void cProperty::GetRGBAfFatal(f32 out[4]) const {
  if (!ParseRGBAf(mValue, out)) {
    FatalInGroup(mGroup, "cProperty::GetRGBAfFatal : failure! (%s)", mName.CStr());
  }
}

cPropertyGroup::~cPropertyGroup() { Release(); }

void cPropertyGroup::Release() {
  delete[] mProperties;
  mProperties = nullptr;
  mCount = 0;
}

void cPropertyGroup::ParseLines(const cString& text, u32 begin, u32 end) {
  Release();
  cString line;
  cString name;
  cString value;
  u32 start = 0;
  u32 count = 0;
  cLineWalker counter(text, begin, end);
  while (counter.Next(&line, &start)) {
    if (SplitPropertyLine(line, &name, &value)) {
      count++;
    }
  }
  if (count == 0) {
    return;
  }
  mProperties = new cProperty[count];
  cLineWalker walker(text, begin, end);
  while (walker.Next(&line, &start)) {
    if (SplitPropertyLine(line, &name, &value)) {
      mProperties[mCount].mName = name;
      mProperties[mCount].mValue = value;
      mProperties[mCount].mGroup = this;
      mCount++;
    }
  }
}

void cPropertyGroup::ParseStandalone(const cString& text) {
  mName = cString("standalone");
  ParseLines(text, 0, text.Length());
}

bool cPropertyGroup::LoadText(const cString& fileName) {
  cString text;
  if (!ReadTextFile(fileName, &text)) {
    return false;
  }
  ParseStandalone(text);
  mFileName = fileName;
  return true;
}

const cProperty* cPropertyGroup::FindProperty(const cString& key) const {
  for (u32 i = 0; i < mCount; i++) {
    if (mProperties[i].mName == key) {
      return &mProperties[i];
    }
  }
  return nullptr;
}

cPropertyFile::~cPropertyFile() { delete[] mGroups; }

bool cPropertyFile::IsGroupHeader(const cString& line, cString* name) {
  u32 length = line.Length();
  if (length < 2 || line.Data()[0] != '[' || line.Data()[length - 1] != ']') {
    return false;
  }
  return line.FindArray(name, '[', ']') == 1;
}

void cPropertyFile::ParseGroups(const cString& text) {
  delete[] mGroups;
  mGroups = nullptr;
  mCount = 0;

  cString line;
  cString name;
  u32 start = 0;
  u32 headers = 0;
  cLineWalker counter(text, 0, text.Length());
  while (counter.Next(&line, &start)) {
    if (IsGroupHeader(line, &name)) {
      headers++;
    }
  }
  if (headers == 0) {
    return;
  }
  mGroups = new cPropertyGroup[headers];

  // Each group's lines run from the line after its header to the first byte
  // of the next header (or the end of the text).
  u32 bodyStart = 0;
  cLineWalker walker(text, 0, text.Length());
  while (walker.Next(&line, &start)) {
    if (!IsGroupHeader(line, &name)) {
      continue;
    }
    if (mCount != 0) {
      mGroups[mCount - 1].ParseLines(text, bodyStart, start);
    }
    mGroups[mCount].mName = name;
    mCount++;
    bodyStart = walker.GetPosition();
  }
  mGroups[mCount - 1].ParseLines(text, bodyStart, text.Length());
}

void cPropertyFile::ParseText(const cString& text) {
  ParseGroups(text);
  // A backslash and the byte after it become a CR LF line break; names and
  // values see the change, being slices of the same bytes.
  char* data = text.SharedData();
  u32 length = text.Length();
  for (u32 i = 0; i < length; i++) {
    if (data[i] == '\\') {
      data[i] = '\r';
      if (i + 1 < length) {
        data[i + 1] = '\n';
        i++;
      }
    }
  }
}

bool cPropertyFile::Load(const cString& path) {
  mFileName = cString();
  cString text;
  if (!ReadTextFile(path, &text)) {
    return false;
  }
  ParseText(text);
  mFileName = path;
  for (u32 i = 0; i < mCount; i++) {
    mGroups[i].mFileName = path;
  }
  return true;
}

const cPropertyGroup* cPropertyFile::FindGroup(const cString& name) const {
  for (u32 i = 0; i < mCount; i++) {
    if (mGroups[i].mName == name) {
      return &mGroups[i];
    }
  }
  return nullptr;
}

void DescribeGroupSource(const cPropertyGroup* group, char* out, u32 size) {
  if (size == 0) {
    return;
  }
  out[0] = '\0';
  if (group == nullptr || group->GetFileName().IsEmpty()) {
    return;
  }
  const bool named = group->GetName() != cString("standalone");
  snprintf(out, size, " in %s%s%s%s", group->GetFileName().CStr(), named ? " [" : "",
           named ? QuoteForMessage(group->GetName().CStr()).text : "", named ? "]" : "");
}

namespace {

// The formatted message cut to the room that where leaves, then where: the
// file's name and group always end a fatal error whole. where is shorter
// than kMessageSize / 2.
[[noreturn]] void FatalBeforeSourceV(const char* where, const char* format, va_list args) {
  char message[kMessageSize];
  vsnprintf(message, kMessageSize - strlen(where), format, args);
  FatalError("%s%s", message, where);
}

[[noreturn]] __attribute__((format(printf, 2, 3))) void FatalBeforeSource(const char* where, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FatalBeforeSourceV(where, format, args);
}

}  // namespace

void FatalGroupNotFound(const char* tag, const cPropertyFile* file, const char* name) {
  char where[kMessageSize / 2] = "";
  if (file != nullptr && !file->GetFileName().IsEmpty()) {
    snprintf(where, sizeof(where), " in %s", file->GetFileName().CStr());
  }
  FatalBeforeSource(where, "%s : PropertyGroup not found! (%s)", tag, QuoteForMessage(name).text);
}

void FatalPropertyNotFound(const char* tag, const cPropertyGroup* group, const char* key) {
  char where[kMessageSize / 2];
  DescribeGroupSource(group, where, sizeof(where));
  FatalBeforeSource(where, "%s : Property not found! (%s)", tag, QuoteForMessage(key).text);
}

void FatalInGroup(const cPropertyGroup* group, const char* format, ...) {
  char where[kMessageSize / 2];
  DescribeGroupSource(group, where, sizeof(where));
  va_list args;
  va_start(args, format);
  FatalBeforeSourceV(where, format, args);
}
