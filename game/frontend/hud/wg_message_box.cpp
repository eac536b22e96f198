// cWgMessageBox: texts checked for their control characters before any
// byte after them is read.
#include "game/frontend/hud/wg_message_box.h"

#include <cstring>

namespace {

constexpr RwRGBA kMessageBackdrop = {37, 49, 60, 192};
constexpr f32 kNumberIconSize = 0.10546875f;
constexpr f32 kNumberIconInset = 0.009765625f;
constexpr f32 kPromptSize = 0.05f;
constexpr s32 kNumberedIndent = 64;
constexpr s32 kFixedBackdrop = 64;
constexpr u8 kFadeInStep = 32;
constexpr u8 kFadeOutStep = 8;
constexpr const char* kSecondPromptSuffix = "all";

// The text's bytes from skip on, terminated (a private copy when needed).
const char* TextFrom(const cString& text, u32 skip) {
  return text.CStr() + (skip < text.Length() ? skip : text.Length());
}

}  // namespace

cWgMessageBox::cWgMessageBox(const tWgPlacement& placement, bool framed, const char* promptIcon)
    : cWgHudWidget(placement),
      mFramed(framed ? 1 : 0),
      mBackdrop(nullptr),
      mNumberIcons(nullptr),
      mNumberIconCount(0),
      mPrompt(nullptr),
      mSecondPrompt(nullptr),
      mFont(nullptr),
      mDisplayLines(0),
      mBackdropColour(kMessageBackdrop),
      mTextColour{255, 255, 255, 0},
      mHighlightColour{0, 255, 0, 0},
      mShowing(1),
      mPrompting(0),
      mBackdropTop(0),
      mDrawing(0) {
  if (!framed) {
    return;
  }
  mBackdrop = new cSprite2D;
  mNumberIconCount = kMessageNumberIcons;
  mNumberIcons = new cSprite2D*[mNumberIconCount];
  char name[64];
  for (u32 i = 0; i < mNumberIconCount; i++) {
    mNumberIcons[i] = new cSprite2D;
    NameWithDigit(name, sizeof(name), kMessageNumberTexture, i + 1);
    mNumberIcons[i]->SetTexture(name);
  }
  if (promptIcon != nullptr && strlen(promptIcon) + strlen(kSecondPromptSuffix) < sizeof(name)) {
    mPrompt = new cSprite2D;
    mPrompt->SetTexture(promptIcon);
    mSecondPrompt = new cSprite2D;
    strcpy(name, promptIcon);
    strcat(name, kSecondPromptSuffix);
    mSecondPrompt->SetTexture(name);
  }
}

cWgMessageBox::~cWgMessageBox() {
  delete mBackdrop;
  for (u32 i = 0; i < mNumberIconCount; i++) {
    delete mNumberIcons[i];
  }
  delete[] mNumberIcons;
  delete mPrompt;
  delete mSecondPrompt;
}

void cWgMessageBox::SetMessage(const cString* text, s32 displayLines, bool flag) {
  if (text == nullptr) {
    mPrompting = 0;
    if (mShowing) {
      mShowing = 0;
      if (flag) {
        mText = cString();
      }
      mTextColour.alpha = 0;
      mHighlightColour.alpha = 0;
    }
    return;
  }
  if (text->IsEmpty()) {
    return;
  }
  mDisplayLines = displayLines >= 0 && displayLines < 3 ? 3 : displayLines;
  mText = *text;
  mShowing = 1;
  mPrompting = flag ? 1 : 0;
  mTextColour.alpha = 0;
  mHighlightColour.alpha = 0;
}

void cWgMessageBox::SetSideText(const cString* text) {
  if (text == nullptr) {
    if (mShowing) {
      mShowing = 0;
      mTextColour.alpha = 0;
      mHighlightColour.alpha = 0;
    }
    return;
  }
  if (text->IsEmpty()) {
    return;
  }
  mSideText = *text;
  mShowing = 1;
  mTextColour.alpha = 0;
  mHighlightColour.alpha = 0;
}

tMessageKind cWgMessageBox::ReadKind(const cString& text) {
  const char* data = text.Data();
  const u32 length = text.Length();
  if (length >= 1 && data[0] == '^') {
    return tMessageKind{kMessageHighlighted, 1, -1};
  }
  // "#" needs its digit; without one the text is plain.
  if (length >= 2 && data[0] == '#' && data[1] >= '0' && data[1] <= '9') {
    const s32 digit = data[1] - '0';
    return tMessageKind{kMessageNumbered, 2, digit >= 1 && digit <= 3 ? digit - 1 : -1};
  }
  return tMessageKind{kMessagePlain, 0, -1};
}

bool cWgMessageBox::StepFade(u8* alpha) {
  if (mShowing) {
    if (*alpha < 255) {
      const u8 next = static_cast<u8>(*alpha + kFadeInStep);
      *alpha = next == 0 ? 255 : next;
    }
    return false;
  }
  *alpha = static_cast<u8>(*alpha - kFadeOutStep);
  return *alpha == 0;
}

void cWgMessageBox::DrawFrame(const tMessageKind& kind, s32 top) {
  const s32 w = PixelWidth();
  const s32 h = PixelHeight();
  SetSpriteRect(*mBackdrop, 0.0f, static_cast<f32>(top) / static_cast<f32>(h), 1.0f,
                static_cast<f32>(h - top) / static_cast<f32>(h));
  RwRGBA backdrop = mBackdropColour;
  backdrop.alpha = static_cast<u8>(backdrop.alpha * mTextColour.alpha / 255);
  SetSpriteColour(*mBackdrop, backdrop);
  if (!mDrawing) {
    return;
  }
  mBackdrop->Render();
  // Icons in width units from the backdrop's corner.
  const f32 cornerY =
      (static_cast<f32>(top) + (static_cast<f32>(w) - static_cast<f32>(h)) * 0.5f) / static_cast<f32>(w);
  if (kind.icon >= 0 && static_cast<u32>(kind.icon) < mNumberIconCount) {
    cSprite2D& icon = *mNumberIcons[kind.icon];
    PlaceInWidthUnits(icon, kNumberIconInset, cornerY + kNumberIconInset, kNumberIconSize, kNumberIconSize);
    SetSpriteColour(icon, mTextColour);
    icon.Render();
  }
  if (mPrompting && mPrompt != nullptr) {
    PlaceInWidthUnits(*mPrompt, 0.95f, 0.7f, kPromptSize, kPromptSize);
    PlaceInWidthUnits(*mSecondPrompt, 0.9f, 0.7f, kPromptSize, kPromptSize);
    SetSpriteColour(*mPrompt, mTextColour);
    SetSpriteColour(*mSecondPrompt, mTextColour);
    mPrompt->Render();
    mSecondPrompt->Render();
  }
}

void cWgMessageBox::RenderOneColumn() {
  const tMessageKind kind = ReadKind(mText);
  s32 x = 0;
  s32 w = PixelWidth();
  const s32 h = PixelHeight();
  if (kind.kind == kMessageNumbered) {
    x = kNumberedIndent;
    w -= kNumberedIndent;
  }
  RwRGBA& colour = kind.kind == kMessageHighlighted ? mHighlightColour : mTextColour;
  if (StepFade(&colour.alpha)) {
    mText = cString();
    return;
  }
  RwRect box = {x + 8, kMessageTop, w - 20, h};
  if (mFramed) {
    const f32 lineHeight = mFont->GetFont() != nullptr ? Rt2dFontGetHeight(mFont->GetFont()) : 0.0f;
    // No lines, a negative count or no line height: the fixed backdrop.
    s32 top = h - kFixedBackdrop;
    if (mDisplayLines > 0 && lineHeight != 0.0f) {
      top = h - static_cast<s32>(static_cast<f32>(mDisplayLines) * lineHeight + 10.0f);
    }
    mBackdropTop = top;
    DrawFrame(kind, top);
    box = RwRect{x + 8, top, w - 20, h - top};
  } else if (!mShowing) {
    mText = cString();
    return;
  }
  if (!mDrawing) {
    return;
  }
  mFont->SetColour(colour);
  mFont->RenderInBox(&mCamera, TextFrom(mText, kind.skip), box, kTextAlignLeft, 0.0f);
}

void cWgMessageBox::RenderTwoColumns() {
  if (!mShowing) {
    mText = cString();
    mSideText = cString();
    return;
  }
  StepFade(&mTextColour.alpha);
  if (!mDrawing) {
    return;
  }
  mFont->SetColour(mTextColour);
  const s32 w = PixelWidth();
  const s32 h = PixelHeight();
  mFont->RenderInBox(&mCamera, mSideText.CStr(), RwRect{w / 2 + 108, kMessageTop, w / 2 + 80, h}, kTextAlignLeft, 0.0f);
  mFont->RenderInBox(&mCamera, mText.CStr(), RwRect{28, kMessageTop, w / 2 + 80, h}, kTextAlignLeft, 0.0f);
}

void cWgMessageBox::Render() {
  if (mText.IsEmpty() || mFont == nullptr) {
    return;
  }
  mDrawing = BeginDraw() ? 1 : 0;
  if (mSideText.IsEmpty()) {
    RenderOneColumn();
  } else {
    RenderTwoColumns();
  }
  mFont->SetColour(kHudWhite);
  if (mDrawing) {
    EndDraw();
  }
}
