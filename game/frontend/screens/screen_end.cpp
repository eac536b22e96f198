// The end-text and credits screens.
#include "game/frontend/screens/screen_end.h"

#include <cstdio>

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/menus/screen_menu.h"
#include "game/frontend/save/save_profiles.h"

namespace {

const char* const kEndPictures[kEndPictureCount] = {"data/screens/endscreen1", "data/screens/endscreen2",
                                                    "data/screens/endscreen3"};
constexpr char kCreditPicture[] = "data/screens/creditscreen";
constexpr RwRGBA kBlack = {0, 0, 0, 0};
constexpr RwRGBA kWhite = {255, 255, 255, 255};
constexpr f32 kFontHeight = 0.05f;
constexpr f32 kScreenLines = 480.0f;
constexpr f32 kLineSpacing = 1.2f;
constexpr u8 kKeepViewWindow = 1;
const RwV2d kPictureCentre = {0.5f, 0.4f};
constexpr tSpriteSize kPictureSize = {1.0f, 0.5f};

bool IsButton(const tEvent* event) {
  return event->type == kEventKey || event->type == kEventMouseButton || event->type == kEventPadButton;
}

cWgScreenFader* MakeFader(cScreen* screen) {
  cWgScreenFader* fader = new cWgScreenFader(tWgPlacement());
  screen->PrependChild(fader);
  fader->FadeIn(kEndShortFade);
  return fader;
}

void DropFader(cScreen* screen, cWgScreenFader* fader) {
  screen->RemoveChild(fader);
  delete fader;
}

void Pop() {
  if (gScreenStack != nullptr) {
    gScreenStack->Pop();
  }
}

const cString& PropertyOf(const cPropertyGroup* group, const char* key, const char* missing) {
  const cProperty* property = group != nullptr ? group->FindProperty(cString(key)) : nullptr;
  if (property == nullptr) {
    FatalInGroup(group, "%s", missing);
  }
  return property->GetValue();
}

}  // namespace

void LoadScreenTexts(cPropertyFile* file, const cString& baseName) {
  const u32 language = gGameOptions != nullptr ? gGameOptions->GetLanguage() : kLanguageNotChosen;
  const cString name = baseName + cString("_") + cString(MenuLanguageCode(language)) + cString(".txt");
  if (!file->Load(name)) {
    FatalError("No text file: %s", name.CStr());
  }
}

cScreen_End::cScreen_End(const cPropertyGroup* group) : mState(kEndFadingIn), mFader(nullptr), mPicture(0) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  mFader = MakeFader(this);
  for (u32 i = 0; i < kEndPictureCount; i++) {
    mPictures[i].SetSize(kPictureSize);
    mPictures[i].SetPosition(kPictureCentre, 1);
    mPictures[i].SetTexture(kEndPictures[i]);
  }
  mFont.Load(kMenuFontFolder, kMenuFontName, 0.0f);
  cPropertyFile file;
  LoadScreenTexts(&file, PropertyOf(group, "ENDTEXTS", "No ENDTEXTS property!"));
  const cPropertyGroup* texts = file.FindGroup(cString("TEXTS"));
  for (u32 i = 0; i < kEndTextCount && texts != nullptr; i++) {
    char key[16];
    snprintf(key, sizeof key, "MESSAGE%02u", i + 1);
    const cProperty* text = texts->FindProperty(cString(key));
    if (text != nullptr) {
      // A copy: the file's buffer goes with the file.
      mTexts[i].AssignCString(text->GetValue().CStr());
    }
  }
}

cScreen_End::~cScreen_End() {
  mFont.Release();
  DropFader(this, mFader);
}

u32 cScreen_End::EndingOffset() {
  if (gSaveProfiles == nullptr) {
    return 0;
  }
  const u32 complete = kEndCompleteCount + (gSaveProfiles->GetHard() != 0 ? 1 : 0);
  return gSaveProfiles->GetCurrent().count == complete ? kEndPictureCount : 0;
}

bool cScreen_End::OnEvent(const tEvent* event) {
  cScreen::OnEvent(event);
  switch (mState) {
    case kEndFadingIn:
      if (!mFader->IsFading()) {
        mState = kEndWaiting;
      }
      break;
    case kEndWaiting:
      if (IsButton(event)) {
        mState = kEndFadingOut;
        mFader->FadeOut(mPicture + 1 >= kEndPictureCount ? kEndLongFade : kEndShortFade);
      }
      break;
    case kEndFadingOut:
      if (mFader->IsFading()) {
        break;
      }
      if (mPicture + 1 >= kEndPictureCount) {
        mFader->SetHold(true);
        Pop();
      } else {
        mPicture++;
        mFader->FadeIn(kEndShortFade);
        mState = kEndFadingIn;
      }
      break;
    default:
      break;
  }
  return false;
}

void cScreen_End::Render() {
  mCamera.Clear(mTarget, kBlack, 1, 1, 1);
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mPictures[mPicture].Render();
  const tTargetSize size = mTarget.GetSize();
  const s32 w = static_cast<s32>(size.width);
  const s32 h = static_cast<s32>(size.height);
  const RwRect box = {w / 10, h * 64 / 100, w - w * 20 / 100, h - h * 64 / 100};
  const u32 text = EndingOffset() + mPicture;
  mFont.RenderInBox(&mCamera, mTexts[text].CStr(), box, kTextAlignLeft, kFontHeight * static_cast<f32>(h));
  mCamera.EndUpdate();
}

cScreen_Credits::cScreen_Credits(const cPropertyGroup* group)
    : mState(kEndFadingIn),
      mFader(nullptr),
      mLineSize(kCreditLineSize),
      mScroll(0.0f),
      mDone(0),
      mLines(nullptr),
      mLineCount(0) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  mFader = MakeFader(this);
  mFont.Load(kMenuFontFolder, kMenuFontName, 0.0f);
  mPicture.SetSize(kPictureSize);
  mPicture.SetPosition(kPictureCentre, 1);
  mPicture.SetTexture(kCreditPicture);
  cPropertyFile file;
  LoadScreenTexts(&file, PropertyOf(group, "CREDITLIST", "No CREDITTEXTS property!"));
  const cPropertyGroup* credits = file.FindGroup(cString("CREDITS"));
  const cProperty* list = credits != nullptr ? credits->FindProperty(cString("CREDITLIST")) : nullptr;
  cString inside;
  const u32 count = list != nullptr ? list->GetValue().FindArray(&inside, '[', ']') : 0;
  mLines = new cString[count > 0 ? count : 1];
  cString line;
  while (mLineCount < count && inside.SliceNextElement(&line)) {
    line.Trim();
    mLines[mLineCount++].AssignCString(line.CStr());
  }
}

cScreen_Credits::~cScreen_Credits() {
  cString::DeleteArray(mLines);
  mFont.Release();
  DropFader(this, mFader);
}

bool cScreen_Credits::OnEvent(const tEvent* event) {
  cScreen::OnEvent(event);
  switch (mState) {
    case kEndFadingIn:
      if (!mFader->IsFading()) {
        mState = kEndWaiting;
      }
      break;
    case kEndWaiting:
      if (IsButton(event) || mDone) {
        mState = kEndFadingOut;
        mFader->FadeOut(kEndLongFade);
      }
      break;
    case kEndFadingOut:
      if (!mFader->IsFading()) {
        mFader->SetHold(true);
        Pop();
      }
      break;
    default:
      break;
  }
  return false;
}

void cScreen_Credits::Render() {
  mCamera.Clear(mTarget, kBlack, 1, 1, 1);
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mPicture.Render();
  const tTargetSize size = mTarget.GetSize();
  const f32 height = static_cast<f32>(size.height);
  const f32 scale = height * mLineSize / kScreenLines;
  const f32 textHeight = static_cast<f32>(static_cast<s32>(scale));
  const s32 step = static_cast<s32>(kLineSpacing * scale);
  s32 y = static_cast<s32>(height + mScroll);
  for (u32 i = 0; i < mLineCount; i++) {
    const char* text = mLines[i].CStr();
    const bool heading = text[0] == '^';
    mFont.SetColour(heading ? kCreditHeadingColour : kWhite);
    const RwRect box = {0, y, static_cast<s32>(size.width), static_cast<s32>(textHeight)};
    mFont.RenderInBox(&mCamera, heading ? text + 1 : text, box, kTextAlignCentre, textHeight);
    y += step;
  }
  mCamera.EndUpdate();
  mScroll -= kCreditScrollStep * scale;
  if (static_cast<f32>(y) + scale < 0.0f) {
    mDone = 1;
  }
}

cScreen* MakeEndScreen(const cPropertyGroup* group) { return new cScreen_End(group); }

cScreen* MakeCreditsScreen(const cPropertyGroup* group) { return new cScreen_Credits(group); }
