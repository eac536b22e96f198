// PackWriter: little-endian archive writer.
#include "tools/forge/files/pack_writer.h"

namespace {

void PutU32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; i++) {
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

}  // namespace

PackWriter& PackWriter::Add(const std::string& name, const std::string& data) {
  PackWriterEntry entry;
  entry.name = name;
  entry.data = data;
  return AddEntry(entry);
}

PackWriter& PackWriter::AddEntry(const PackWriterEntry& entry) {
  entries.push_back(entry);
  return *this;
}

std::string PackWriter::Build() const {
  std::string out;
  PutU32(&out, magic);
  PutU32(&out, 0);  // directory offset, patched below
  PutU32(&out, 0);  // directory length
  std::vector<uint32_t> offsets;
  for (const PackWriterEntry& entry : entries) {
    offsets.push_back(static_cast<uint32_t>(out.size()));
    out += entry.data;
  }
  uint32_t directoryOffset = static_cast<uint32_t>(out.size());
  for (size_t i = 0; i < entries.size(); i++) {
    const PackWriterEntry& entry = entries[i];
    std::string name = entry.name.substr(0, 56);
    if (entry.terminated) {
      name.resize(56, '\0');
      name[55] = '\0';
    } else {
      name.resize(56, 'x');
    }
    out += name;
    PutU32(&out, entry.offsetOverride >= 0 ? static_cast<uint32_t>(entry.offsetOverride) : offsets[i]);
    PutU32(&out, entry.sizeOverride >= 0 ? static_cast<uint32_t>(entry.sizeOverride)
                                         : static_cast<uint32_t>(entry.data.size()));
  }
  out.append(directoryRemainder, '\0');
  uint32_t directoryLength = static_cast<uint32_t>(out.size()) - directoryOffset;
  std::string header;
  PutU32(&header, directoryOffsetOverride >= 0 ? static_cast<uint32_t>(directoryOffsetOverride) : directoryOffset);
  PutU32(&header, directoryLengthOverride >= 0 ? static_cast<uint32_t>(directoryLengthOverride) : directoryLength);
  out.replace(4, 8, header);
  return out;
}

bool PackWriter::WriteFile(const std::string& path) const { return WriteWholeFile(path, Build()); }
