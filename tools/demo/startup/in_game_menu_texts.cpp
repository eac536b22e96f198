// The texts of the in-game screen's pause and death menus, in both languages.
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
          {"PAUSE_ITEM03", "Hauptmenue"},
          {"PAUSE_FOOTER", "Enter: waehlen"},
          {"DIED_TITLE", "DU BIST TOT"},
          {"DIED_ITEM00", "Letzter Kontrollpunkt"},
          {"DIED_ITEM01", "Level neu starten"},
          {"DIED_ITEM02", "Hauptmenue"},
          {"DIED_FOOTER", "Enter: waehlen"}};
}

}  // namespace demo
