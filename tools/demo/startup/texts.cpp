// The start-up property files: the configuration with its level chain, the
// input map, the menu texts of both languages and the end and credit texts.
// Grouped files use LF line ends; a backslash stands only where a value
// breaks its line.
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

// Keyboard, mouse and pad inputs of every action of the level, the player and
// the map view. QUITAPP has a key no other action uses.
std::string InputMapText() {
  const Keys bindings = {
      {"INPUTDEVICES", "KEYBOARD, MOUSE, PAD"},
      {"FORWARD", "KEY_W, KEY_UP, PADSTICK_LEFT"},
      {"BACKWARD", "KEY_S, KEY_DOWN, PADSTICK_LEFT"},
      {"LEFT", "KEY_A, KEY_LEFT, PADSTICK_LEFT"},
      {"RIGHT", "KEY_D, KEY_RIGHT, PADSTICK_LEFT"},
      {"TURNLEFT", "KEY_Q"},
      {"TURNRIGHT", "KEY_E"},
      {"TURN", "MOUSEMOVE, PADSTICK_RIGHT"},
      {"LOOKUP", "KEY_PGUP"},
      {"LOOKDOWN", "KEY_PGDN"},
      {"LOOK", "MOUSEMOVE, PADSTICK_RIGHT"},
      {"CENTER_VIEW", "KEY_C, PADBTN_10"},
      {"RUN", "KEY_LSHIFT, PADBTN_5"},
      {"SNEAK", "KEY_LCTRL, PADBTN_6"},
      {"SNEAKTOGGLE", "KEY_X, PADBTN_7"},
      {"SEARCH", "KEY_F, PADBTN_3"},
      {"USEITEM", "KEY_SPACE, MOUSEBTN_LEFT, PADBTN_1"},
      {"USEIMPLANT", "KEY_R, MOUSEBTN_RIGHT, PADBTN_2"},
      {"USEBIONICEYE", "KEY_B, MOUSEBTN_MIDDLE, PADBTN_4"},
      {"ZOOMIN", "KEY_PLUS, PADBTN_UP"},
      {"ZOOMOUT", "KEY_MINUS, PADBTN_DOWN"},
      {"NEXTIMPLANT", "KEY_TAB, MOUSEBTN_WHEEL, PADBTN_8"},
      {"PREVIMPLANT", "KEY_Z, MOUSEBTN_WHEEL, PADBTN_LEFT"},
      {"VIEWINFO", "KEY_I, PADBTN_START"},
      {"VIEWMAP", "KEY_M, PADBTN_A1"},
      {"VIEWMISSION", "KEY_O, PADBTN_A2"},
      {"DELETEDIALOGUE", "KEY_ENTER, PADBTN_9"},
      {"DELETEDIALOGUEALL", "KEY_BACKSP, PADBTN_SELECT"},
      {"QUITAPP", "KEY_F12"},
  };
  std::string text = "# Inputs of every action: keys, mouse buttons and movement, pad buttons and sticks.\n";
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
       "Pfeiltasten: waehlen   Enter: bestaetigen",
       "HACKEN",
       "DURCHSUCHEN",
       {"Die Anlage ist gesichert.", "Die Spur fuehrt weiter.", "Fuer heute ist es vorbei.",
        "Alle Auftraege erfuellt.\\nEine makellose Mission.", "Kein Alarm, keine Spuren.", "Ende."},
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
