// The mission list of the info view: the level's mission lines in file
// order, where the objective slots show objective 0 first and then the
// objectives reached, in the order reached.
#pragma once

#include <vector>

#include "game/foundation/string.h"
#include "game/frontend/hud/hud_widget.h"
#include "game/render/text/font.h"

constexpr const char* kMissionOpenTexture = "data/textures/mission_no";
constexpr const char* kMissionDoneTexture = "data/textures/mission_yes";

// One row of the list as drawn: the text and the icon before it (-1 none,
// 0 the first icon, 1 the later icon).
struct tMissionRow {
  const cString* text;
  s32 icon;
};

class cWgMissionList : public cWgHudWidget {
 public:
  explicit cWgMissionList(const tWgPlacement& placement);
  ~cWgMissionList() override;

  // Keeps the font (not owned), shows objective 0 and builds the icons.
  void SetIcons(cFont* font, const char* firstIcon, const char* laterIcon);
  // A mission line: "@" and two digits make an objective whose message
  // is their number less one; any other line is plain.
  void AddLine(const cString& line);
  // Shows the objective unless it is shown already.
  void AddObjective(u32 objective);
  // Asks the world to show the objective's message; nothing for an
  // objective that no line made.
  void ShowMessage(cHudWorld* world, u32 objective) const;
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  bool IsVisible() const { return mVisible != 0; }
  void Render() override;

  // The rows a render draws, in order.
  std::vector<tMissionRow> GetRows() const;
  u32 GetLineCount() const { return static_cast<u32>(mLines.size()); }
  const cString& GetLine(u32 index) const { return mLines[index]; }
  u32 GetObjectiveCount() const { return static_cast<u32>(mObjectiveMessages.size()); }
  s32 GetObjectiveMessage(u32 objective) const { return mObjectiveMessages[objective]; }

 private:
  u8 mVisible;
  cFont* mFont;
  std::vector<cString> mLines;
  std::vector<u8> mLineFlags;  // 1 objective line, 0 plain
  std::vector<s32> mObjectiveMessages;
  std::vector<u32> mShownObjectives;
  std::vector<u32> mObjectiveLines;
  cSprite2D* mFirstIcon;
  cSprite2D* mLaterIcon;
};
