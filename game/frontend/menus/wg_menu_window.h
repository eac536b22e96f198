// A menu in a framed window with its items side by side, for questions such
// as quitting or deleting a profile. It takes every event it is offered.
#pragma once

#include "game/frontend/menus/wg_menu.h"

constexpr char kMenuWindowBackground[] = "data/menu/window_background";
constexpr f32 kMenuWindowTitleSize = 35.0f;
constexpr f32 kMenuWindowItemSize = 50.0f;
constexpr f32 kMenuWindowFooterSize = 35.0f;

class cWgMenu_Window : public cWgMenu_Menu {
 public:
  // The placement is both the window's and its texts' rectangle.
  cWgMenu_Window(cScreen_Menu* owner, const char* name, u32 itemCount, const tWgPlacement& placement);
  ~cWgMenu_Window() override;

  // Presses only: Escape or pad back OnBack, left and right (pad 1 and 2)
  // Prev and Next, Enter or pad select OnSelect of the current item at once
  // (no sound, enabled or not). Always true.
  bool OnEvent(const tEvent* event) override;
  void OnSelect(u32) override {}
  void OnBack() override {}
  // Title and footer as the base has them; the items on one row.
  void Layout() override;
};

// The left edge of item i of n in a window's row, as a fraction of its
// width (the centre for a single item).
f32 MenuWindowItemX(u32 item, u32 count);
