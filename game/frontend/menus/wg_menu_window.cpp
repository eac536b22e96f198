// The window menu: its own input and its row of items.
#include "game/frontend/menus/wg_menu_window.h"

#include "game/app/event.h"
#include "game/app/input/key_codes.h"

namespace {

constexpr RwRGBA kWindowTitleColour = {255, 255, 255, 255};
constexpr f32 kRowY = 0.7f;
constexpr f32 kTwoItemsX[2] = {0.15f, 0.7f};
constexpr f32 kThreeItemsX[3] = {0.03f, 0.38f, 0.7f};
constexpr f32 kManyItemsLeft = 0.14f;

}  // namespace

f32 MenuWindowItemX(u32 item, u32 count) {
  switch (count) {
    case 1:
      return 0.0f;
    case 2:
      return kTwoItemsX[item < 2 ? item : 1];
    case 3:
      return kThreeItemsX[item < 3 ? item : 2];
    default:
      return static_cast<f32>(item) / static_cast<f32>(count) + kManyItemsLeft;
  }
}

cWgMenu_Window::cWgMenu_Window(cScreen_Menu* owner, const char* name, u32 itemCount, const tWgPlacement& placement)
    : cWgMenu_Menu(owner, name, itemCount, placement, placement) {
  SetBackground(kMenuWindowBackground);
  mTitleSize = kMenuWindowTitleSize;
  mTitle.SetColour(kWindowTitleColour);
  mItemSize = kMenuWindowItemSize;
  mFooterSize = kMenuWindowFooterSize;
}

cWgMenu_Window::~cWgMenu_Window() {}

bool cWgMenu_Window::OnEvent(const tEvent* event) {
  if (event->type == kEventKey && event->key.pressed) {
    switch (event->key.keyCode) {
      case kKeyEsc:
        OnBack();
        break;
      case kKeyLeft:
        Prev();
        break;
      case kKeyRight:
        Next();
        break;
      case kKeyEnter:
        OnSelect(mCurrent);
        break;
      default:
        break;
    }
  } else if (event->type == kEventPadButton && event->padButton.pressed) {
    switch (event->padButton.buttonMask) {
      case kPadLeft:
        Prev();
        break;
      case kPadRight:
        Next();
        break;
      case kPadBack:
        OnBack();
        break;
      case kPadSelect:
        OnSelect(mCurrent);
        break;
      default:
        break;
    }
  }
  return true;
}

void cWgMenu_Window::Layout() {
  LayoutTitleAndFooter();
  for (u32 i = 0; i < mItemCount; i++) {
    const bool single = mItemCount == 1;
    mItems[i]->SetTextHeight(mItemSize);
    mItems[i]->SetPlacement(MenuWindowItemX(i, mItemCount), kRowY, 1, 0, 0, single ? 1 : 0, 0);
  }
}
