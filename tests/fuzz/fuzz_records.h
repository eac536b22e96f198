// A fuzz input cut into records, for targets that take several inputs at
// once (names, a search path, whole files): a flags byte, then byte strings
// each preceded by its length as a 32-bit little-endian word (a length past
// the end takes what is left). Seed writers build inputs with Writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzrecords {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {
    if (mSize > 0) {
      mFlags = mData[0];
      mPosition = 1;
    }
  }

  uint8_t Flags() const { return mFlags; }
  bool AtEnd() const { return mPosition >= mSize; }

  // The next record's bytes; empty when none is left.
  std::vector<uint8_t> Bytes() {
    if (mSize - mPosition < kLengthBytes) {
      mPosition = mSize;
      return {};
    }
    size_t length = 0;
    for (size_t i = 0; i < kLengthBytes; ++i) {
      length |= static_cast<size_t>(mData[mPosition + i]) << (8 * i);
    }
    mPosition += kLengthBytes;
    if (length > mSize - mPosition) {
      length = mSize - mPosition;
    }
    std::vector<uint8_t> bytes(mData + mPosition, mData + mPosition + length);
    mPosition += length;
    return bytes;
  }

  // The next record as text: a NUL ends it early, as it would a C string.
  std::string Text() {
    const std::vector<uint8_t> bytes = Bytes();
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
  }

 private:
  static constexpr size_t kLengthBytes = 4;

  const uint8_t* mData;
  size_t mSize;
  size_t mPosition = 0;
  uint8_t mFlags = 0;
};

class Writer {
 public:
  explicit Writer(uint8_t flags) : mBytes{flags} {}

  Writer& Bytes(const std::vector<uint8_t>& bytes) {
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) {
      mBytes.push_back(static_cast<uint8_t>(length >> (8 * i)));
    }
    mBytes.insert(mBytes.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Writer& Text(const std::string& text) { return Bytes(std::vector<uint8_t>(text.begin(), text.end())); }
  // A file of a file set: its name, then its bytes.
  Writer& File(const std::string& name, const std::vector<uint8_t>& bytes) { return Text(name).Bytes(bytes); }

  const std::vector<uint8_t>& bytes() const { return mBytes; }

 private:
  std::vector<uint8_t> mBytes;
};

}  // namespace fuzzrecords
