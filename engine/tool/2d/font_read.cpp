// Reading a font from its metrics file (name + ".met" in the first font
// folder that has it) through the engine's file interface: glyph rectangles
// listed in the file (METRICS1), glyph cells marked in up to four page images
// (METRICS2), or outline glyphs as path commands (METRICS3).
#include <cstdio>
#include <cstring>

#include "engine/src/image.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/file_functions.h"
#include "engine/tool/2d/rt2d_internal.h"

namespace {

constexpr RwInt32 kLineLength = 256;  // bytes a metrics line is read with, NUL included
constexpr RwInt32 kNameLength = 256;  // bytes of an image or mask name, NUL included
constexpr RwChar kExtension[] = ".met";
constexpr RwChar kFolderSeparator = ';';
constexpr RwInt32 kMaximumPages = 4;
constexpr RwChar kFirstPage = 'a';
// Cells are framed by marker pixels and a one-pixel margin inside them.
constexpr RwInt32 kCellMargin = 2;
// Page rasters are mipmapped with levels the driver generates.
constexpr RwUInt32 kPageRasterFlags = rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP;

struct MetricsFile {
  RwFileFunctions* files;
  void* handle;
};

// A line as the file interface's gets returns it, newline included, with a
// Windows line end read as "\n"; false at the end of the file.
bool ReadLine(const MetricsFile& file, RwChar* line, RwInt32 size) {
  if (file.files->rwfgets(line, size, file.handle) == nullptr) {
    return false;
  }
  const size_t length = std::strlen(line);
  if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
    line[length - 2] = '\n';
    line[length - 1] = '\0';
  }
  return true;
}

// One byte of the file; false at its end.
bool ReadByte(const MetricsFile& file, RwChar* byte) {
  RwChar buffer[2];
  if (file.files->rwfgets(buffer, sizeof buffer, file.handle) == nullptr || buffer[0] == '\0') {
    return false;
  }
  *byte = buffer[0];
  return true;
}

Rt2dFont* Fail(Rt2dFont* font, RwInt32 code) {
  RwErrorRaise(kRwPluginIdNone, code);
  Rt2dFontDestroy(font);
  return nullptr;
}

// Opens folder + name + ".met" for each folder of the font path in turn.
void* OpenInFolders(RwFileFunctions* files, const RwChar* name) {
  const RwChar* folder = _rt2dFontGetPath();
  const size_t nameLength = std::strlen(name);
  for (;;) {
    const RwChar* end = std::strchr(folder, kFolderSeparator);
    const size_t folderLength = end != nullptr ? static_cast<size_t>(end - folder) : std::strlen(folder);
    const size_t size = folderLength + nameLength + sizeof kExtension;
    RwChar* path = static_cast<RwChar*>(RwMalloc(size));
    if (path == nullptr) {
      return nullptr;
    }
    std::memcpy(path, folder, folderLength);
    std::memcpy(path + folderLength, name, nameLength);
    std::memcpy(path + folderLength + nameLength, kExtension, sizeof kExtension);
    void* handle = files->rwfopen(path, "r");
    RwFree(path);
    if (handle != nullptr || end == nullptr) {
      return handle;
    }
    folder = end + 1;
  }
}

// The image and optional mask names of a page line; false when it names no
// image.
bool ScanNames(const RwChar* line, RwChar* image, RwChar* mask) {
  const RwInt32 scanned = std::sscanf(line, "%255s %255s", image, mask);
  if (scanned < 1) {
    return false;
  }
  if (scanned < 2) {
    mask[0] = '\0';
  }
  return true;
}

RwInt32 ScanDescent(const MetricsFile& file) {
  RwChar line[kLineLength];
  RwInt32 descent = 0;
  if (ReadLine(file, line, sizeof line)) {
    std::sscanf(line, "%d", &descent);
  }
  return descent;
}

// The page image, read along the font folders (which the image search path
// keeps afterwards).
RwImage* ReadPageImage(const RwChar* image) {
  RwImageSetPath(_rt2dFontGetPath());
  return RwImageRead(image);
}

// The mask's brightness becomes the page's alpha when the mask, if named,
// can be read; a missing mask is no error.
void ApplyMask(RwImage* page, const RwChar* mask) {
  if (mask[0] == '\0') {
    return;
  }
  RwImage* maskImage = RwImageRead(mask);
  if (maskImage != nullptr) {
    RwImageMakeMask(maskImage);
    RwImageApplyMask(page, maskImage);
    RwImageDestroy(maskImage);
  }
}

// Resizes the image, keeping its pixels at the top left and clearing the
// rest; false when memory runs out.
bool Enlarge(RwImage* image, RwInt32 width, RwInt32 height) {
  const RwInt32 oldWidth = image->width;
  const RwInt32 oldHeight = image->height;
  if (RwImageResize(image, width, height) == nullptr) {
    return false;
  }
  const size_t pixelBytes = static_cast<size_t>((image->depth + 7) / 8);
  for (RwInt32 y = 0; y < height; y++) {
    const RwInt32 keep = y < oldHeight ? oldWidth : 0;
    std::memset(image->pixels + static_cast<size_t>(y) * image->stride + static_cast<size_t>(keep) * pixelBytes, 0,
                static_cast<size_t>(width - keep) * pixelBytes);
  }
  return true;
}

struct PageFormat {
  RwInt32 width;
  RwInt32 height;
  RwInt32 depth;
  RwUInt32 flags;
};

// Fits the image to the size of texture raster the driver gives for it:
// enlarged to that size, or when the driver's size is smaller, to the
// smallest power-of-two square that holds it, which the driver must then
// take as it is.
bool FitPage(RwImage* image, PageFormat* format) {
  if (RwImageFindRasterFormat(image, rwRASTERTYPETEXTURE, &format->width, &format->height, &format->depth,
                              &format->flags) == nullptr) {
    return false;
  }
  if (format->width == image->width && format->height == image->height) {
    return true;
  }
  if (format->width >= image->width && format->height >= image->height) {
    return Enlarge(image, format->width, format->height);
  }
  const RwInt32 larger = image->width > image->height ? image->width : image->height;
  RwInt64 side = 1;
  while (side < larger) {
    side *= 2;
  }
  if (side > INT32_MAX || !Enlarge(image, static_cast<RwInt32>(side), static_cast<RwInt32>(side))) {
    return false;
  }
  if (RwImageFindRasterFormat(image, rwRASTERTYPETEXTURE, &format->width, &format->height, &format->depth,
                              &format->flags) == nullptr) {
    return false;
  }
  return format->width == side && format->height == side;
}

// The page raster filled from the image, as a texture named by its letter in
// the font's dictionary; null when any step fails.
RwRaster* AddPage(Rt2dFont* font, RwImage* image, RwChar letter) {
  PageFormat format;
  if (!FitPage(image, &format)) {
    return nullptr;
  }
  RwRaster* raster = RwRasterCreate(format.width, format.height, format.depth, format.flags | kPageRasterFlags);
  if (raster == nullptr) {
    return nullptr;
  }
  RwTexture* texture = nullptr;
  if (RwRasterSetFromImage(raster, image) == nullptr || (texture = RwTextureCreate(raster)) == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  const RwChar name[2] = {letter, '\0'};
  RwTextureSetName(texture, name);
  RwTexDictionaryAddTexture(font->texDictionary, texture);
  return raster;
}

// Line 2 names the image and its mask ("m" and the image's name when not
// given); line 3 holds the descent in pixels; every further line a glyph's
// code and its rectangle in image pixels.
Rt2dFont* ReadMetrics1(const MetricsFile& file, Rt2dFont* font) {
  RwChar line[kLineLength];
  RwChar image[kNameLength];
  RwChar mask[kNameLength];
  if (!ReadLine(file, line, sizeof line) || !ScanNames(line, image, mask)) {
    return font;
  }
  if (mask[0] == '\0' && std::snprintf(mask, sizeof mask, "m%s", image) >= static_cast<int>(sizeof mask)) {
    return Fail(font, kRwErrInvalidValue);
  }
  RwImage* page = ReadPageImage(image);
  if (page == nullptr) {
    return Fail(font, kRwErrFileOpen);
  }
  ApplyMask(page, mask);
  font->texDictionary = RwTexDictionaryCreate();
  RwRaster* raster = font->texDictionary != nullptr ? AddPage(font, page, kFirstPage) : nullptr;
  RwImageDestroy(page);
  if (raster == nullptr) {
    return Fail(font, kRwErrInvalidValue);
  }
  const RwReal descent = static_cast<RwReal>(ScanDescent(file));
  const RwReal rasterWidth = static_cast<RwReal>(raster->width);
  const RwReal rasterHeight = static_cast<RwReal>(raster->height);
  RwBool anyGlyph = FALSE;
  while (ReadLine(file, line, sizeof line)) {
    RwInt32 code;
    RwInt32 x0;
    RwInt32 y0;
    RwInt32 x1;
    RwInt32 y1;
    if (std::sscanf(line, "%i %i %i %i %i", &code, &x0, &y0, &x1, &y1) != 5 || code < 0 ||
        code >= kRt2dFontGlyphCount || y1 == y0) {
      continue;  // a glyph without height has no width over its height either
    }
    const RwReal height = static_cast<RwReal>(y1) - static_cast<RwReal>(y0);
    Rt2dGlyph& glyph = font->glyphs[code];
    glyph.advance = (static_cast<RwReal>(x1) - static_cast<RwReal>(x0)) / height;
    glyph.raster = raster;
    glyph.left = static_cast<RwReal>(x0) / rasterWidth;
    glyph.top = static_cast<RwReal>(y0) / rasterHeight;
    glyph.right = static_cast<RwReal>(x1) / rasterWidth;
    glyph.bottom = static_cast<RwReal>(y1) / rasterHeight;
    font->pageMap[code] = kFirstPage;
    font->size = height;
    anyGlyph = TRUE;
  }
  font->baseline = anyGlyph ? descent / font->size : 0.0f;
  font->characterGap = 0.0f;
  font->outline = 0;
  return font;
}

// A page image's pixels compared with the marker: the bytes of one pixel
// (palette images keep one index a byte).
struct MarkedImage {
  const RwImage* image;
  size_t pixelBytes;
  const RwUInt8* marker;  // the pixel at (0, 0)

  bool Marked(RwInt32 x, RwInt32 y) const {
    const RwUInt8* pixel = image->pixels + static_cast<size_t>(y) * image->stride + static_cast<size_t>(x) * pixelBytes;
    return std::memcmp(pixel, marker, pixelBytes) == 0;
  }
};

// The glyphs of one page: every band of cells, each cell framed by markers
// in the band's top row and named by the next byte of the character line.
// The line's end (or the file's) ends the page; false when no cell height is
// marked.
bool ReadCells(const MetricsFile& file, Rt2dFont* font, const RwImage* image, RwInt32 page, bool* onPage,
               RwInt32* cellHeight) {
  const MarkedImage marks = {image, static_cast<size_t>((image->depth + 7) / 8), image->pixels};
  RwInt32 cell = 0;
  for (RwInt32 y = 1; y < image->height && cell == 0; y++) {
    if (marks.Marked(0, y)) {
      cell = y;
    }
  }
  // Cells need room for their margins.
  if (cell <= kCellMargin) {
    return false;
  }
  *cellHeight = cell;
  const RwReal width = static_cast<RwReal>(image->width);
  const RwReal height = static_cast<RwReal>(image->height);
  bool lineEnded = false;
  for (RwInt32 top = 0; top < image->height && !lineEnded; top += cell) {
    RwInt32 previous = 0;
    for (RwInt32 x = 1; x < image->width; x++) {
      if (!marks.Marked(x, top)) {
        continue;
      }
      if (x - previous == 1) {
        break;  // two adjacent markers end the band
      }
      RwChar c;
      if (!ReadByte(file, &c) || c == '\n') {
        lineEnded = true;
        break;
      }
      const RwUInt8 code = static_cast<RwUInt8>(c);
      Rt2dGlyph& glyph = font->glyphs[code];
      glyph.left = static_cast<RwReal>(previous + kCellMargin) / width;
      glyph.top = static_cast<RwReal>(top + kCellMargin) / height;
      glyph.right = static_cast<RwReal>(x - kCellMargin) / width;
      glyph.bottom = static_cast<RwReal>(top + cell - kCellMargin) / height;
      glyph.advance = static_cast<RwReal>(x - previous - 2 * kCellMargin) / static_cast<RwReal>(cell - kCellMargin);
      font->pageMap[code] = static_cast<RwChar>(kFirstPage + page);
      onPage[code] = true;
      previous = x;
    }
  }
  if (!lineEnded) {
    RwChar end;
    if (ReadByte(file, &end) && end == '\r') {
      ReadByte(file, &end);
    }
  }
  return true;
}

// Up to four pages, each a line naming the image (and a mask), a line with
// the descent and a line of the characters in the image's cells.
Rt2dFont* ReadMetrics2(const MetricsFile& file, Rt2dFont* font) {
  font->outline = 0;
  font->texDictionary = RwTexDictionaryCreate();
  if (font->texDictionary == nullptr) {
    return Fail(font, kRwErrOutOfMemory);
  }
  for (RwInt32 page = 0; page < kMaximumPages; page++) {
    RwChar line[kLineLength];
    RwChar image[kNameLength];
    RwChar mask[kNameLength];
    if (!ReadLine(file, line, sizeof line) || !ScanNames(line, image, mask)) {
      break;
    }
    RwImage* pageImage = ReadPageImage(image);
    if (pageImage == nullptr) {
      return Fail(font, kRwErrFileOpen);
    }
    const RwReal descent = static_cast<RwReal>(ScanDescent(file));
    bool onPage[kRt2dFontGlyphCount] = {};
    RwInt32 cellHeight = 0;
    if (!ReadCells(file, font, pageImage, page, onPage, &cellHeight)) {
      RwImageDestroy(pageImage);
      return Fail(font, kRwErrInvalidValue);
    }
    ApplyMask(pageImage, mask);
    // The cells were measured on the image; the raster may be larger.
    const RwReal imageWidth = static_cast<RwReal>(pageImage->width);
    const RwReal imageHeight = static_cast<RwReal>(pageImage->height);
    RwRaster* raster = AddPage(font, pageImage, static_cast<RwChar>(kFirstPage + page));
    RwImageDestroy(pageImage);
    if (raster == nullptr) {
      return Fail(font, kRwErrInvalidValue);
    }
    const RwReal scaleU = imageWidth / static_cast<RwReal>(raster->width);
    const RwReal scaleV = imageHeight / static_cast<RwReal>(raster->height);
    for (RwInt32 code = 0; code < kRt2dFontGlyphCount; code++) {
      if (onPage[code]) {
        Rt2dGlyph& glyph = font->glyphs[code];
        glyph.raster = raster;
        glyph.left *= scaleU;
        glyph.right *= scaleU;
        glyph.top *= scaleV;
        glyph.bottom *= scaleV;
      }
    }
    font->size = static_cast<RwReal>(cellHeight - kCellMargin);
    font->baseline = descent / font->size;
    font->characterGap = 0.0f;
  }
  return font;
}

// One outline glyph being read: its character and path.
struct OutlineGlyph {
  RwInt32 code;  // -1 while no character is open
  Rt2dPath* path;
  RwReal lastX;  // first number of the last moveto, lineto or curveto
};

// A path command; false when the path refused it.
bool ReadPathCommand(const RwChar* line, OutlineGlyph* glyph) {
  RwReal v[6];
  Rt2dPath* path = glyph->path;
  if (std::sscanf(line, "moveto %f %f", &v[0], &v[1]) == 2) {
    path = Rt2dPathMoveto(path, v[0], v[1]);
  } else if (std::sscanf(line, "lineto %f %f", &v[0], &v[1]) == 2) {
    path = Rt2dPathLineto(path, v[0], v[1]);
  } else if (std::sscanf(line, "curveto %f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) == 6) {
    path = Rt2dPathCurveto(path, v[0], v[1], v[2], v[3], v[4], v[5]);
  } else if (std::strcmp(line, "closepath\n") == 0) {
    return Rt2dPathClose(path) != nullptr;
  } else {
    return true;
  }
  glyph->lastX = v[0];
  return path != nullptr;
}

// Line 2 is the font's name; then each character: a line "'c'", "begin",
// path commands in units of the text height, and "end".
Rt2dFont* ReadMetrics3(const MetricsFile& file, Rt2dFont* font) {
  font->outline = 1;
  font->size = 1.0f;
  font->baseline = 0.0f;
  font->characterGap = 0.0f;
  font->render = Rt2dFontOutlineRender;
  RwChar line[kLineLength];
  RwChar name[kLineLength];
  if (!ReadLine(file, line, sizeof line) || std::sscanf(line, "%255[^\n]", name) != 1) {
    return font;
  }
  OutlineGlyph glyph = {-1, nullptr, 0.0f};
  while (ReadLine(file, line, sizeof line)) {
    RwChar c;
    if (glyph.code < 0) {
      if (std::sscanf(line, "'%c'", &c) == 1) {
        glyph.code = static_cast<RwUInt8>(c);
      }
    } else if (std::strcmp(line, "begin\n") == 0) {
      // A second begin starts the character's path afresh.
      Rt2dPathDestroy(glyph.path);
      glyph.path = Rt2dPathCreate();
      if (glyph.path == nullptr) {
        return Fail(font, kRwErrOutOfMemory);
      }
    } else if (std::strcmp(line, "end\n") == 0) {
      Rt2dPath* path = Rt2dPathUnlock(Rt2dPathPrune(glyph.path));
      Rt2dGlyph& slot = font->glyphs[glyph.code];
      Rt2dPathDestroy(slot.path);  // a character defined again replaces its outline
      slot.path = path;
      slot.advance = glyph.lastX;
      glyph.code = -1;
      glyph.path = nullptr;
    } else if (glyph.path != nullptr) {
      // A command before the first moveto has no point to start from.
      if (!ReadPathCommand(line, &glyph) || Rt2dPathFlatten(glyph.path) == nullptr) {
        Rt2dPathDestroy(glyph.path);
        return Fail(font, kRwErrInvalidValue);
      }
    }
  }
  Rt2dPathDestroy(glyph.path);  // a character the file left open
  return font;
}

}  // namespace

Rt2dFont* _rt2dFontReadMetrics(const RwChar* name) {
  if (name == nullptr) {
    RwErrorRaise(kRwPluginIdNone, kRwErrNullArgument);
    return nullptr;
  }
  RwFileFunctions* files = RwEngineGetFileInterface();
  Rt2dFont* font = Rt2dFontCreate();
  if (font == nullptr) {
    return nullptr;
  }
  const MetricsFile file = {files, OpenInFolders(files, name)};
  if (file.handle == nullptr) {
    return Fail(font, kRwErrFileOpen);
  }
  RwChar line[kLineLength];
  Rt2dFont* result = font;  // a file of no known format gives a font without glyphs
  if (ReadLine(file, line, sizeof line)) {
    if (std::strcmp(line, "METRICS1\n") == 0) {
      result = ReadMetrics1(file, font);
    } else if (std::strcmp(line, "METRICS2\n") == 0) {
      result = ReadMetrics2(file, font);
    } else if (std::strcmp(line, "METRICS3\n") == 0) {
      result = ReadMetrics3(file, font);
    }
  }
  files->rwfclose(file.handle);
  return result;
}
