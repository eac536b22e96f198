// cWgMissionList: objective lines parsed only as far as they reach.
#include "game/frontend/hud/wg_mission_list.h"

namespace {

constexpr s32 kListTop = 82;
constexpr s32 kRowHeight = 30;
constexpr s32 kObjectiveIndent = 10;
constexpr f32 kIconSize = 0.04f;
constexpr f32 kIconX = 0.00685f;
constexpr f32 kIconPerPixel = 0.002272f;
constexpr f32 kIconDrop = 0.016f;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

cWgMissionList::cWgMissionList(const tWgPlacement& placement)
    : cWgHudWidget(placement), mVisible(0), mFont(nullptr), mFirstIcon(nullptr), mLaterIcon(nullptr) {}

cWgMissionList::~cWgMissionList() {
  delete mFirstIcon;
  delete mLaterIcon;
}

void cWgMissionList::SetIcons(cFont* font, const char* firstIcon, const char* laterIcon) {
  mFont = font;
  AddObjective(0);
  if (mFirstIcon == nullptr) {
    mFirstIcon = new cSprite2D(tSpriteSize{kIconSize, kIconSize});
    mLaterIcon = new cSprite2D(tSpriteSize{kIconSize, kIconSize});
  }
  mFirstIcon->SetTexture(firstIcon);
  mLaterIcon->SetTexture(laterIcon);
}

void cWgMissionList::AddLine(const cString& line) {
  cString text;
  text.AssignSlice(line, 0, line.Length());
  text.StripQuotes();
  const char* data = text.Data();
  const u32 length = text.Length();
  if (length < 3 || data[0] != '@' || !IsDigit(data[1]) || !IsDigit(data[2])) {
    mLines.push_back(text);
    mLineFlags.push_back(0);
    return;
  }
  const s32 tens = data[1] & 0x0F;
  const s32 units = data[2] & 0x0F;
  mObjectiveMessages.push_back(10 * tens + units - 1);
  mObjectiveLines.push_back(static_cast<u32>(mLines.size()));
  // The line's own copy takes the blank; the level text stays as it was.
  cString own = text.Slice(2, length - 2);
  own.MakeUnique();
  own.SharedData()[0] = ' ';
  mLines.push_back(own);
  mLineFlags.push_back(1);
}

void cWgMissionList::AddObjective(u32 objective) {
  for (u32 shown : mShownObjectives) {
    if (shown == objective) {
      return;
    }
  }
  mShownObjectives.push_back(objective);
}

void cWgMissionList::ShowMessage(cHudWorld* world, u32 objective) const {
  // "@00" binds no message.
  if (world != nullptr && objective < mObjectiveMessages.size() && mObjectiveMessages[objective] >= 0) {
    world->ShowMessage(static_cast<u32>(mObjectiveMessages[objective]));
  }
}

std::vector<tMissionRow> cWgMissionList::GetRows() const {
  std::vector<tMissionRow> rows;
  u32 slot = 0;
  for (size_t i = 0; i < mLines.size(); i++) {
    if (mLineFlags[i] == 0) {
      rows.push_back(tMissionRow{&mLines[i], -1});
      continue;
    }
    if (slot >= mShownObjectives.size()) {
      continue;
    }
    // The slot shows the slot-th shown objective, whichever line this is.
    const u32 objective = mShownObjectives[slot];
    if (objective < mObjectiveLines.size()) {
      rows.push_back(tMissionRow{&mLines[mObjectiveLines[objective]], slot == 0 ? 0 : 1});
    }
    slot++;
  }
  return rows;
}

void cWgMissionList::Render() {
  if (!mVisible || mFont == nullptr || !BeginDraw()) {
    return;
  }
  const s32 w = PixelWidth();
  const s32 h = PixelHeight();
  s32 y = kListTop;
  for (const tMissionRow& row : GetRows()) {
    s32 x = 0;
    if (row.icon >= 0) {
      cSprite2D* icon = row.icon == 0 ? mFirstIcon : mLaterIcon;
      PlaceInWidthUnits(*icon, kIconX, static_cast<f32>(y) * kIconPerPixel + kIconDrop, kIconSize, kIconSize);
      icon->Render();
      mFont->SetColour(kHudWhite);
      x = kObjectiveIndent;
    }
    mFont->RenderInBox(&mCamera, row.text->CStr(), RwRect{x, y, w, h}, kTextAlignLeft, 0.0f);
    y += kRowHeight;
  }
  EndDraw();
}
