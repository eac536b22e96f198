// Pixel formats: sizes and pitches, conversion between the Direct3D memory
// layouts and bytes R, G, B, A, and DXT block decoding.
#include <cstring>

#include "platform/d3d8/device_internal.h"

namespace d3d8 {

namespace {

inline uint8_t Expand5(uint32_t v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Expand6(uint32_t v) { return uint8_t((v << 2) | (v >> 4)); }
inline uint8_t Expand4(uint32_t v) { return uint8_t(v * 17); }

inline uint16_t Read16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void Write16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

UINT DxtBlockBytes(D3DFORMAT format) { return format == D3DFMT_DXT1 ? 8 : 16; }

// Decodes the colour half of a block into 16 texels R, G, B, A.
void DecodeColourBlock(const uint8_t* block, bool dxt1, uint8_t out[16][4]) {
  uint32_t c0 = Read16(block);
  uint32_t c1 = Read16(block + 2);
  uint8_t colours[4][4];
  colours[0][0] = Expand5(c0 >> 11);
  colours[0][1] = Expand6((c0 >> 5) & 63);
  colours[0][2] = Expand5(c0 & 31);
  colours[1][0] = Expand5(c1 >> 11);
  colours[1][1] = Expand6((c1 >> 5) & 63);
  colours[1][2] = Expand5(c1 & 31);
  colours[0][3] = colours[1][3] = colours[2][3] = colours[3][3] = 255;
  bool fourColours = !dxt1 || c0 > c1;
  for (int c = 0; c < 3; ++c) {
    if (fourColours) {
      colours[2][c] = uint8_t((2 * colours[0][c] + colours[1][c]) / 3);
      colours[3][c] = uint8_t((colours[0][c] + 2 * colours[1][c]) / 3);
    } else {
      colours[2][c] = uint8_t((colours[0][c] + colours[1][c]) / 2);
      colours[3][c] = 0;
    }
  }
  if (!fourColours) colours[3][3] = 0;
  for (int row = 0; row < 4; ++row) {
    uint8_t bits = block[4 + row];
    for (int col = 0; col < 4; ++col) {
      std::memcpy(out[row * 4 + col], colours[(bits >> (2 * col)) & 3], 4);
    }
  }
}

}  // namespace

UINT FormatBytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_D16:
    case D3DFMT_D15S1:
    case D3DFMT_D16_LOCKABLE:
      return 2;
    case D3DFMT_P8:
    case D3DFMT_L8:
      return 1;
    default:
      return 0;
  }
}

bool IsDxtFormat(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
         format == D3DFMT_DXT5;
}

bool IsDepthFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D32:
      return true;
    default:
      return false;
  }
}

bool FormatHasAlpha(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_P8:
    case D3DFMT_DXT1:
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      return true;
    default:
      return false;
  }
}

UINT FormatPitch(D3DFORMAT format, UINT width) {
  if (IsDxtFormat(format)) return ((width + 3) / 4) * DxtBlockBytes(format);
  return width * FormatBytesPerPixel(format);
}

UINT FormatRowCount(D3DFORMAT format, UINT height) { return IsDxtFormat(format) ? (height + 3) / 4 : height; }

UINT FormatSurfaceSize(D3DFORMAT format, UINT width, UINT height) {
  return FormatPitch(format, width) * FormatRowCount(format, height);
}

void DecodeToRgba(D3DFORMAT format, const uint8_t* src, size_t srcPitch, UINT width, UINT height, uint8_t* rgba,
                  const PALETTEENTRY* palette) {
  for (UINT y = 0; y < height; ++y) {
    const uint8_t* s = src + y * srcPitch;
    uint8_t* d = rgba + size_t(y) * width * 4;
    for (UINT x = 0; x < width; ++x, d += 4) {
      switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: {
          const uint8_t* p = s + x * 4;
          d[0] = p[2];
          d[1] = p[1];
          d[2] = p[0];
          d[3] = format == D3DFMT_A8R8G8B8 ? p[3] : 255;
          break;
        }
        case D3DFMT_R5G6B5: {
          uint32_t v = Read16(s + x * 2);
          d[0] = Expand5(v >> 11);
          d[1] = Expand6((v >> 5) & 63);
          d[2] = Expand5(v & 31);
          d[3] = 255;
          break;
        }
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
          uint32_t v = Read16(s + x * 2);
          d[0] = Expand5((v >> 10) & 31);
          d[1] = Expand5((v >> 5) & 31);
          d[2] = Expand5(v & 31);
          d[3] = format == D3DFMT_A1R5G5B5 ? ((v & 0x8000) ? 255 : 0) : 255;
          break;
        }
        case D3DFMT_A4R4G4B4: {
          uint32_t v = Read16(s + x * 2);
          d[0] = Expand4((v >> 8) & 15);
          d[1] = Expand4((v >> 4) & 15);
          d[2] = Expand4(v & 15);
          d[3] = Expand4(v >> 12);
          break;
        }
        case D3DFMT_L8:
          d[0] = d[1] = d[2] = s[x];
          d[3] = 255;
          break;
        case D3DFMT_P8:
          if (palette != nullptr) {
            const PALETTEENTRY& e = palette[s[x]];
            d[0] = e.peRed;
            d[1] = e.peGreen;
            d[2] = e.peBlue;
            d[3] = e.peFlags;
          } else {
            d[0] = d[1] = d[2] = 0;
            d[3] = 255;
          }
          break;
        default:
          d[0] = d[1] = d[2] = d[3] = 0;
          break;
      }
    }
  }
}

void EncodeFromRgba(D3DFORMAT format, const uint8_t* rgba, UINT width, UINT height, uint8_t* dst, size_t dstPitch) {
  for (UINT y = 0; y < height; ++y) {
    const uint8_t* s = rgba + size_t(y) * width * 4;
    uint8_t* d = dst + y * dstPitch;
    for (UINT x = 0; x < width; ++x, s += 4) {
      uint32_t r = s[0], g = s[1], b = s[2], a = s[3];
      switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
          d[x * 4 + 0] = uint8_t(b);
          d[x * 4 + 1] = uint8_t(g);
          d[x * 4 + 2] = uint8_t(r);
          d[x * 4 + 3] = format == D3DFMT_A8R8G8B8 ? uint8_t(a) : 255;
          break;
        case D3DFMT_R5G6B5:
          Write16(d + x * 2, ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
          break;
        case D3DFMT_X1R5G5B5:
          Write16(d + x * 2, 0x8000 | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
          break;
        case D3DFMT_A1R5G5B5:
          Write16(d + x * 2, ((a >= 128) ? 0x8000 : 0) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
          break;
        case D3DFMT_A4R4G4B4:
          Write16(d + x * 2, ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
          break;
        case D3DFMT_L8:
          d[x] = uint8_t((r * 77 + g * 150 + b * 29) >> 8);
          break;
        default:
          break;
      }
    }
  }
}

void DecodeDxtToRgba(D3DFORMAT format, const uint8_t* blocks, UINT width, UINT height, uint8_t* rgba) {
  const UINT blockBytes = DxtBlockBytes(format);
  const UINT across = (width + 3) / 4;
  const UINT down = (height + 3) / 4;
  for (UINT by = 0; by < down; ++by) {
    for (UINT bx = 0; bx < across; ++bx) {
      const uint8_t* block = blocks + (size_t(by) * across + bx) * blockBytes;
      uint8_t texels[16][4];
      if (format == D3DFMT_DXT1) {
        DecodeColourBlock(block, true, texels);
      } else {
        DecodeColourBlock(block + 8, false, texels);
        if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
          for (int i = 0; i < 16; ++i) {
            texels[i][3] = Expand4((block[i / 2] >> ((i & 1) * 4)) & 15);
          }
        } else {
          uint32_t a0 = block[0];
          uint32_t a1 = block[1];
          uint8_t alphas[8];
          alphas[0] = uint8_t(a0);
          alphas[1] = uint8_t(a1);
          if (a0 > a1) {
            for (int i = 1; i < 7; ++i) alphas[i + 1] = uint8_t(((7 - i) * a0 + i * a1) / 7);
          } else {
            for (int i = 1; i < 5; ++i) alphas[i + 1] = uint8_t(((5 - i) * a0 + i * a1) / 5);
            alphas[6] = 0;
            alphas[7] = 255;
          }
          // 48 bits of 3-bit indices, texel 0 in the lowest bits.
          uint64_t bits = 0;
          for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
          for (int i = 0; i < 16; ++i) texels[i][3] = alphas[(bits >> (3 * i)) & 7];
        }
      }
      for (UINT row = 0; row < 4; ++row) {
        UINT y = by * 4 + row;
        if (y >= height) break;
        for (UINT col = 0; col < 4; ++col) {
          UINT x = bx * 4 + col;
          if (x >= width) break;
          std::memcpy(rgba + (size_t(y) * width + x) * 4, texels[row * 4 + col], 4);
        }
      }
    }
  }
}

}  // namespace d3d8
