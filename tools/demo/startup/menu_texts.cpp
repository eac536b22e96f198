// The texts of the main menu screen's menus, in both languages: titles,
// items and footers of every menu, the words of the options and extras, and
// the pages of the actors and episodes. The options' left-right footer
// shows in the main menu's options and in the pause menu's, whose Esc saves
// nothing: it says only that Esc goes back; the main menu's own footer, shown
// on its language line, says that its Esc saves. The level and difficulty items also
// name a profile's level and difficulty in the profile lines: level item n
// names the level the game starts for it, "level01" to "level06", as that
// level's briefing does (the demo's numbered levels end at "level05").
// Every menu with items names Enter, which chooses, in its footer.
// German letters are octal escapes of their Windows-1252 codes, the texts'
// encoding: \344 a-umlaut, \366 o-umlaut, \374 u-umlaut, \337 sharp s.
#include <string>
#include <utility>
#include <vector>

#include "tools/demo/demo.h"

namespace demo {
namespace {

struct MenuWords {
  const char* name;
  const char* title;
  std::vector<const char*> items;
  const char* footer;
};

struct PageSet {
  const char* name;
  const char* footer;
  std::vector<const char*> pages;
};

struct MenuLanguage {
  std::vector<MenuWords> menus;
  std::vector<std::pair<const char*, const char*>> words;
  std::vector<PageSet> pages;
};

const MenuLanguage& German() {
  static const MenuLanguage language = {
      {{"MAIN", "TESSARAK", {"Neues Spiel", "Fortsetzen", "Optionen", "Extras", "Beenden"}, "Enter: w\344hlen"},
       {"LEVEL",
        "EINSATZ",
        {"Die B\374ros", "Die Lagerr\344ume", "Der Tresor", "Die Br\374cke", "Der Turm", "Der Kern"},
        "Enter: w\344hlen   Esc: zur\374ck"},
       {"NEWGAME", "DEIN NAME", {}, "Pfeile und Enter: Buchstaben, OK: fertig"},
       {"CONTINUE", "FORTSETZEN", {}, "Enter: spielen   Esc: zur\374ck"},
       {"OPTION",
        "OPTIONEN",
        {"Sprache", "Helligkeit", "Lautst\344rke", "Musik", "Achse umkehren"},
        "Enter: w\344hlen   Esc: speichern"},
       {"EXTRAS",
        "EXTRAS",
        {"Mitwirkende", "Figuren", "Episoden", "Skizzen", "Gespr\344ch", "Stunts"},
        "Enter: w\344hlen   Esc: zur\374ck"},
       {"ACTORS", "FIGUREN", {"Vostek", "Pirena", "Haldo"}, "Enter: w\344hlen   Esc: zur\374ck"},
       {"EPISODES", "EPISODEN", {"Tesklo", "Ordan", "Salvern", "Kumb"}, "Enter: w\344hlen   Esc: zur\374ck"},
       {"DIFFICULTY", "SCHWIERIGKEIT", {"Normal", "Schwer"}, "Enter: w\344hlen   Esc: zur\374ck"},
       {"QUIT", "Wirklich beenden?", {"Nein", "Ja"}, "Links/Rechts, Enter"},
       {"DELETE_WINDOW", "Alle Pl\344tze belegt", {"Zur\374ck", "Ersetzen", "Ohne Profil"}, "Links/Rechts, Enter"},
       {"DELETE_MENU", "WELCHES PROFIL ERSETZEN?", {}, "Enter: ersetzen   Esc: zur\374ck"}},
      {{"LOCKED", "- gesperrt -"},
       {"ON", "an"},
       {"OFF", "aus"},
       {"OPTION_FOOTER_LEFT_RIGHT", "Links/Rechts: \344ndern   Esc: zur\374ck"}},
      {{"CONCEPT", "Links/Rechts: bl\344ttern   Esc: zur\374ck", {}},
       {"VOSTEK", "Links/Rechts: bl\344ttern", {"Vostek kennt jede T\374r der Anlage.", "Er schweigt lieber."}},
       {"PIRENA", "Links/Rechts: bl\344ttern", {"Pirena plant jeden Schritt.", "Sie hasst Alarme."}},
       {"HALDO", "Links/Rechts: bl\344ttern", {"Haldo bewacht das Archiv.", "Er schl\344ft nie."}},
       {"TESKLO", "Links/Rechts: bl\344ttern", {"Tesklo: der erste Einsatz."}},
       {"ORDAN", "Links/Rechts: bl\344ttern", {"Ordan: Nebel \374ber dem Hafen.", "Niemand sieht dich."}},
       {"SALVERN", "Links/Rechts: bl\344ttern", {"Salvern: die Br\374cke h\344lt."}},
       {"KUMB", "Links/Rechts: bl\344ttern", {"Kumb: der Kern erwacht.", "Das Ende naht."}}},
  };
  return language;
}

const MenuLanguage& English() {
  static const MenuLanguage language = {
      {{"MAIN", "TESSARAK", {"New game", "Continue", "Options", "Extras", "Quit"}, "Enter: choose"},
       {"LEVEL",
        "MISSION",
        {"The offices", "The store rooms", "The vault", "The bridge", "The tower", "The core"},
        "Enter: choose   Esc: back"},
       {"NEWGAME", "YOUR NAME", {}, "Arrows and Enter: letters, OK: done"},
       {"CONTINUE", "CONTINUE", {}, "Enter: play   Esc: back"},
       {"OPTION", "OPTIONS", {"Language", "Brightness", "Volume", "Music", "Invert axis"}, "Enter: choose   Esc: save"},
       {"EXTRAS",
        "EXTRAS",
        {"Credits", "Actors", "Episodes", "Sketches", "Interview", "Stunts"},
        "Enter: choose   Esc: back"},
       {"ACTORS", "ACTORS", {"Vostek", "Pirena", "Haldo"}, "Enter: choose   Esc: back"},
       {"EPISODES", "EPISODES", {"Tesklo", "Ordan", "Salvern", "Kumb"}, "Enter: choose   Esc: back"},
       {"DIFFICULTY", "DIFFICULTY", {"Normal", "Hard"}, "Enter: choose   Esc: back"},
       {"QUIT", "Really quit?", {"No", "Yes"}, "Left/Right, Enter"},
       {"DELETE_WINDOW", "Every slot is used", {"Back", "Replace", "No profile"}, "Left/Right, Enter"},
       {"DELETE_MENU", "REPLACE WHICH PROFILE?", {}, "Enter: replace   Esc: back"}},
      {{"LOCKED", "- locked -"},
       {"ON", "on"},
       {"OFF", "off"},
       {"OPTION_FOOTER_LEFT_RIGHT", "Left/Right: change   Esc: back"}},
      {{"CONCEPT", "Left/Right: turn   Esc: back", {}},
       {"VOSTEK", "Left/Right: turn", {"Vostek knows every door of the site.", "He would rather keep quiet."}},
       {"PIRENA", "Left/Right: turn", {"Pirena plans every step.", "She hates alarms."}},
       {"HALDO", "Left/Right: turn", {"Haldo guards the archive.", "He never sleeps."}},
       {"TESKLO", "Left/Right: turn", {"Tesklo: the first mission."}},
       {"ORDAN", "Left/Right: turn", {"Ordan: fog over the harbour.", "Nobody sees you."}},
       {"SALVERN", "Left/Right: turn", {"Salvern: the bridge holds."}},
       {"KUMB", "Left/Right: turn", {"Kumb: the core awakes.", "The end draws near."}}},
  };
  return language;
}

std::string Two(size_t i) { return std::string(1, static_cast<char>('0' + i / 10)) + static_cast<char>('0' + i % 10); }

}  // namespace

std::vector<std::pair<std::string, std::string>> MainMenuTextKeys(const std::string& code) {
  const MenuLanguage& language = code == "eng" ? English() : German();
  std::vector<std::pair<std::string, std::string>> keys;
  for (const MenuWords& menu : language.menus) {
    const std::string name = menu.name;
    keys.push_back({name + "_TITLE", menu.title});
    for (size_t i = 0; i < menu.items.size(); i++) {
      keys.push_back({name + "_ITEM" + Two(i), menu.items[i]});
    }
    keys.push_back({name + "_FOOTER", menu.footer});
  }
  for (const auto& word : language.words) {
    keys.push_back({word.first, word.second});
  }
  for (const PageSet& set : language.pages) {
    const std::string name = set.name;
    keys.push_back({name + "_FOOTER", set.footer});
    for (size_t i = 0; i < set.pages.size(); i++) {
      keys.push_back({name + "_TEXT" + Two(i), set.pages[i]});
    }
  }
  return keys;
}

}  // namespace demo
