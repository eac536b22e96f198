// The extras' page viewers.
#include "game/frontend/extras/wg_menu_pages.h"

#include <cstdio>

#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/menus/wg_menu.h"

namespace {

constexpr char kPagesTag[] = "cWgMenu_Menu";
constexpr char kTextTag[] = "cWgMenuText";
constexpr u8 kKeepViewWindow = 1;
constexpr f32 kFooterY = 0.1f;
const tWgPlacement kPageTextPlacement = tWgPlacement::Fractions(0.3f, 0.1f, 0.6f, 0.8f);

const cPropertyGroup* TextGroup(const cScreen_Menu* owner, const char* tag) {
  const cPropertyGroup* group =
      owner->GetTexts() != nullptr ? owner->GetTexts()->FindGroup(cString(kMenuTextGroup)) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(tag, owner->GetTexts(), kMenuTextGroup);
  }
  return group;
}

void Relayout() {
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
}

}  // namespace

cWgMenuPages::cWgMenuPages(cScreen_Menu* owner, const char* name)
    : cWgWidget(tWgPlacement()),
      mBackground(tSpriteSize{1.0f, 1.0f}),
      mPage(0),
      mName(name),
      mRelayoutNeeded(1),
      mOwner(owner),
      mFooter(owner->GetFont(), tWgPlacement()) {
  LoadPicture(0);
  const cString key = mName + cString("_FOOTER");
  const cPropertyGroup* texts = TextGroup(owner, kPagesTag);
  const cProperty* footer = texts->FindProperty(key);
  if (footer == nullptr) {
    FatalPropertyNotFound(kPagesTag, texts, key.CStr());
  }
  mFooter.SetText(footer->GetValue());
  mFooter.SetTextHeight(kPagesFooterSize);
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

cWgMenuPages::~cWgMenuPages() { cWgMenuPages::Hide(); }

bool cWgMenuPages::LoadPicture(u32 page) {
  char texture[128];
  if (page == 0) {
    snprintf(texture, sizeof texture, "%s%s_background", kMenuTextureFolder, mName.CStr());
  } else {
    snprintf(texture, sizeof texture, "%s%s%02u_background", kMenuTextureFolder, mName.CStr(), page);
  }
  mBackground.SetTexture(texture);
  return mBackground.GetTexture() != nullptr;
}

bool cWgMenuPages::OnEvent(const tEvent* event) {
  u32 code = 0;
  if (event->type == kEventKey && event->key.pressed) {
    code = event->key.keyCode;
  } else if (event->type == kEventPadButton && event->padButton.pressed) {
    const u32 mask = event->padButton.buttonMask;
    code = mask == kPadLeft ? kKeyLeft : mask == kPadRight ? kKeyRight : mask == kPadBack ? kKeyEsc : 0;
  }
  if (code == kKeyEsc) {
    Hide();
    Relayout();
  } else if (code == kKeyLeft) {
    PrevPage();
  } else if (code == kKeyRight) {
    NextPage();
  }
  return true;
}

void cWgMenuPages::NextPage() {
  mPage++;
  if (LoadPicture(mPage)) {
    mOwner->GetMoveSound().Play();
    return;
  }
  mPage--;
  LoadPicture(mPage);
}

void cWgMenuPages::PrevPage() {
  if (mPage == 0) {
    return;
  }
  mPage--;
  mOwner->GetMoveSound().Play();
  LoadPicture(mPage);
}

void cWgMenuPages::Show() {
  mOwner->AddWidget(this);
  mOwner->AddWidget(&mFooter);
  mRelayoutNeeded = 1;
  Relayout();
  if (mPage != 0) {
    mPage = 0;
    LoadPicture(0);
  }
}

void cWgMenuPages::Hide() {
  if (!IsShown()) {
    return;
  }
  mOwner->RemoveChild(&mFooter);
  mOwner->RemoveChild(this);
}

// Placing scales a text's height to the screen, so each layout (one per
// showing) starts again from the unscaled height.
void cWgMenuPages::Layout() {
  mFooter.SetTextHeight(kPagesFooterSize);
  mFooter.SetPlacement(0.0f, kFooterY, 1, 0, 1, 1, 0);
}

void cWgMenuPages::Render() {
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

cWgMenuText::cWgMenuText(cScreen_Menu* owner, const char* name)
    : cWgMenuPages(owner, name), mText(owner->GetFont(), kPageTextPlacement) {
  mText.SetTextHeight(kPageTextSize);
  LoadFirstPage();
}

cWgMenuText::~cWgMenuText() { cWgMenuText::Hide(); }

const cProperty* cWgMenuText::PageText(u32 page) const {
  char suffix[16];
  snprintf(suffix, sizeof suffix, "_TEXT%02u", page);
  return TextGroup(mOwner, kTextTag)->FindProperty(mName + cString(suffix));
}

void cWgMenuText::LoadFirstPage() {
  mPage = 0;
  const cProperty* text = PageText(0);
  if (text == nullptr) {
    FatalPropertyNotFound(kTextTag, TextGroup(mOwner, kTextTag), (mName + cString("_TEXT00")).CStr());
  }
  mText.SetText(text->GetValue());
}

bool cWgMenuText::OnEvent(const tEvent* event) {
  cWgMenuPages::OnEvent(event);
  return true;
}

void cWgMenuText::NextPage() {
  const cProperty* text = PageText(mPage + 1);
  if (text == nullptr) {
    return;
  }
  mPage++;
  mOwner->GetMoveSound().Play();
  mText.SetText(text->GetValue());
}

void cWgMenuText::PrevPage() {
  if (mPage == 0) {
    return;
  }
  const cProperty* text = PageText(mPage - 1);
  if (text == nullptr) {
    return;
  }
  mPage--;
  mOwner->GetMoveSound().Play();
  mText.SetText(text->GetValue());
}

void cWgMenuText::Show() {
  mOwner->AddWidget(this);
  mOwner->AddWidget(&mText);
  mOwner->AddWidget(&mFooter);
  mRelayoutNeeded = 1;
  Relayout();
  if (mPage != 0) {
    LoadFirstPage();
  }
}

void cWgMenuText::Hide() {
  if (!IsShown()) {
    return;
  }
  mOwner->RemoveChild(&mText);
  mOwner->RemoveChild(&mFooter);
  mOwner->RemoveChild(this);
}

void cWgMenuText::Layout() {
  cWgMenuPages::Layout();
  mText.SetTextHeight(kPageTextSize);
  mText.SetPlacement(0.0f, 0.0f, 1, 0, 0, 1, 0);
}
