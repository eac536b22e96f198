// Property text files: groups headed by "[name]" lines holding "key = value"
// lines. Names and values are slices of the file's one text buffer.
#pragma once

#include "engine/engine.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"

// Property text to numbers with the C library's decimal conversions: text
// that is no number gives 0; integers beyond 32 bits are clamped.
f32 TextToF32(const cString& text);
s32 TextToS32(const cString& text);
// A number that the file counts from 1 as an index counted from 0: n gives
// n - 1; 0, negative numbers and text that is no number give -1 (none).
s32 TextToIndex(const cString& text);

// Vector values "(x,y)", "(x,y,z)" and "(r,g,b,a)": the parentheses must hold
// exactly that many elements, each converted as a number (text that is not a
// number gives 0). False, with out unchanged, for any other element count.
bool ParseV2d(const cString& value, RwV2d* out);
bool ParseV3d(const cString& value, RwV3d* out);
bool ParseRGBAf(const cString& value, f32 out[4]);

class cPropertyGroup;

class cProperty {
 public:
  const cString& GetName() const { return mName; }
  const cString& GetValue() const { return mValue; }

  // Lenient conversions: a text that is not a number gives 0.
  f32 GetF32Fatal() const;
  s32 GetS32Fatal() const;
  cString GetStringFatal() const { return mValue; }
  // Degrees in the file, radians returned.
  f32 GetAngleFatal() const;
  // "(x,y)", "(x,y,z)" and "(r,g,b,a)"; any other element count is fatal.
  void GetV2dFatal(RwV2d* out) const;
  void GetV3dFatal(RwV3d* out) const;
  // r, g, b, a as written (0..1 or 0..255: the reader decides).
  void GetRGBAfFatal(f32 out[4]) const;

 private:
  friend class cPropertyGroup;

  cString mName;
  cString mValue;
  const cPropertyGroup* mGroup = nullptr;  // the group it stands in; null for one made by hand
};

class cPropertyGroup {
 public:
  cPropertyGroup() : mProperties(nullptr), mCount(0) {}
  ~cPropertyGroup();

  cPropertyGroup(const cPropertyGroup&) = delete;
  cPropertyGroup& operator=(const cPropertyGroup&) = delete;

  // Reads a whole file as one group named "standalone" holding every property
  // line of the file, whatever headers stand in it. False when the file
  // cannot be opened (the group is left as it was).
  bool LoadText(const cString& fileName);
  // The same on a text already in memory.
  void ParseStandalone(const cString& text);

  // First property, in line order, whose name equals key; null when none.
  const cProperty* FindProperty(const cString& key) const;

  const cString& GetName() const { return mName; }
  u32 GetCount() const { return mCount; }
  const cProperty& GetProperty(u32 index) const { return mProperties[index]; }
  // The file the group was read from; empty for a text parsed in memory.
  const cString& GetFileName() const { return mFileName; }

 private:
  friend class cPropertyFile;

  // Replaces the properties with those of the property lines of text from
  // byte begin to byte end.
  void ParseLines(const cString& text, u32 begin, u32 end);
  void Release();

  cString mName;
  cProperty* mProperties;
  u32 mCount;
  cString mFileName;
};

class cPropertyFile {
 public:
  cPropertyFile() : mGroups(nullptr), mCount(0) {}
  ~cPropertyFile();

  cPropertyFile(const cPropertyFile&) = delete;
  cPropertyFile& operator=(const cPropertyFile&) = delete;

  // Reads and parses a file through the engine's file interface. False when
  // it cannot be opened; the previous groups then stay.
  bool Load(const cString& path);
  // Cuts text into groups (replacing the old ones) and then turns every
  // backslash and the byte after it into a CR LF line break.
  void ParseText(const cString& text);

  // First group, in file order, whose name equals name; null when none.
  const cPropertyGroup* FindGroup(const cString& name) const;

  u32 GetCount() const { return mCount; }
  const cPropertyGroup& GetGroup(u32 index) const { return mGroups[index]; }
  // Path of the last successful load.
  const cString& GetFileName() const { return mFileName; }

  // A line "[name]" whose brackets hold one element; its name is set.
  static bool IsGroupHeader(const cString& line, cString* name);

 private:
  void ParseGroups(const cString& text);

  cPropertyGroup* mGroups;
  u32 mCount;
  cString mFileName;
};

// Reads a whole file through the engine's file interface into a new private
// string. False when it cannot be opened.
bool ReadTextFile(const cString& path, cString* text);

// Where a group was read, for messages: " in <file>", followed by " [<group>]"
// for a named group of a grouped file, the group's name as QuoteForMessage
// quotes it; empty when the file is not known. Cut to size bytes.
void DescribeGroupSource(const cPropertyGroup* group, char* out, u32 size);
// Fatal errors about property files that end in the file's name (and group),
// whole: what comes before is cut to leave it room. The name and the key are
// quoted through QuoteForMessage.
// "<tag> : PropertyGroup not found! (<name>) in <file>".
[[noreturn]] void FatalGroupNotFound(const char* tag, const cPropertyFile* file, const char* name);
// "<tag> : Property not found! (<key>) in <file> [<group>]".
[[noreturn]] void FatalPropertyNotFound(const char* tag, const cPropertyGroup* group, const char* key);
// The formatted message followed by where the group was read; file text in
// the message goes through QuoteForMessage.
[[noreturn]] void FatalInGroup(const cPropertyGroup* group, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
