// Toolkit fonts: loading, drawing at a point or in a box, and counting the
// lines of wrapped text.
#include "game/render/text/font.h"

#include <cstring>

#include "game/app/screens/screen_stack.h"
#include "game/foundation/native_path.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_state.h"

namespace {

constexpr RwRGBA kOpaqueWhite = {255, 255, 255, 255};
constexpr char kCarriageReturn = '\r';
// Direct3D samples a pixel at its centre, on whole coordinates, so a glyph
// whose edges lie on whole pixels is sampled on the edges between its
// texels: a one-texel row (an umlaut's dots, an i's dot) is filtered into
// two rows, each at a quarter of its ink or less (colour and alpha both
// halve). The layout's origin half a pixel to the right and below moves
// what is drawn half a pixel left and up, so that each pixel row of a
// glyph at its natural height takes one texel row whole.
constexpr f32 kHalfPixel = 0.5f;

}  // namespace

cFont::cFont()
    : mSavedZTest(0),
      mSavedZWrite(0),
      mSavedVertexAlpha(0),
      mFont(nullptr),
      mBrush(nullptr),
      mHeight(0.0f),
      mRasterHeight(0.0f),
      mText(nullptr) {}

cFont::~cFont() {
  Release();
  delete[] mText;
}

bool cFont::Load(const char* folder, const char* name, f32 characterGap) {
  Release();
  char* native = MakeNativePath(folder);
  if (native != nullptr) {
    Rt2dFontSetPath(native);
    EngineFree(native);
  }
  mFont = Rt2dFontRead(name);
  if (mFont == nullptr) {
    return false;
  }
  Rt2dFontSetCharacterGap(mFont, characterGap);
  mBrush = Rt2dBrushCreate();
  SetColour(kOpaqueWhite);
  mHeight = 0.0f;
  if (mText == nullptr) {
    mText = new char[kFontTextBufferSize];
  }
  return mBrush != nullptr;
}

void cFont::Release() {
  if (mBrush != nullptr) {
    Rt2dBrushDestroy(mBrush);
    mBrush = nullptr;
  }
  if (mFont != nullptr) {
    Rt2dFontDestroy(mFont);
    mFont = nullptr;
  }
}

void cFont::SetColour(const RwRGBA& colour) {
  if (mBrush != nullptr) {
    Rt2dBrushSetRGBA(mBrush, &colour, &colour, &colour, &colour);
  }
}

bool cFont::BeginDraw(cCamera* camera) {
  RwRaster* raster = RwCameraGetRaster(camera->GetCamera());
  if (mFont == nullptr || mBrush == nullptr || raster == nullptr) {
    return false;
  }
  Rt2dSetCamera(camera->GetCamera());
  mRasterHeight = static_cast<f32>(raster->height);
  Rt2dDeviceSetLayout(kHalfPixel, -kHalfPixel, static_cast<f32>(raster->width), mRasterHeight);
  mSavedZTest = GetRenderState(kRwRenderStateZTestEnable);
  mSavedZWrite = GetRenderState(kRwRenderStateZWriteEnable);
  mSavedVertexAlpha = GetRenderState(kRwRenderStateVertexAlphaEnable);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  SetRenderState(kRwRenderStateZTestEnable, 0);
  SetRenderState(kRwRenderStateZWriteEnable, 0);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressClamp);
  return true;
}

void cFont::EndDraw() {
  // The toolkit keeps no pointer to a widget camera that may go.
  Rt2dSetCamera(nullptr);
  SetRenderState(kRwRenderStateZTestEnable, mSavedZTest);
  SetRenderState(kRwRenderStateZWriteEnable, mSavedZWrite);
  SetRenderState(kRwRenderStateVertexAlphaEnable, mSavedVertexAlpha);
}

f32 cFont::HeightOrNatural(f32 height) { return height == 0.0f ? Rt2dFontGetHeight(mFont) : height; }

void cFont::RenderString(cCamera* camera, const char* text, const RwV2d& point, f32 height) {
  if (text == nullptr || !BeginDraw(camera)) {
    return;
  }
  mHeight = HeightOrNatural(height);
  RwV2d anchor = {point.x, mRasterHeight - point.y};
  Rt2dFontRenderString(mFont, text, mHeight, &anchor, mBrush);
  EndDraw();
}

void cFont::RenderInBox(cCamera* camera, const char* text, const RwRect& box, u32 alignment, f32 height) {
  if (text == nullptr || !BeginDraw(camera)) {
    return;
  }
  mHeight = HeightOrNatural(height);
  // The toolkit writes line ends into the text it wraps: it gets a copy,
  // in the font's buffer when the text fits.
  const size_t length = strlen(text);
  char* buffer = length < kFontTextBufferSize ? mText : new char[length + 1];
  memcpy(buffer, text, length + 1);
  const Rt2dBBox toolkitBox = {static_cast<f32>(box.x), mRasterHeight - static_cast<f32>(box.y + box.h),
                               static_cast<f32>(box.w), static_cast<f32>(box.h)};
  Rt2dFontRenderInBox(mFont, buffer, mHeight, &toolkitBox, static_cast<RwInt32>(alignment), mBrush);
  if (buffer != mText) {
    delete[] buffer;
  }
  EndDraw();
}

u32 cFont::CountWrappedLines(cCamera* camera, const cString& text, f32 width) {
  if (mFont == nullptr || gScreenStack == nullptr) {
    return 0;
  }
  RwCamera* engineCamera = camera->GetCamera();
  RwRaster* keptRaster = RwCameraGetRaster(engineCamera);
  RwRaster* keptZRaster = RwCameraGetZRaster(engineCamera);
  const cRenderTarget& target = gScreenStack->GetTarget();
  RwCameraSetRaster(engineCamera, target.GetColourRaster());
  RwCameraSetZRaster(engineCamera, target.GetDepthRaster());
  const tTargetSize size = target.GetSize();
  Rt2dSetCamera(engineCamera);
  Rt2dDeviceSetLayout(0.0f, 0.0f, static_cast<f32>(size.width), static_cast<f32>(size.height));
  mHeight = Rt2dFontGetHeight(mFont);

  // Widths are measured on a copy, terminated where each measure ends.
  const u32 length = text.Length();
  char* copy = new char[length + 1];
  if (length > 0) {
    memcpy(copy, text.Data(), length);
  }
  copy[length] = '\0';
  u32 lines = 1;
  u32 lineStart = 0;
  u32 wordStart = 0;
  for (u32 i = 0; i < length; i++) {
    if (copy[i] == kCarriageReturn) {
      lines++;
      // The line feed after the return is skipped.
      lineStart = i + 2 < length ? i + 2 : length;
      wordStart = lineStart;
      i = lineStart - 1;
      continue;
    }
    if (copy[i] != ' ') {
      continue;
    }
    copy[i] = '\0';
    const f32 lineWidth = Rt2dFontGetStringWidth(mFont, copy + lineStart, mHeight);
    copy[i] = ' ';
    if (lineWidth > width && wordStart > lineStart) {
      lines++;
      lineStart = wordStart;
    }
    // The space ends a word, also the one that was just moved to a new line.
    wordStart = i + 1;
  }
  if (lineStart < length && Rt2dFontGetStringWidth(mFont, copy + lineStart, mHeight) > width) {
    lines++;
  }
  delete[] copy;
  Rt2dSetCamera(nullptr);
  RwCameraSetRaster(engineCamera, keptRaster);
  RwCameraSetZRaster(engineCamera, keptZRaster);
  return lines;
}
