// The new game's name entry.
#include "game/frontend/menus/wg_menu_new_game.h"

#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "game/app/screens/screen_stack.h"
#include "game/frontend/menus/wg_menu_continue.h"
#include "game/frontend/screens/screen_main_menu.h"

namespace {

const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
constexpr f32 kGridCentreX = 0.6f;
constexpr f32 kGridTop = 0.4f;
constexpr f32 kNameY = 0.7f;
constexpr u8 kKeepViewWindow = 1;
constexpr RwRGBA kCellColour = {255, 255, 255, 255};
constexpr RwRGBA kCellSelectedColour = {0, 255, 0, 255};

void Colour(cSprite2D* sprite, const RwRGBA& colour) {
  sprite->SetColour(colour.red, colour.green, colour.blue, colour.alpha);
}

}  // namespace

cString NameCellName(u32 cell) {
  if (cell >= kNameGridCells - 2) {
    return cString(cell == kNameGridCells - 2 ? "bsp" : "end");
  }
  char c;
  if (cell < 10) {
    c = static_cast<char>('0' + cell);
  } else if (cell < 36) {
    c = static_cast<char>('A' + cell - 10);
  } else {
    c = cell == 36 ? '!' : '.';
  }
  if (c == '.') {
    return cString("dot");
  }
  const char name[2] = {c, '\0'};
  return cString(name);
}

cWgMenu_NewGame::cWgMenu_NewGame(cScreen_MainMenu* owner)
    : cWgMenu_Menu(owner, "NEWGAME", 0, tWgPlacement(), kTextPlacement),
      mLetters(new cSprite2D[kNameLetterCount]),
      mRow(0),
      mColumn(0),
      mLetterCount(0),
      mScreen(owner),
      mName{},
      mNameReady(0) {
  for (u32 i = 0; i < kNameGridCells; i++) {
    mCellNames[i] = NameCellName(i);
    const u32 row = i / kNameGridColumns;
    const u32 column = i % kNameGridColumns;
    mCells[i].SetSize(tSpriteSize{kNameCellSize, kNameCellSize});
    mCells[i].SetPosition(RwV2d{kGridCentreX + (static_cast<f32>(column) - 5.0f) * kNameCellSize,
                                kGridTop + static_cast<f32>(row) * kNameCellSize},
                          0);
    mCells[i].SetTexture((cString(kNameCellFolder) + mCellNames[i]).CStr());
  }
  LayoutName();
  SelectCell(0, 0);
}

cWgMenu_NewGame::~cWgMenu_NewGame() { delete[] mLetters; }

void cWgMenu_NewGame::OnBack() { mScreen->SwitchMenu(kMenuMain); }

void cWgMenu_NewGame::SelectCell(u32 row, u32 column) {
  Colour(&mCells[mRow * kNameGridColumns + mColumn], kCellColour);
  mRow = row % kNameGridRows;
  mColumn = column % kNameGridColumns;
  Colour(&mCells[mRow * kNameGridColumns + mColumn], kCellSelectedColour);
  mOwner->GetMoveSound().Play();
}

void cWgMenu_NewGame::LayoutName() {
  const f32 half = static_cast<f32>(mLetterCount) / 2.0f;
  for (u32 i = 0; i < mLetterCount; i++) {
    mLetters[i].SetSize(tSpriteSize{kNameCellSize, kNameCellSize});
    mLetters[i].SetPosition(RwV2d{kGridCentreX + (static_cast<f32>(i) - half) * kNameCellSize, kNameY}, 0);
  }
}

void cWgMenu_NewGame::PressCell() {
  mOwner->GetSelectSound().Play();
  const cString& cell = mCellNames[mRow * kNameGridColumns + mColumn];
  if (cell == cString("end")) {
    if (mLetterCount > 0) {
      mScreen->SwitchMenu(kMenuDifficulty);
    }
    LayoutName();
  } else if (cell == cString("bsp")) {
    if (mLetterCount > 0) {
      mLetterCount--;
      mName[mLetterCount] = '\0';
      mLetters[mLetterCount].ReleaseTexture();
      LayoutName();
    }
  } else if (mLetterCount < kNameLetterCount) {
    mLetters[mLetterCount].SetTexture((cString(kNameCellFolder) + cell).CStr());
    Colour(&mLetters[mLetterCount], kCellSelectedColour);
    mName[mLetterCount] = cell.CStr()[0] == 'd' ? '.' : cell.CStr()[0];
    mLetterCount++;
    mName[mLetterCount] = '\0';
    LayoutName();
  }
}

void cWgMenu_NewGame::OpenDeleteWindow() {
  if (mScreen->GetDeleteWindow() == nullptr) {
    mScreen->SetDeleteWindow(new cWgMenu_DeleteWindow(mScreen));
  }
  mScreen->GetDeleteWindow()->Show();
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
}

bool cWgMenu_NewGame::OnEvent(const tEvent* event) {
  if (event->type == kEventTick) {
    if (mNameReady) {
      if (gSaveProfiles->HasFreeSlot()) {
        mScreen->SetNewGame(true);
      } else {
        OpenDeleteWindow();
      }
      mNameReady = 0;
    }
    if (mScreen->IsNewGame()) {
      gSaveProfiles->NewProfile(mName);
      gSaveProfiles->Write();
      mScreen->SetNewGame(false);
      mScreen->StartLevel(0);
    }
    return false;
  }
  // The delete window and menu stand over the grid and take the keys.
  const cWgMenu_Menu* window = mScreen->GetDeleteWindow();
  const cWgMenu_Menu* list = mScreen->GetDeleteMenu();
  if ((window != nullptr && window->IsShown()) || (list != nullptr && list->IsShown())) {
    return false;
  }
  u32 code = 0;
  if (event->type == kEventKey && event->key.pressed) {
    code = event->key.keyCode;
  } else if (event->type == kEventPadButton && event->padButton.pressed) {
    switch (event->padButton.buttonMask) {
      case kPadDown:
        code = kKeyDown;
        break;
      case kPadUp:
        code = kKeyUp;
        break;
      case kPadLeft:
        code = kKeyLeft;
        break;
      case kPadRight:
        code = kKeyRight;
        break;
      case kPadBack:
        code = kKeyEsc;
        break;
      case kPadSelect:
        code = kKeyEnter;
        break;
      default:
        break;
    }
  }
  switch (code) {
    case kKeyDown:
      SelectCell(mRow + 1, mColumn);
      break;
    case kKeyUp:
      SelectCell(mRow == 0 ? kNameGridRows - 1 : mRow - 1, mColumn);
      break;
    case kKeyLeft:
      SelectCell(mRow, mColumn == 0 ? kNameGridColumns - 1 : mColumn - 1);
      break;
    case kKeyRight:
      SelectCell(mRow, mColumn + 1);
      break;
    case kKeyEsc:
      OnBack();
      break;
    case kKeyEnter:
      PressCell();
      break;
    default:
      break;
  }
  return false;
}

void cWgMenu_NewGame::Render() {
  cWgMenu_Menu::Render();
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  for (cSprite2D& cell : mCells) {
    cell.Render();
  }
  for (u32 i = 0; i < mLetterCount; i++) {
    mLetters[i].Render();
  }
  mCamera.EndUpdate();
}
