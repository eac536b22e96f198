// Full-screen page viewers of the extras: cWgMenuPages turns through the
// pictures NAME_background, NAME01_background, ...; cWgMenuText through the
// texts NAME_TEXT00, NAME_TEXT01, ... over NAME_background. Left and right
// turn the pages, Escape closes; a viewer always opens on its first page.
#pragma once

#include "game/frontend/menus/screen_menu.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"
#include "game/render/text/wg_text.h"

constexpr f32 kPagesFooterSize = 20.0f;
constexpr f32 kPageTextSize = 25.0f;

class cWgMenuPages : public cWgWidget {
 public:
  // Page 0's picture; the footer NAME_FOOTER of the owner's texts (fatal
  // when missing).
  cWgMenuPages(cScreen_Menu* owner, const char* name);
  ~cWgMenuPages() override;

  cWgMenuPages(const cWgMenuPages&) = delete;
  cWgMenuPages& operator=(const cWgMenuPages&) = delete;

  // Escape (pad back) closes, left and right turn. Takes every event.
  bool OnEvent(const tEvent* event) override;
  void Render() override;
  // The next page with the move sound; on the last page nothing happens.
  virtual void NextPage();
  // The previous page with the move sound; nothing on page 0.
  virtual void PrevPage();
  virtual void Hide();
  using cWgWidget::Layout;
  virtual void Layout();
  // Linked into the owner, back on page 0.
  virtual void Show();

  bool IsShown() const { return GetOwner() != nullptr; }
  u32 GetPage() const { return mPage; }
  cWgText& GetFooter() { return mFooter; }

 protected:
  // The texture of the page's picture; false when it does not exist.
  bool LoadPicture(u32 page);

  cSprite2D mBackground;
  cCamera mCamera;
  u32 mPage;
  cString mName;
  u8 mRelayoutNeeded;
  cScreen_Menu* mOwner;
  cWgText mFooter;
};

class cWgMenuText : public cWgMenuPages {
 public:
  cWgMenuText(cScreen_Menu* owner, const char* name);
  ~cWgMenuText() override;

  bool OnEvent(const tEvent* event) override;
  void NextPage() override;
  void PrevPage() override;
  void Hide() override;
  void Layout() override;
  void Show() override;

  // Page 0's text (fatal when missing).
  void LoadFirstPage();
  const cString& GetPageText() const { return mText.GetText(); }
  const cWgText& GetPageTextWidget() const { return mText; }

 private:
  // The text of the page, null when missing.
  const cProperty* PageText(u32 page) const;

  cWgText mText;
};
