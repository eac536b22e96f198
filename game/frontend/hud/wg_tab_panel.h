// The info view's framed panel with its two tabs (missions and map) and
// the main mission text.
#pragma once

#include "game/foundation/string.h"
#include "game/frontend/hud/hud_widget.h"
#include "game/frontend/hud/wg_border.h"
#include "game/render/text/font.h"

enum eHudTab : u8 {
  kHudTabMissions = 0,
  kHudTabMap = 1,
};

class cWgTabPanel : public cWgHudWidget {
 public:
  explicit cWgTabPanel(const tWgPlacement& placement);
  ~cWgTabPanel() override {}

  // Both kept, not owned.
  void SetText(cFont* font, const cString* text);
  void SetOpen(bool open) { mOpen = open ? 1 : 0; }
  bool IsOpen() const { return mOpen != 0; }
  void SetTab(u8 tab) { mTab = tab == kHudTabMissions ? kHudTabMissions : kHudTabMap; }
  u8 GetTab() const { return mTab; }
  void Render() override;

  // The sprites of the last render: the missions tab, then the map tab.
  const cSprite2D* GetTabInUse(u32 index) const { return mInUse[index]; }

 private:
  cSprite2D* mInUse[2];
  cSprite2D mTabs[4];  // missions active, missions idle, map active, map idle
  tWgBorder mBorder;
  u8 mOpen;
  u8 mTab;
  cFont* mFont;
  const cString* mText;
  // The pixel size the tabs and border were last placed for.
  s32 mPlacedWidth;
  s32 mPlacedHeight;
};
