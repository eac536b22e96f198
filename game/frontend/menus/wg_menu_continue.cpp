// The profile lists and the delete window.
#include "game/frontend/menus/wg_menu_continue.h"

#include <cstdio>

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/screens/screen_main_menu.h"

namespace {

constexpr char kLineTag[] = "cWgMenu_Continue::ConstInit";
const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
const tWgPlacement kWindowPlacement = tWgPlacement::Fractions(0.15f, 0.2f, 0.7f, 0.6f);
constexpr u32 kLevelsToComplete = 9;
constexpr u32 kLevelsToCompleteHard = 10;
constexpr f32 kFirstLineY = 0.2f;
constexpr f32 kLineStep = 0.06f;
constexpr u32 kWindowItems = 3;

cString Word(const cPropertyGroup& group, const char* format, u32 index) {
  char key[32];
  snprintf(key, sizeof key, format, index);
  const cProperty* property = group.FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(kLineTag, &group, key);
  }
  return property->GetValue();
}

}  // namespace

cString ProfileLine(const cPropertyFile* texts, const tProfileSlot& slot, u32 hard) {
  if (slot.name[0] == '\0') {
    return cString("");
  }
  const cPropertyGroup* group = texts != nullptr ? texts->FindGroup(cString(kMenuTextGroup)) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kLineTag, texts, kMenuTextGroup);
  }
  const u32 divisor = hard != 0 ? kLevelsToCompleteHard : kLevelsToComplete;
  char figures[64];
  snprintf(figures, sizeof figures, ", %u%%, %u:%u ", slot.count * 100 / divisor, slot.lastTime / 60,
           slot.lastTime % 60);
  char name[kProfileNameSize + 1] = {};
  snprintf(name, sizeof name, "%.*s", static_cast<int>(kProfileNameSize), slot.name);
  return cString(name) + cString(", ") + Word(*group, "LEVEL_ITEM%02u", slot.levelIndex) + cString(", ") +
         Word(*group, "DIFFICULTY_ITEM%02u", slot.difficulty) + cString(figures);
}

cWgMenu_Continue::cWgMenu_Continue(cScreen_MainMenu* owner) : cWgMenu_Continue(owner, "CONTINUE") {}

cWgMenu_Continue::cWgMenu_Continue(cScreen_MainMenu* owner, const char* name)
    : cWgMenu_Menu(owner, name, 0, tWgPlacement(), kTextPlacement), mLines{}, mScreen(owner) {
  InitItems();
}

cWgMenu_Continue::~cWgMenu_Continue() {
  Hide();
  for (cWgText* line : mLines) {
    delete line;
  }
}

void cWgMenu_Continue::InitItems() {
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    mLines[i] = new cWgText(mOwner->GetFont(), kTextPlacement);
    mLines[i]->SetTextHeight(kSlotTextSize);
    ConstInit(i);
  }
  SetCurrent(0);
}

void cWgMenu_Continue::ConstInit(u32 slot) {
  mLines[slot]->SetText(ProfileLine(mOwner->GetTexts(), gSaveProfiles->GetSlot(slot), gSaveProfiles->GetHard()));
}

bool cWgMenu_Continue::OnEvent(const tEvent* event) {
  cWgMenu_Menu::OnEvent(event);
  return false;
}

void cWgMenu_Continue::OnSelect(u32 slot) {
  if (slot >= kProfileSlotCount) {
    return;
  }
  gSaveProfiles->SetCurrentSlot(slot);
  gSaveProfiles->SetHard(gSaveProfiles->GetSlot(slot).difficulty);
  mScreen->StartLevel(gSaveProfiles->GetSlot(slot).levelIndex);
}

void cWgMenu_Continue::OnBack() { mScreen->SwitchMenu(kMenuMain); }

void cWgMenu_Continue::Next() {
  const u32 used = gSaveProfiles->GetUsedCount();
  if (used == 0) {
    return;
  }
  SetCurrent((mCurrent + 1) % used);
  mOwner->GetMoveSound().Play();
}

void cWgMenu_Continue::Prev() {
  const u32 used = gSaveProfiles->GetUsedCount();
  if (used == 0) {
    return;
  }
  SetCurrent(mCurrent == 0 ? used - 1 : mCurrent - 1);
  mOwner->GetMoveSound().Play();
}

void cWgMenu_Continue::SetCurrent(u32 slot) {
  if (slot >= kProfileSlotCount) {
    return;
  }
  mLines[mCurrent]->SetColour(kSlotColour);
  mCurrent = slot;
  mLines[mCurrent]->SetColour(kSlotSelectedColour);
}

void cWgMenu_Continue::Layout() {
  cWgMenu_Menu::Layout();
  // Placing scales the height to the screen: each layout starts again from
  // the unscaled one, or every visit of the menu would grow its lines.
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    mLines[i]->SetTextHeight(kSlotTextSize);
    mLines[i]->SetPlacement(0.0f, kFirstLineY + kLineStep * static_cast<f32>(i + 1), 1, 0, 0, 1, 0);
  }
}

void cWgMenu_Continue::Show() {
  cWgMenu_Menu::Show();
  for (cWgText* line : mLines) {
    mOwner->AddWidget(line);
  }
}

void cWgMenu_Continue::Hide() {
  for (cWgText* line : mLines) {
    if (line != nullptr && line->GetOwner() != nullptr) {
      mOwner->RemoveChild(line);
    }
  }
  cWgMenu_Menu::Hide();
}

cWgMenu_Delete::cWgMenu_Delete(cScreen_MainMenu* owner) : cWgMenu_Continue(owner, "DELETE_MENU") {}

cWgMenu_Delete::~cWgMenu_Delete() {}

bool cWgMenu_Delete::OnEvent(const tEvent* event) {
  cWgMenu_Menu::OnEvent(event);
  return event->type == kEventKey || event->type == kEventPadButton;
}

void cWgMenu_Delete::OnSelect(u32 slot) {
  if (slot >= kProfileSlotCount) {
    return;
  }
  gSaveProfiles->SetOverwritePending(true);
  gSaveProfiles->SetCurrentSlot(slot);
  mScreen->SetNewGame(true);
  Hide();
}

void cWgMenu_Delete::OnBack() {
  Hide();
  mScreen->SwitchMenu(kMenuMain);
}

cWgMenu_DeleteWindow::cWgMenu_DeleteWindow(cScreen_MainMenu* owner)
    : cWgMenu_Window(owner, "DELETE_WINDOW", kWindowItems, kWindowPlacement), mScreen(owner) {}

cWgMenu_DeleteWindow::~cWgMenu_DeleteWindow() {}

void cWgMenu_DeleteWindow::OnSelect(u32 item) {
  switch (item) {
    case 0:
      Hide();
      if (gScreenStack != nullptr) {
        gScreenStack->Relayout();
      }
      break;
    case 1:
      Hide();
      if (mScreen->GetDeleteMenu() == nullptr) {
        mScreen->SetDeleteMenu(new cWgMenu_Delete(mScreen));
      }
      mScreen->GetDeleteMenu()->Show();
      if (gScreenStack != nullptr) {
        gScreenStack->Relayout();
      }
      break;
    case 2:
      // Played without a profile: the level's completion credits nobody.
      gSaveProfiles->ClearCurrentSlot();
      mScreen->StartLevel(0);
      break;
    default:
      break;
  }
}
