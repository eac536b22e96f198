// The search's texts and the message lines that keep them at their indexes.
#include "tools/demo/search_texts.h"

#include <cstdio>

namespace demo {

namespace {

const LevelText kFiller = {"Keep to the shadows.", "Bleib im Schatten."};

// By index from kFirstSearchMessage; null where the search shows nothing.
// clang-format off
const LevelText kSearchTexts[kSearchMessageCount] = {
    {"You find nothing on him.", "Du findest nichts bei ihm."},                                       // 39
    {"A memo: the night shift changes at two.", "Eine Notiz: die Nachtschicht wechselt um zwei."},     // 40
    {"A memo: the director keeps his codes in his desk.",
     "Eine Notiz: der Direktor verwahrt seine Codes im Schreibtisch."},                                // 41
    {"A memo: the cameras turn every few seconds.", "Eine Notiz: die Kameras drehen sich alle paar Sekunden."},  // 42
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},                                        // 43 to 45
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},                                        // 46 to 48
    {"You found a medikit.", "Du hast ein Medikit gefunden."},                                         // 49
    {"You found an old pizza: it makes you sick.", "Du hast eine alte Pizza gefunden: dir wird schlecht."},  // 50
    {"You found an energy cell.", "Du hast eine Energiezelle gefunden."},                              // 51
    {"You found a card on him.", "Du hast bei ihm eine Karte gefunden."},                              // 52
    {"You found a key on him.", "Du hast bei ihm einen Schl\xFCssel gefunden."},                       // 53
};
// clang-format on

}  // namespace

const LevelText& SearchText(int index) {
  if (index < kFirstSearchMessage || index >= kSearchMessageEnd) {
    return kFiller;
  }
  const LevelText& text = kSearchTexts[index - kFirstSearchMessage];
  return text.english != nullptr ? text : kFiller;
}

std::string MessageLines(bool english, const std::vector<LevelText>& own, int count) {
  std::string lines;
  char key[32];
  size_t next = 0;
  for (int i = 0; i < count; ++i) {
    const bool search = i >= kFirstSearchMessage && i < kSearchMessageEnd;
    const LevelText& text = search ? SearchText(i) : (next < own.size() ? own[next++] : kFiller);
    std::snprintf(key, sizeof key, "MESSAGE%02d", i);
    lines += std::string(key) + " = \"" + (english ? text.english : text.german) + "\"\n";
  }
  return lines;
}

}  // namespace demo
