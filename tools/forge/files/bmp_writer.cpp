// Bitmap file writer; see bmp_writer.h.
#include "tools/forge/files/bmp_writer.h"

#include <cstdio>

namespace forge {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCoreHeaderBytes = 12;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Bytes of one uncompressed file row; 15-bit pixels are stored as 16-bit words.
uint32_t RowBytes(const BmpDescription& description) {
  const uint32_t bits = description.bitCount == 15 ? 16 : description.bitCount;
  return ((bits * static_cast<uint32_t>(description.width) + 7) / 8 + 3) & ~3u;
}

uint32_t Pixel(const BmpDescription& description, int x, int yFromTop) {
  const size_t i = static_cast<size_t>(yFromTop) * description.width + x;
  return i < description.pixels.size() ? description.pixels[i] : 0;
}

std::vector<uint8_t> PackRow(const BmpDescription& description, int yFromTop) {
  std::vector<uint8_t> row(RowBytes(description), 0);
  for (int x = 0; x < description.width; ++x) {
    const uint32_t p = Pixel(description, x, yFromTop);
    switch (description.bitCount) {
      case 1:
        if (p & 1) {
          row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        break;
      case 4:
        row[x / 2] |= static_cast<uint8_t>((p & 0xF) << ((x % 2) ? 0 : 4));
        break;
      case 8:
        row[x] = static_cast<uint8_t>(p);
        break;
      case 15:
      case 16:
        row[2 * x] = static_cast<uint8_t>(p);
        row[2 * x + 1] = static_cast<uint8_t>(p >> 8);
        break;
      case 24:
        row[3 * x] = static_cast<uint8_t>(p);
        row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
        break;
      case 32:
        row[4 * x] = static_cast<uint8_t>(p);
        row[4 * x + 1] = static_cast<uint8_t>(p >> 8);
        row[4 * x + 2] = static_cast<uint8_t>(p >> 16);
        row[4 * x + 3] = static_cast<uint8_t>(p >> 24);
        break;
      default:
        break;
    }
  }
  return row;
}

std::vector<uint8_t> PixelData(const BmpDescription& description) {
  std::vector<uint8_t> data;
  for (int i = 0; i < description.height; ++i) {
    const int yFromTop = description.height - 1 - i;
    if (!description.rle8) {
      const std::vector<uint8_t> row = PackRow(description, yFromTop);
      data.insert(data.end(), row.begin(), row.end());
      continue;
    }
    std::vector<uint8_t> row(description.width);
    for (int x = 0; x < description.width; ++x) {
      row[x] = static_cast<uint8_t>(Pixel(description, x, yFromTop));
    }
    while (description.rlePadStep >= 0 && row.size() % 4 != 0) {
      row.push_back(static_cast<uint8_t>(row.back() + description.rlePadStep));
    }
    std::vector<uint8_t> encoded = EncodeRle8Row(row);
    if (description.rleStopAfterRows == i + 1) {
      encoded.back() = 1;  // end of bitmap instead of end of line
      data.insert(data.end(), encoded.begin(), encoded.end());
      return data;
    }
    data.insert(data.end(), encoded.begin(), encoded.end());
  }
  if (description.rle8) {
    data.push_back(0);
    data.push_back(1);
  }
  return data;
}

}  // namespace

std::vector<uint8_t> EncodeRle8Row(const std::vector<uint8_t>& row) {
  std::vector<uint8_t> out;
  size_t x = 0;
  while (x < row.size()) {
    size_t run = 1;
    while (x + run < row.size() && run < 255 && row[x + run] == row[x]) {
      ++run;
    }
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(row[x]);
      x += run;
      continue;
    }
    // Literal bytes up to the next pair of equal bytes.
    size_t literal = 1;
    while (x + literal < row.size() && literal < 255 &&
           !(x + literal + 1 < row.size() && row[x + literal] == row[x + literal + 1])) {
      ++literal;
    }
    if (literal < 3) {
      for (size_t i = 0; i < literal; ++i) {
        out.push_back(1);
        out.push_back(row[x + i]);
      }
    } else {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(literal));
      out.insert(out.end(), row.begin() + x, row.begin() + x + literal);
      if (literal & 1) {
        out.push_back(0);
      }
    }
    x += literal;
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::vector<uint8_t> WriteBmp(const BmpDescription& description) {
  const uint32_t headerBytes = description.coreHeader ? kCoreHeaderBytes : kInfoHeaderBytes;
  uint32_t paletteEntries = 0;
  if (description.bitCount <= 8) {
    paletteEntries = (!description.coreHeader && description.colorsUsed != 0) ? description.colorsUsed
                                                                              : (1u << description.bitCount);
  }
  const uint32_t entryBytes = description.coreHeader ? 3 : 4;
  const uint32_t dataOffset = kFileHeaderBytes + headerBytes + paletteEntries * entryBytes;
  const std::vector<uint8_t> pixels = PixelData(description);

  std::vector<uint8_t> out;
  Put16(out, 0x4D42);
  Put32(out, dataOffset + static_cast<uint32_t>(pixels.size()));
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, headerBytes);
  if (description.coreHeader) {
    Put16(out, static_cast<uint16_t>(description.width));
    Put16(out, static_cast<uint16_t>(description.height));
    Put16(out, 1);
    Put16(out, description.bitCount);
  } else {
    Put32(out, static_cast<uint32_t>(description.width));
    Put32(out, static_cast<uint32_t>(description.height));
    Put16(out, 1);
    Put16(out, description.bitCount);
    Put32(out, description.rle8 ? 1 : 0);
    Put32(out, static_cast<uint32_t>(pixels.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, description.colorsUsed);
    Put32(out, 0);
  }
  for (uint32_t i = 0; i < paletteEntries; ++i) {
    const uint32_t c = i < description.palette.size() ? description.palette[i] : 0;
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
    if (!description.coreHeader) {
      out.push_back(0);
    }
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    return false;
  }
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace forge
