// The base of every menu: a background picture, a title, selectable items and
// a footer, their texts taken from the owner screen's menu text file by the
// menu's name (NAME_TITLE, NAME_ITEM00.., NAME_FOOTER). Shown by linking the
// menu and its texts into the owner screen's children.
#pragma once

#include "game/frontend/menus/menu_item.h"
#include "game/frontend/menus/screen_menu.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"
#include "game/render/text/wg_text.h"

constexpr char kMenuTextureFolder[] = "data/menu/";
constexpr char kMenuCommonBackground[] = "data/menu/MENU_background";
// Text sizes for a 480-pixel-high menu.
constexpr f32 kMenuTitleSize = 40.0f;
constexpr f32 kMenuItemSize = 35.0f;
constexpr f32 kMenuFooterSize = 18.0f;
constexpr RwRGBA kMenuTitleColour = {0, 190, 255, 255};
// Pad buttons the menus answer.
constexpr u32 kPadLeft = 0x01;
constexpr u32 kPadRight = 0x02;
constexpr u32 kPadUp = 0x04;
constexpr u32 kPadDown = 0x08;
constexpr u32 kPadStart = 0x10;
constexpr u32 kPadBack = 0x40;
constexpr u32 kPadSelect = 0x80;

class cWgMenu_Menu : public cWgWidget {
 public:
  // The background "data/menu/<name>_background", or the common one when
  // that is missing; the texts from the group "text" of the owner's text
  // file (a missing group or key is fatal); the first enabled item current.
  // menuPlacement is the background's rectangle, textPlacement the texts'.
  cWgMenu_Menu(cScreen_Menu* owner, const char* name, u32 itemCount, const tWgPlacement& menuPlacement,
               const tWgPlacement& textPlacement);
  ~cWgMenu_Menu() override;

  cWgMenu_Menu(const cWgMenu_Menu&) = delete;
  cWgMenu_Menu& operator=(const cWgMenu_Menu&) = delete;

  // Presses only: Escape or pad back OnBack, up and down (pad 4 and 8) Prev
  // and Next, Enter or pad select the current item. Always false, so that
  // the screen's tree sees the event too.
  bool OnEvent(const tEvent* event) override;
  // The texts laid out when needed, then the background.
  void Render() override;
  virtual void OnSelect(u32 item) = 0;
  virtual void OnBack() = 0;
  // The next (previous) enabled item made current, with the move sound; no
  // wrap at the ends.
  virtual void Next();
  virtual void Prev();
  // Title, items and footer placed in the text rectangle.
  using cWgWidget::Layout;
  virtual void Layout();
  // Unlinks footer, items, title and menu from the owner; nothing when the
  // menu is not shown. The caller re-lays the stack out.
  virtual void Hide();
  // Appends the menu, title, items and footer to the owner's children.
  virtual void Show();
  // Only an enabled item within the menu becomes current.
  virtual void SetCurrent(u32 item);

  // Disabled items are drawn faded and skipped; disabling the current item
  // moves the selection to the first enabled one, none when none is.
  void EnableItem(u32 item, bool enabled);
  bool IsShown() const { return GetOwner() != nullptr; }
  u32 GetCurrent() const { return mCurrent; }
  u32 GetItemCount() const { return mItemCount; }
  cWgMenuItem* GetItem(u32 item) const { return mItems[item]; }
  cWgText& GetTitle() { return mTitle; }
  cWgText& GetFooter() { return mFooter; }
  cScreen_Menu* GetOwnerScreen() const { return mOwner; }
  cSprite2D& GetBackground() { return mBackground; }

 protected:
  // The select step: with items, only an enabled current item is selected.
  void Select();
  // The background's texture, or the common one when it is missing.
  void SetBackground(const char* texture);
  // The title 0.1 from the top and the footer 0.1 from the bottom, centred.
  void LayoutTitleAndFooter();
  // The text of key name + suffix in the group; fatal when missing.
  static cString MenuText(const cPropertyGroup& group, const char* name, const char* suffix);

  cSprite2D mBackground;
  u32 mBackgroundSet;
  cCamera mCamera;
  cScreen_Menu* mOwner;
  cWgMenuItem** mItems;  // owned
  u32 mItemCount;
  u8 mRelayoutNeeded;
  u32 mCurrent;
  cWgText mTitle;
  cWgText mFooter;
  f32 mTitleSize;
  f32 mItemSize;
  f32 mFooterSize;

 private:
  void SelectFirstEnabled();
};

// The y of item i of n in a menu, as a fraction of the text rectangle.
f32 MenuItemY(u32 item, u32 count);
