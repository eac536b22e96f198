// The name entry of a new game: a grid of 40 picture cells (digits, letters,
// "!", ".", backspace and end) picked with the arrows; the name of up to 8
// letters shown under it. After the difficulty is chosen the profile is
// made and the first level starts; with every profile slot used the delete
// window asks first.
#pragma once

#include "game/frontend/menus/wg_menu.h"

class cScreen_MainMenu;

constexpr u32 kNameGridRows = 4;
constexpr u32 kNameGridColumns = 10;
constexpr u32 kNameGridCells = kNameGridRows * kNameGridColumns;
constexpr u32 kNameLetterCount = 8;
constexpr char kNameCellFolder[] = "data/menu/fonts/";
constexpr f32 kNameCellSize = 0.05f;

// The name of cell i of the grid: its character, or "dot", "bsp", "end".
cString NameCellName(u32 cell);

class cWgMenu_NewGame : public cWgMenu_Menu {
 public:
  // The grid built, cell (0, 0) selected, the name empty.
  explicit cWgMenu_NewGame(cScreen_MainMenu* owner);
  ~cWgMenu_NewGame() override;

  // Ticks make the profile once the name and difficulty are ready; arrows
  // move around the grid (wrapping), Enter presses the cell, Escape goes
  // back. Keys and pad are ignored while the delete window or menu is
  // shown. False.
  bool OnEvent(const tEvent* event) override;
  // The base, then the cells and the typed letters.
  void Render() override;
  void OnSelect(u32) override {}
  void OnBack() override;

  // The cell's highlight moves, with the move sound.
  void SelectCell(u32 row, u32 column);
  // Types the selected cell's letter, erases one (bsp) or finishes (end).
  void PressCell();
  // The letters centred under the grid.
  void LayoutName();
  void OpenDeleteWindow();

  void SetNameReady() { mNameReady = 1; }
  const char* GetName() const { return mName; }
  u32 GetRow() const { return mRow; }
  u32 GetColumn() const { return mColumn; }

 private:
  cSprite2D mCells[kNameGridCells];
  cString mCellNames[kNameGridCells];
  cSprite2D* mLetters;  // owned, kNameLetterCount
  u32 mRow;
  u32 mColumn;
  u32 mLetterCount;
  cScreen_MainMenu* mScreen;
  char mName[kNameLetterCount + 1];
  u8 mNameReady;
};
