// Copy-on-write string slices. A cString sees a slice {offset, length} of a
// counted cStringBuffer that many strings may share, so a whole text file can
// be cut into names and values without copying a byte.
#pragma once

#include "game/foundation/reference.h"
#include "game/foundation/types.h"

// Slack added to every buffer made for a string, so that short appends and
// terminators fit without another copy.
constexpr u32 kStringSlack = 16;

// Deepest bracket nesting that FindArray and SliceNextElement accept.
constexpr u32 kMaxBracketDepth = 256;

class cStringBuffer : public cReference {
 public:
  // Storage of capacity bytes, all zero.
  explicit cStringBuffer(u32 capacity);
  ~cStringBuffer() override;

  char* GetData() const { return mData; }
  u32 GetCapacity() const { return mCapacity; }

 private:
  char* mData;
  u32 mCapacity;
};

class cString {
 public:
  cString();
  cString(const char* text);
  // A private buffer for length bytes (zero), terminated.
  explicit cString(u32 length);
  cString(const cString& other) = default;
  cString& operator=(const cString& other) = default;
  ~cString() = default;

  // Shares other's buffer and takes its slice.
  void Assign(const cString& other) { *this = other; }
  // A new buffer holding a copy of text and its terminator.
  void AssignCString(const char* text);

  // The slice as a terminated text. Points into the shared storage when a
  // terminator already follows the slice; otherwise the slice is detached
  // first (or terminated in place when this string is the buffer's only user).
  const char* CStr() const;
  // Gives this string a private, terminated copy of its slice unless it
  // already is the sole user with room for a terminator; true when it copied.
  bool MakeUnique() const;

  bool operator==(const cString& other) const;
  bool operator!=(const cString& other) const { return !(*this == other); }

  // Index of the first byte equal to c within the slice, or -1.
  s32 FindChar(char c) const;
  // Index of the last byte equal to c within the slice, or -1 (also for an
  // empty string).
  s32 FindLastChar(char c) const;

  void Append(const cString& other);
  // Opens count bytes at position (clamped to the length); the bytes of the
  // gap are left as they are for the caller to fill.
  void InsertGap(u32 position, u32 count);
  cString operator+(const cString& other) const;

  // Drop leading or trailing blanks and tabs; no byte is copied.
  void TrimLeft();
  void TrimRight();
  void Trim();

  // Finds the first opener and the bracket that closes it, with nested
  // (), [] and {} balanced in between. Returns the number of comma-separated
  // elements at the top level (1 for empty brackets) and sets out to the text
  // between the brackets; 0 when there is no opener, the brackets do not
  // match, or the bracket that closes it is not closer.
  u32 FindArray(cString* out, char opener, char closer) const;
  // Cuts the first comma-separated element (brackets balanced) off the front
  // of this string into out. False, with nothing changed, for an empty string
  // or unbalanced brackets.
  bool SliceNextElement(cString* out);

  // Destroys an array made with new cString[count], element by element
  // (each releases its buffer); null is ignored.
  static void DeleteArray(cString* strings);

  // A slice of this slice, sharing the buffer; clamped to the slice.
  cString Slice(u32 offset, u32 length) const;
  // This string becomes source's slice [start, start + length), sharing
  // source's buffer; clamped like Slice.
  void AssignSlice(const cString& source, u32 start, u32 length) { *this = source.Slice(start, length); }
  // Drops one leading and one trailing double quote when present; no byte
  // is copied.
  void StripQuotes();

  // First byte of the slice, not necessarily terminated; null without buffer.
  const char* Data() const;
  // Writable first byte of the slice. Writes reach every string that shares
  // these bytes of the buffer.
  char* SharedData() const;
  u32 Length() const { return mLength; }
  bool IsEmpty() const { return mLength == 0; }
  // Strings currently sharing the buffer (0 without buffer).
  u32 GetBufferRefCount() const;

 private:
  cStringBuffer* Buffer() const { return static_cast<cStringBuffer*>(mBuffer.Get()); }
  void Reserve(u32 length);

  // Detaching in CStr changes where the slice lives, never what it holds,
  // so it is allowed on a const string.
  mutable cRefPtr mBuffer;
  mutable u32 mOffset;
  mutable u32 mLength;
};
