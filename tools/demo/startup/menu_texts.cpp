// The texts of the main menu screen's menus, in both languages: titles,
// items and footers of every menu (the level and difficulty items also name
// them in the profile lines), the words of the options and extras, and the
// pages of the actors and episodes.
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
      {{"MAIN", "TESSARAK", {"Neues Spiel", "Fortsetzen", "Optionen", "Extras", "Beenden"}, "Enter: waehlen"},
       {"LEVEL",
        "EINSATZ",
        {"Die Anlage", "Der Hafen", "Das Archiv", "Die Bruecke", "Der Turm", "Der Kern"},
        "Esc: zurueck"},
       {"NEWGAME", "DEIN NAME", {}, "Pfeile und Enter: Buchstaben, OK: fertig"},
       {"CONTINUE", "FORTSETZEN", {}, "Enter: spielen   Esc: zurueck"},
       {"OPTION",
        "OPTIONEN",
        {"Sprache", "Helligkeit", "Lautstaerke", "Musik", "Achse umkehren"},
        "Enter: waehlen   Esc: speichern"},
       {"EXTRAS", "EXTRAS", {"Mitwirkende", "Figuren", "Episoden", "Skizzen", "Gespraech", "Stunts"}, "Esc: zurueck"},
       {"ACTORS", "FIGUREN", {"Vostek", "Pirena", "Haldo"}, "Esc: zurueck"},
       {"EPISODES", "EPISODEN", {"Tesklo", "Ordan", "Salvern", "Kumb"}, "Esc: zurueck"},
       {"DIFFICULTY", "SCHWIERIGKEIT", {"Normal", "Schwer"}, "Esc: zurueck"},
       {"QUIT", "Wirklich beenden?", {"Nein", "Ja"}, "Links/Rechts, Enter"},
       {"DELETE_WINDOW", "Alle Plaetze belegt", {"Zurueck", "Ersetzen", "Ohne Profil"}, "Links/Rechts, Enter"},
       {"DELETE_MENU", "WELCHES PROFIL ERSETZEN?", {}, "Enter: ersetzen   Esc: zurueck"}},
      {{"LOCKED", "- gesperrt -"},
       {"ON", "an"},
       {"OFF", "aus"},
       {"OPTION_FOOTER_LEFT_RIGHT", "Links/Rechts: aendern   Esc: speichern"}},
      {{"CONCEPT", "Links/Rechts: blaettern   Esc: zurueck", {}},
       {"VOSTEK", "Links/Rechts: blaettern", {"Vostek kennt jede Tuer der Anlage.", "Er schweigt lieber."}},
       {"PIRENA", "Links/Rechts: blaettern", {"Pirena plant jeden Schritt.", "Sie hasst Alarme."}},
       {"HALDO", "Links/Rechts: blaettern", {"Haldo bewacht das Archiv.", "Er schlaeft nie."}},
       {"TESKLO", "Links/Rechts: blaettern", {"Tesklo: der erste Einsatz."}},
       {"ORDAN", "Links/Rechts: blaettern", {"Ordan: Nebel ueber dem Hafen.", "Niemand sieht dich."}},
       {"SALVERN", "Links/Rechts: blaettern", {"Salvern: die Bruecke haelt."}},
       {"KUMB", "Links/Rechts: blaettern", {"Kumb: der Kern erwacht.", "Das Ende naht."}}},
  };
  return language;
}

const MenuLanguage& English() {
  static const MenuLanguage language = {
      {{"MAIN", "TESSARAK", {"New game", "Continue", "Options", "Extras", "Quit"}, "Enter: choose"},
       {"LEVEL",
        "MISSION",
        {"The site", "The harbour", "The archive", "The bridge", "The tower", "The core"},
        "Esc: back"},
       {"NEWGAME", "YOUR NAME", {}, "Arrows and Enter: letters, OK: done"},
       {"CONTINUE", "CONTINUE", {}, "Enter: play   Esc: back"},
       {"OPTION", "OPTIONS", {"Language", "Brightness", "Volume", "Music", "Invert axis"}, "Enter: choose   Esc: save"},
       {"EXTRAS", "EXTRAS", {"Credits", "Actors", "Episodes", "Sketches", "Interview", "Stunts"}, "Esc: back"},
       {"ACTORS", "ACTORS", {"Vostek", "Pirena", "Haldo"}, "Esc: back"},
       {"EPISODES", "EPISODES", {"Tesklo", "Ordan", "Salvern", "Kumb"}, "Esc: back"},
       {"DIFFICULTY", "DIFFICULTY", {"Normal", "Hard"}, "Esc: back"},
       {"QUIT", "Really quit?", {"No", "Yes"}, "Left/Right, Enter"},
       {"DELETE_WINDOW", "Every slot is used", {"Back", "Replace", "No profile"}, "Left/Right, Enter"},
       {"DELETE_MENU", "REPLACE WHICH PROFILE?", {}, "Enter: replace   Esc: back"}},
      {{"LOCKED", "- locked -"},
       {"ON", "on"},
       {"OFF", "off"},
       {"OPTION_FOOTER_LEFT_RIGHT", "Left/Right: change   Esc: save"}},
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
