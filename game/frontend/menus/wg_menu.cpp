// The menu base: texts, navigation, selection, layout and the background.
#include "game/frontend/menus/wg_menu.h"

#include <cstdio>
#include <cstring>

#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "game/foundation/fatal_error.h"

namespace {

constexpr char kMenuTag[] = "cWgMenu_Menu";
constexpr char kBackgroundSuffix[] = "_background";
constexpr size_t kMenuKeySize = 128;
constexpr u8 kKeepViewWindow = 1;
// Text rows, as fractions of the text rectangle.
constexpr f32 kTitleY = 0.1f;
constexpr f32 kFooterY = 0.1f;  // from the bottom
constexpr f32 kSingleItemY = 0.7f;
constexpr f32 kFirstOfTwoY = 0.27f;
constexpr f32 kSecondOfTwoY = 0.40f;
constexpr f32 kItemSpan = 0.62f;
constexpr f32 kItemTop = 0.1f;

}  // namespace

f32 MenuItemY(u32 item, u32 count) {
  if (count == 1) {
    return kSingleItemY;
  }
  if (count == 2) {
    return item == 0 ? kFirstOfTwoY : kSecondOfTwoY;
  }
  return static_cast<f32>(item + 1) * kItemSpan / static_cast<f32>(count) + kItemTop;
}

cWgMenu_Menu::cWgMenu_Menu(cScreen_Menu* owner, const char* name, u32 itemCount, const tWgPlacement& menuPlacement,
                           const tWgPlacement& textPlacement)
    : cWgWidget(menuPlacement),
      mBackground(tSpriteSize{1.0f, 1.0f}),
      mBackgroundSet(0),
      mOwner(owner),
      mItems(nullptr),
      mItemCount(itemCount),
      mRelayoutNeeded(1),
      mCurrent(0),
      mTitle(owner->GetFont(), textPlacement),
      mFooter(owner->GetFont(), textPlacement),
      mTitleSize(kMenuTitleSize),
      mItemSize(kMenuItemSize),
      mFooterSize(kMenuFooterSize) {
  char texture[kMenuKeySize];
  snprintf(texture, sizeof texture, "%s%s%s", kMenuTextureFolder, name, kBackgroundSuffix);
  SetBackground(texture);
  // The texts share the file's buffer; the group itself is not kept, as the
  // language menu replaces the file.
  const cPropertyGroup* group =
      owner->GetTexts() != nullptr ? owner->GetTexts()->FindGroup(cString(kMenuTextGroup)) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kMenuTag, owner->GetTexts(), kMenuTextGroup);
  }
  mTitle.SetText(MenuText(*group, name, "_TITLE"));
  mTitle.SetColour(kMenuTitleColour);
  mItems = new cWgMenuItem*[itemCount > 0 ? itemCount : 1];
  for (u32 i = 0; i < itemCount; i++) {
    char suffix[16];
    snprintf(suffix, sizeof suffix, "_ITEM%02u", i);
    mItems[i] = new cWgMenuItem(owner->GetFont(), textPlacement);
    mItems[i]->SetText(MenuText(*group, name, suffix));
  }
  SelectFirstEnabled();
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  mFooter.SetText(MenuText(*group, name, "_FOOTER"));
}

cWgMenu_Menu::~cWgMenu_Menu() {
  Hide();
  for (u32 i = 0; i < mItemCount; i++) {
    delete mItems[i];
  }
  delete[] mItems;
}

cString cWgMenu_Menu::MenuText(const cPropertyGroup& group, const char* name, const char* suffix) {
  char key[kMenuKeySize];
  snprintf(key, sizeof key, "%s%s", name, suffix);
  const cProperty* property = group.FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(kMenuTag, &group, key);
  }
  return property->GetValue();
}

void cWgMenu_Menu::SetBackground(const char* texture) {
  mBackground.SetTexture(texture);
  if (mBackground.GetTexture() == nullptr) {
    mBackground.SetTexture(kMenuCommonBackground);
  }
  mBackgroundSet = 1;
}

void cWgMenu_Menu::SelectFirstEnabled() {
  mCurrent = 0;
  for (u32 i = 0; i < mItemCount; i++) {
    if (mItems[i]->IsEnabled()) {
      SetCurrent(i);
      return;
    }
  }
}

bool cWgMenu_Menu::OnEvent(const tEvent* event) {
  if (event->type == kEventKey && event->key.pressed) {
    switch (event->key.keyCode) {
      case kKeyEsc:
        OnBack();
        break;
      case kKeyUp:
        Prev();
        break;
      case kKeyDown:
        Next();
        break;
      case kKeyEnter:
        Select();
        break;
      default:
        break;
    }
  } else if (event->type == kEventPadButton && event->padButton.pressed) {
    switch (event->padButton.buttonMask) {
      case kPadUp:
        Prev();
        break;
      case kPadDown:
        Next();
        break;
      case kPadBack:
        OnBack();
        break;
      case kPadSelect:
        Select();
        break;
      default:
        break;
    }
  }
  return false;
}

void cWgMenu_Menu::Select() {
  if (mItemCount != 0 && !mItems[mCurrent]->IsEnabled()) {
    return;
  }
  mOwner->GetSelectSound().Play();
  OnSelect(mCurrent);
}

void cWgMenu_Menu::Next() {
  for (u32 i = mCurrent + 1; i < mItemCount; i++) {
    if (mItems[i]->IsEnabled()) {
      SetCurrent(i);
      mOwner->GetMoveSound().Play();
      return;
    }
  }
}

void cWgMenu_Menu::Prev() {
  for (u32 i = mCurrent; i > 0; i--) {
    if (mItems[i - 1]->IsEnabled()) {
      SetCurrent(i - 1);
      mOwner->GetMoveSound().Play();
      return;
    }
  }
}

void cWgMenu_Menu::SetCurrent(u32 item) {
  if (item >= mItemCount || !mItems[item]->IsEnabled()) {
    return;
  }
  mItems[mCurrent]->SetSelected(false);
  mCurrent = item;
  mItems[mCurrent]->SetSelected(true);
}

void cWgMenu_Menu::EnableItem(u32 item, bool enabled) {
  if (item >= mItemCount) {
    return;
  }
  mItems[item]->SetEnabled(enabled);
  if (!enabled && item == mCurrent) {
    SelectFirstEnabled();
  }
}

void cWgMenu_Menu::Layout() {
  LayoutTitleAndFooter();
  for (u32 i = 0; i < mItemCount; i++) {
    mItems[i]->SetTextHeight(mItemSize);
    mItems[i]->SetPlacement(0.0f, MenuItemY(i, mItemCount), 1, 0, 0, 1, 0);
  }
}

void cWgMenu_Menu::LayoutTitleAndFooter() {
  mTitle.SetTextHeight(mTitleSize);
  mTitle.SetPlacement(0.0f, kTitleY, 1, 0, 0, 1, 0);
  mFooter.SetTextHeight(mFooterSize);
  mFooter.SetPlacement(0.0f, kFooterY, 1, 0, 1, 1, 0);
}

void cWgMenu_Menu::Render() {
  if (mRelayoutNeeded) {
    mRelayoutNeeded = 0;
    Layout();
  }
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mBackground.Render();
  mCamera.EndUpdate();
}

void cWgMenu_Menu::Show() {
  mOwner->AddWidget(this);
  mOwner->AddWidget(&mTitle);
  for (u32 i = 0; i < mItemCount; i++) {
    mOwner->AddWidget(mItems[i]);
  }
  mOwner->AddWidget(&mFooter);
  // The texts are placed again in the rectangles of the next layout.
  mRelayoutNeeded = 1;
}

void cWgMenu_Menu::Hide() {
  if (!IsShown()) {
    return;
  }
  mOwner->RemoveChild(&mFooter);
  for (u32 i = mItemCount; i > 0; i--) {
    mOwner->RemoveChild(mItems[i - 1]);
  }
  mOwner->RemoveChild(&mTitle);
  mOwner->RemoveChild(this);
}
