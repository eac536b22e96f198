// Builds locator files (".xrf") for tests and data: the header chunk, then per entry a
// matrix chunk, the name and the data, each text padded as the game stores
// it, with hooks to write lengths that do not match the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LocatorWriterEntry {
  float right[3] = {1.0f, 0.0f, 0.0f};
  float up[3] = {0.0f, 1.0f, 0.0f};
  float at[3] = {0.0f, 0.0f, 1.0f};
  float pos[3] = {0.0f, 0.0f, 0.0f};
  std::string name;
  std::string data;
  int64_t nameLengthOverride = -1;  // written instead of the name's length
  int64_t dataLengthOverride = -1;  // written instead of the data's length
};

class LocatorWriter {
 public:
  // An entry at the position with the identity orientation.
  LocatorWriter& Add(const std::string& name, const std::string& data, float x, float y, float z);
  LocatorWriter& AddEntry(const LocatorWriterEntry& entry);
  // A chunk of any type between the entries (the reader skips it).
  LocatorWriter& AddForeignChunk(uint32_t type, const std::vector<uint8_t>& body);

  bool withHeader = true;
  uint32_t headerValue = 0;
  std::string headerText;  // up to 32 bytes, zero-filled

  std::vector<uint8_t> Build() const;
  bool WriteFile(const std::string& path) const;

 private:
  std::vector<std::vector<uint8_t>> mParts;  // entries and foreign chunks in order
};
