// The texts of the in-game screen's pause and death menus, in both languages.
// German letters are octal escapes of their Windows-1252 codes, the texts'
// encoding: \344 a-umlaut, \366 o-umlaut, \374 u-umlaut, \337 sharp s.
#include <string>
#include <utility>
#include <vector>

#include "tools/demo/demo.h"

namespace demo {

std::vector<std::pair<std::string, std::string>> InGameMenuTextKeys(const std::string& code) {
  if (code == "eng") {
    return {{"PAUSE_TITLE", "PAUSE"},     {"PAUSE_ITEM00", "Resume"},         {"PAUSE_ITEM01", "Restart level"},
            {"PAUSE_ITEM02", "Options"},  {"PAUSE_ITEM03", "Main menu"},      {"PAUSE_FOOTER", "Enter: choose"},
            {"DIED_TITLE", "YOU DIED"},   {"DIED_ITEM00", "Last checkpoint"}, {"DIED_ITEM01", "Restart level"},
            {"DIED_ITEM02", "Main menu"}, {"DIED_FOOTER", "Enter: choose"}};
  }
  return {{"PAUSE_TITLE", "PAUSE"},
          {"PAUSE_ITEM00", "Weiter"},
          {"PAUSE_ITEM01", "Level neu starten"},
          {"PAUSE_ITEM02", "Optionen"},
          {"PAUSE_ITEM03", "Hauptmen\374"},
          {"PAUSE_FOOTER", "Enter: w\344hlen"},
          {"DIED_TITLE", "DU BIST TOT"},
          {"DIED_ITEM00", "Letzter Kontrollpunkt"},
          {"DIED_ITEM01", "Level neu starten"},
          {"DIED_ITEM02", "Hauptmen\374"},
          {"DIED_FOOTER", "Enter: w\344hlen"}};
}

}  // namespace demo
