// The first start's language menu.
#include "game/frontend/menus/wg_menu_language.h"

#include "game/frontend/save/game_options.h"

namespace {

constexpr char kLanguageMenuName[] = "LANGUAGE";
constexpr u32 kLanguageMenuItems = 2;

}  // namespace

cWgMenu_Language::cWgMenu_Language(cScreen_Menu* owner)
    : cWgMenu_Menu(owner, kLanguageMenuName, kLanguageMenuItems, tWgPlacement(),
                   tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f)) {}

cWgMenu_Language::~cWgMenu_Language() {}

void cWgMenu_Language::OnSelect(u32 item) {
  if (gGameOptions != nullptr && gGameOptions->GetLanguage() != item) {
    gGameOptions->SetLanguage(item);
    mOwner->LoadTexts();
  }
  Hide();
}
