// Placeholder pictures for the demo data: flat colours and bands chosen from
// a name, labelled with the engine's own 8 x 15 charset glyphs, and their
// bitmap files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, top row first

  Picture(int w, int h, uint32_t fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  void Set(int x, int y, uint32_t colour);
};

// A stable 32-bit hash of a name (FNV-1a): the seed of its colours.
uint32_t NameHash(const std::string& name);
// A bright colour picked by the hash.
uint32_t NameColour(const std::string& name);
// The colour a fraction t of the way from a to b, channel by channel
// (0x00RRGGBB; t from 0 to 1).
uint32_t Mix(uint32_t a, uint32_t b, double t);

// Whether pixel (x, y) of the charset glyph of c is inked (x < 8, y < 15);
// characters outside the charset are blank.
bool GlyphInk(char c, int x, int y);
// Draws text from its top-left corner, each glyph pixel as a scale x scale
// square; characters advance 8 x scale pixels.
void DrawText(Picture& picture, int x, int y, const std::string& text, uint32_t colour, int scale);

// A labelled placeholder: a diagonal band pattern in the name's colour with
// the name's last path part written across it.
Picture Placeholder(const std::string& name, int width, int height);
// Its alpha mask: white (opaque) inside a rounded rectangle, fading to black
// at the edges.
Picture PlaceholderMask(int width, int height);

// The front end's designed pictures (the intro logos, the menus' and the
// windows' backgrounds, the loading screen and its bar piece) by texture
// name; false for any other name.
bool FrontEndPicture(const std::string& name, Picture* picture);
// The framed panels' and the hacking panel's pictures ("data/hack/"): the
// key tiles and the frame with an alpha of their own in alpha (white
// opaque), the others opaque with alpha left as it was; false for any other
// name.
bool HackPicture(const std::string& name, Picture* picture, Picture* alpha);
// The particles' sprites ("data/implants/prc/") and the lightning's strip
// ("data/implants/lightning"), white on black: their mask and their PNG
// twin's alpha are the picture itself; false for any other name.
bool ParticlePicture(const std::string& name, Picture* picture);

// A 24-bit bitmap file of the picture.
std::vector<uint8_t> BmpFile(const Picture& picture);
// An RGBA PNG file of the picture whose alpha is the blue channel of alpha
// (a picture of the same size; white is opaque). Empty when encoding fails.
std::vector<uint8_t> PngFile(const Picture& picture, const Picture& alpha);

}  // namespace demo
