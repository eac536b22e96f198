// cStringBuffer and cString: slices, copy on write, and the bracket-aware
// list parsing used by property values.
#include "game/foundation/string.h"

#include <cstring>

#include "game/foundation/fatal_error.h"

namespace {

bool IsOpeningBracket(char c) { return c == '(' || c == '[' || c == '{'; }

bool IsClosingBracket(char c) { return c == ')' || c == ']' || c == '}'; }

bool BracketsMatch(char open, char close) {
  return (open == '(' && close == ')') || (open == '[' && close == ']') || (open == '{' && close == '}');
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

cStringBuffer::cStringBuffer(u32 capacity) : cReference(true), mData(new char[capacity]()), mCapacity(capacity) {}

cStringBuffer::~cStringBuffer() { delete[] mData; }

cString::cString() : mOffset(0), mLength(0) {}

cString::cString(const char* text) : mOffset(0), mLength(0) { AssignCString(text); }

cString::cString(u32 length) : mOffset(0), mLength(0) { Reserve(length); }

void cString::Reserve(u32 length) {
  mBuffer.Assign(new cStringBuffer(length + kStringSlack));
  mOffset = 0;
  mLength = length;
}

void cString::AssignCString(const char* text) {
  if (text == nullptr) {
    *this = cString();
    return;
  }
  u32 length = static_cast<u32>(strlen(text));
  cStringBuffer* buffer = new cStringBuffer(length + 1);
  memcpy(buffer->GetData(), text, length + 1);
  mBuffer.Assign(buffer);
  mOffset = 0;
  mLength = length;
}

const char* cString::CStr() const {
  cStringBuffer* buffer = Buffer();
  if (buffer == nullptr) {
    return "";
  }
  u32 end = mOffset + mLength;
  if (end < buffer->GetCapacity() && buffer->GetData()[end] == '\0') {
    return buffer->GetData() + mOffset;
  }
  if (!MakeUnique()) {
    Buffer()->GetData()[mOffset + mLength] = '\0';
  }
  return Buffer()->GetData() + mOffset;
}

bool cString::MakeUnique() const {
  cStringBuffer* buffer = Buffer();
  if (buffer != nullptr && buffer->GetRefCount() == 1 && mOffset + mLength + 1 <= buffer->GetCapacity()) {
    return false;
  }
  cStringBuffer* copy = new cStringBuffer(mLength + kStringSlack);
  if (mLength != 0) {
    memcpy(copy->GetData(), buffer->GetData() + mOffset, mLength);
  }
  copy->GetData()[mLength] = '\0';
  mBuffer.Assign(copy);
  mOffset = 0;
  return true;
}

bool cString::operator==(const cString& other) const {
  return mLength == other.mLength && (mLength == 0 || memcmp(Data(), other.Data(), mLength) == 0);
}

s32 cString::FindChar(char c) const {
  const char* data = Data();
  for (u32 i = 0; i < mLength; i++) {
    if (data[i] == c) {
      return static_cast<s32>(i);
    }
  }
  return -1;
}

s32 cString::FindLastChar(char c) const {
  const char* data = Data();
  for (u32 i = mLength; i > 0; i--) {
    if (data[i - 1] == c) {
      return static_cast<s32>(i - 1);
    }
  }
  return -1;
}

void cString::Append(const cString& other) {
  // Holding the other string keeps its bytes alive (and this buffer shared,
  // so copied) even when it is this very string.
  cString source(other);
  u32 oldLength = mLength;
  InsertGap(oldLength, source.mLength);
  if (source.mLength != 0) {
    memcpy(Buffer()->GetData() + mOffset + oldLength, source.Data(), source.mLength);
  }
}

void cString::InsertGap(u32 position, u32 count) {
  if (position > mLength) {
    position = mLength;
  }
  cStringBuffer* buffer = Buffer();
  if (buffer != nullptr && buffer->GetRefCount() == 1 && buffer->GetCapacity() - mOffset - mLength >= count) {
    char* at = buffer->GetData() + mOffset + position;
    memmove(at + count, at, mLength - position);
  } else {
    cStringBuffer* copy = new cStringBuffer(mLength + count + kStringSlack);
    if (buffer != nullptr) {
      const char* from = buffer->GetData() + mOffset;
      memcpy(copy->GetData(), from, position);
      memcpy(copy->GetData() + position + count, from + position, mLength - position);
    }
    mBuffer.Assign(copy);
    mOffset = 0;
  }
  mLength += count;
  buffer = Buffer();
  if (mOffset + mLength < buffer->GetCapacity()) {
    buffer->GetData()[mOffset + mLength] = '\0';
  }
}

cString cString::operator+(const cString& other) const {
  cString result(*this);
  result.Append(other);
  return result;
}

void cString::TrimLeft() {
  const char* data = Data();
  u32 skip = 0;
  while (skip < mLength && IsBlank(data[skip])) {
    skip++;
  }
  mOffset += skip;
  mLength -= skip;
}

void cString::TrimRight() {
  const char* data = Data();
  while (mLength > 0 && IsBlank(data[mLength - 1])) {
    mLength--;
  }
}

void cString::Trim() {
  TrimLeft();
  TrimRight();
}

u32 cString::FindArray(cString* out, char opener, char closer) const {
  s32 start = FindChar(opener);
  if (start < 0) {
    return 0;
  }
  const char* data = Data();
  char stack[kMaxBracketDepth];
  u32 depth = 0;
  u32 count = 1;
  for (u32 i = static_cast<u32>(start) + 1; i < mLength; i++) {
    char c = data[i];
    if (IsOpeningBracket(c)) {
      if (depth == kMaxBracketDepth) {
        FatalError("cString::FindArray() : depth overflow");
      }
      stack[depth++] = c;
    } else if (IsClosingBracket(c)) {
      if (depth == 0) {
        if (c != closer) {
          return 0;
        }
        *out = Slice(static_cast<u32>(start) + 1, i - static_cast<u32>(start) - 1);
        return count;
      }
      if (!BracketsMatch(stack[--depth], c)) {
        return 0;
      }
    } else if (c == ',' && depth == 0) {
      count++;
    }
  }
  return 0;
}

bool cString::SliceNextElement(cString* out) {
  if (mLength == 0) {
    return false;
  }
  const char* data = Data();
  char stack[kMaxBracketDepth];
  u32 depth = 0;
  for (u32 i = 0; i < mLength; i++) {
    char c = data[i];
    if (IsOpeningBracket(c)) {
      if (depth == kMaxBracketDepth) {
        FatalError("cString::SliceNextElement() : depth overflow");
      }
      stack[depth++] = c;
    } else if (IsClosingBracket(c)) {
      if (depth == 0 || !BracketsMatch(stack[--depth], c)) {
        return false;
      }
    } else if (c == ',' && depth == 0) {
      cString element = Slice(0, i);
      cString rest = Slice(i + 1, mLength - i - 1);
      *this = rest;
      *out = element;
      return true;
    }
  }
  if (depth != 0) {
    return false;
  }
  cString element(*this);
  *this = cString();
  *out = element;
  return true;
}

void cString::DeleteArray(cString* strings) { delete[] strings; }

void cString::StripQuotes() {
  const char* data = Data();
  if (mLength > 0 && data[0] == '"') {
    mOffset++;
    mLength--;
    data++;
  }
  if (mLength > 0 && data[mLength - 1] == '"') {
    mLength--;
  }
}

cString cString::Slice(u32 offset, u32 length) const {
  if (offset > mLength) {
    offset = mLength;
  }
  if (length > mLength - offset) {
    length = mLength - offset;
  }
  cString result(*this);
  result.mOffset = mOffset + offset;
  result.mLength = length;
  return result;
}

const char* cString::Data() const {
  cStringBuffer* buffer = Buffer();
  return buffer == nullptr ? nullptr : buffer->GetData() + mOffset;
}

char* cString::SharedData() const {
  cStringBuffer* buffer = Buffer();
  return buffer == nullptr ? nullptr : buffer->GetData() + mOffset;
}

u32 cString::GetBufferRefCount() const {
  cStringBuffer* buffer = Buffer();
  return buffer == nullptr ? 0 : buffer->GetRefCount();
}
