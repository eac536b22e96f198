// Locator file builder.
#include "tools/forge/files/locator_writer.h"

#include <algorithm>

#include "tools/forge/files/bmp_writer.h"
#include "tools/forge/forge_bytes.h"

namespace {

constexpr uint32_t kHeaderChunk = 0x99;
constexpr uint32_t kMatrixChunk = 0xD;
constexpr uint32_t kStructChunk = 1;
constexpr uint32_t kMatrixBodySize = 52;  // four vectors and the flags word
constexpr uint32_t kHeaderTextSize = 32;
constexpr uint32_t kChunkHeaderBytes = 12;

// A chunk header as this engine writes it; the body follows.
ForgeBytes& Header(ForgeBytes& bytes, uint32_t type, uint32_t length) {
  return bytes.U32(type).U32(length).U32(RwChunkStampEncode(kRwLibraryVersion, kRwLibraryBuild));
}

void Vector(ForgeBytes& bytes, const float (&v)[3]) { bytes.Real(v[0]).Real(v[1]).Real(v[2]); }

// Bytes a text occupies: at least one after it, rounded to whole words.
uint32_t StoredTextSize(uint32_t length) { return (length + 4) & ~3u; }

void Text(ForgeBytes& bytes, const std::string& text, int64_t lengthOverride) {
  bytes.U32(lengthOverride >= 0 ? static_cast<uint32_t>(lengthOverride) : static_cast<uint32_t>(text.size()));
  std::vector<uint8_t> stored(StoredTextSize(static_cast<uint32_t>(text.size())), 0);
  std::copy(text.begin(), text.end(), stored.begin());
  bytes.Bytes(stored);
}

}  // namespace

LocatorWriter& LocatorWriter::Add(const std::string& name, const std::string& data, float x, float y, float z) {
  LocatorWriterEntry entry;
  entry.name = name;
  entry.data = data;
  entry.pos[0] = x;
  entry.pos[1] = y;
  entry.pos[2] = z;
  return AddEntry(entry);
}

LocatorWriter& LocatorWriter::AddEntry(const LocatorWriterEntry& entry) {
  ForgeBytes bytes;
  Header(Header(bytes, kMatrixChunk, kChunkHeaderBytes + kMatrixBodySize), kStructChunk, kMatrixBodySize);
  Vector(bytes, entry.right);
  Vector(bytes, entry.up);
  Vector(bytes, entry.at);
  Vector(bytes, entry.pos);
  bytes.U32(0);  // matrix flags
  Text(bytes, entry.name, entry.nameLengthOverride);
  Text(bytes, entry.data, entry.dataLengthOverride);
  mParts.push_back(bytes.bytes());
  return *this;
}

LocatorWriter& LocatorWriter::AddForeignChunk(uint32_t type, const std::vector<uint8_t>& body) {
  ForgeBytes bytes;
  Header(bytes, type, static_cast<uint32_t>(body.size())).Bytes(body);
  mParts.push_back(bytes.bytes());
  return *this;
}

std::vector<uint8_t> LocatorWriter::Build() const {
  ForgeBytes bytes;
  if (withHeader) {
    std::vector<uint8_t> text(kHeaderTextSize, 0);
    std::copy(headerText.begin(), headerText.begin() + std::min<size_t>(headerText.size(), kHeaderTextSize),
              text.begin());
    Header(bytes, kHeaderChunk, 4 + kHeaderTextSize).U32(headerValue).Bytes(text);
  }
  for (const std::vector<uint8_t>& part : mParts) {
    bytes.Bytes(part);
  }
  return bytes.bytes();
}

bool LocatorWriter::WriteFile(const std::string& path) const { return forge::WriteFileBytes(path, Build()); }
