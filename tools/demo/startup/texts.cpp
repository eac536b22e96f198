// The start-up property files: the configuration with its level chain, the
// input map, the menu texts of both languages and the end and credit texts.
// Grouped files use LF line ends; a backslash stands only where a value
// breaks its line.
// German letters are octal escapes of their Windows-1252 codes, the texts'
// encoding: \344 a-umlaut, \366 o-umlaut, \374 u-umlaut, \337 sharp s.
#include <string>
#include <utility>
#include <vector>

#include "tools/demo/demo.h"
#include "tools/demo/implants/implants.h"
#include "tools/demo/level01/level01.h"
#include "tools/demo/levels/levels.h"

namespace demo {
namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

std::string Group(const std::string& name, const Keys& keys) {
  std::string text = "[" + name + "]\n";
  for (const auto& key : keys) {
    text += key.first + " = " + key.second + "\n";
  }
  return text + "\n";
}

std::string ConfigText() {
  std::string text =
      "# The game's configuration: start-up, the chain of levels, the implants'\n"
      "# settings and the texts after the last level.\n\n";
  text += Group("Init", {{"FRAME_LIMIT", "1"}});
  text += ImplantsConfigGroup();
  text += Group("end_texts", {{"ENDTEXTS", "data/endtexts"}});
  text += Group("credit_list", {{"CREDITLIST", "data/credits"}});
  return text + Level01ConfigGroups() + LevelsConfigGroups();
}

// Keyboard and mouse inputs of every action of the level, the player and
// the map view; the arrows stay with the menus and the hacking panel.
// QUITAPP has a key no other action uses.
std::string InputMapText() {
  const Keys bindings = {
      {"INPUTDEVICES", "KEYBOARD, MOUSE"},
      {"FORWARD", "KEY_W"},
      {"BACKWARD", "KEY_S"},
      {"LEFT", "KEY_A"},
      {"RIGHT", "KEY_D"},
      {"TURNLEFT", "KEY_Q"},
      {"TURNRIGHT", "KEY_E"},
      {"TURN", "MOUSEMOVE"},
      {"LOOKUP", "KEY_PGUP"},
      {"LOOKDOWN", "KEY_PGDN"},
      {"LOOK", "MOUSEMOVE"},
      {"CENTER_VIEW", "KEY_V"},
      {"RUN", "KEY_LSHIFT"},
      {"SNEAK", "KEY_LCTRL"},
      {"SNEAKTOGGLE", "KEY_C"},
      {"SEARCH", "KEY_F"},
      {"USEITEM", "KEY_SPACE, MOUSEBTN_LEFT"},
      {"USEIMPLANT", "KEY_R, MOUSEBTN_RIGHT"},
      {"USEBIONICEYE", "KEY_B"},
      {"ZOOMIN", "KEY_PLUS"},
      {"ZOOMOUT", "KEY_MINUS"},
      {"NEXTIMPLANT", "MOUSEBTN_WHEEL, KEY_X"},
      {"PREVIMPLANT", "MOUSEBTN_WHEEL, KEY_Z"},
      {"VIEWINFO", "KEY_TAB"},
      {"VIEWMAP", "KEY_M"},
      {"VIEWMISSION", "KEY_O"},
      {"DELETEDIALOGUE", "KEY_ENTER"},
      {"DELETEDIALOGUEALL", "KEY_BACKSP"},
      {"QUITAPP", "KEY_F12"},
  };
  std::string text = "# Inputs of every action: keys, mouse buttons and mouse movement.\n";
  for (const auto& binding : bindings) {
    text += binding.first + " = " + binding.second + "\n";
  }
  return text;
}

struct Language {
  const char* code;
  const char* title;
  const char* footer;
  const char* hacking;
  const char* searching;
  std::vector<std::string> ends;     // MESSAGE01 to MESSAGE06
  std::vector<std::string> credits;  // "^" heads a section
};

const std::vector<Language>& Languages() {
  static const std::vector<Language> languages = {
      {"d",
       "SPRACHE",
       "Pfeiltasten: w\344hlen   Enter: best\344tigen",
       "HACKEN",
       "DURCHSUCHEN",
       {"Die Anlage ist gesichert.", "Die Spur f\374hrt weiter.", "F\374r heute ist es vorbei.",
        "Alle Auftr\344ge erf\374llt.\\nEine makellose Mission.", "Kein Alarm, keine Spuren.", "Ende."},
       {"^Demo", "Erzeugt vom Demo-Werkzeug", "", "^Dank", "an alle Tester"}},
      {"eng",
       "LANGUAGE",
       "Arrows: choose   Enter: confirm",
       "HACKING",
       "SEARCHING",
       {"The site is secured.", "The trail leads on.", "That is all for today.",
        "Every objective met.\\nA flawless mission.", "No alarm, no traces.", "The end."},
       {"^Demo", "Made by the demo tool", "", "^Thanks", "to every tester"}},
  };
  return languages;
}

std::string MenuText(const Language& language) {
  Keys keys;
  for (const char* menu : {"LANGUAGE", "OPTION_LANGUAGE"}) {
    const std::string name = menu;
    keys.push_back({name + "_TITLE", language.title});
    keys.push_back({name + "_ITEM00", "Deutsch"});
    keys.push_back({name + "_ITEM01", "English"});
    keys.push_back({name + "_FOOTER", language.footer});
  }
  const Keys menus = MainMenuTextKeys(language.code);
  keys.insert(keys.end(), menus.begin(), menus.end());
  const Keys inGameMenus = InGameMenuTextKeys(language.code);
  keys.insert(keys.end(), inGameMenus.begin(), inGameMenus.end());
  keys.push_back({"HACKING", language.hacking});
  keys.push_back({"SEARCHING", language.searching});
  return Group("text", keys);
}

std::string EndText(const Language& language) {
  Keys keys;
  for (size_t i = 0; i < language.ends.size(); i++) {
    keys.push_back({"MESSAGE0" + std::to_string(i + 1), language.ends[i]});
  }
  return Group("TEXTS", keys);
}

std::string CreditsText(const Language& language) {
  std::string list = "[";
  for (size_t i = 0; i < language.credits.size(); i++) {
    list += (i == 0 ? "" : ",") + language.credits[i];
  }
  return Group("CREDITS", {{"CREDITLIST", list + "]"}});
}

}  // namespace

void WriteStartupTexts(DataFolder& data) {
  data.WriteText("data/config.txt", ConfigText());
  data.WriteText("data/inputmap.txt", InputMapText());
  for (const Language& language : Languages()) {
    const std::string suffix = std::string("_") + language.code + ".txt";
    data.WriteText("data/menu/text" + suffix, MenuText(language));
    data.WriteText("data/endtexts" + suffix, EndText(language));
    data.WriteText("data/credits" + suffix, CreditsText(language));
  }
}

}  // namespace demo
