// The first level's texts in both languages: the numbered messages (plain,
// dialogue with "$NN", partial counts at an "@"), the mission lines with
// their objectives, the briefing and the main mission text. The German file
// is Windows-1252.
#include <cstdio>
#include <vector>

#include "tools/demo/implants/implants.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/search_texts.h"

namespace demo {
namespace level01 {

namespace {

// The level's own messages: 1 to 39, then from 55 on (the search's texts
// fill 40 to 54, search_texts.h). The objects' props name them by number;
// 37 to 39 and 75 are the objectives' messages, 59 the main mission text,
// 74 the way out's. 14 and 18 close a lost and a won hack (the hacking game
// shows them by index, 13 and 17), so that no other object names them. A
// dialogue line's "$NN" is the number of the line that follows it, "$00" on
// the last. Nothing shows 2, 3, 17, 33 to 36, 56, 58 and 60 to 73: a door
// that stays shut says nothing, a search tells what it finds, and the timers
// work unannounced.
// clang-format off
const std::vector<LevelText> kMessages = {
    {"The door slides open.", "Die T\xFCr gleitet auf."},                                            // 1
    {"The door will not move.", "Die T\xFCr bewegt sich nicht."},                                     // 2
    {"An implant might open it.", "Ein Implantat k\xF6nnte sie \xF6" "ffnen."},                       // 3
    {"A button: door A opens, the light beam and the camera go off.",
     "Ein Knopf: T\xFCr A \xF6" "ffnet sich, Lichtschranke und Kamera gehen aus."},              // 4
    {"The laser panel gives way.", "Das Laserfeld gibt nach."},                                      // 5
    {"The EDS panel sparks and yields.", "Das EDS-Feld spr\xFCht Funken und gibt nach."},            // 6
    {"You take the key.", "Du nimmst den Schl\xFCssel."},                                            // 7
    {"You take the card.", "Du nimmst die Karte."},                                                  // 8
    {"A uniform: nobody will look twice.", "Eine Uniform: niemand schaut zweimal hin."},             // 9
    {"The data crystal is yours.", "Der Datenkristall geh\xF6rt dir."},                              // 10
    {"@ more buttons to go.", "Noch @ Kn\xF6pfe."},                                                   // 11
    {"All three pressed: door B opens.", "Alle drei gedr\xFC" "ckt: T\xFCr B \xF6" "ffnet sich."},           // 12
    {"Both switches answer at once.", "Beide Schalter antworten zugleich."},                        // 13
    {"The panel sounds the alarm.", "Das Paneel l\xF6st Alarm aus."},                               // 14
    {"@ more levers to go.", "Noch @ Hebel."},                                                        // 15
    {"Both levers up: door C is free.", "Beide Hebel oben: T\xFCr C ist frei."},                     // 16
    {"Nothing but dust in the cupboard.", "Nichts als Staub im Schrank."},                           // 17
    {"The panel gives way.", "Das Paneel gibt nach."},                                               // 18
    {"The camera has seen you!", "Die Kamera hat dich gesehen!"},                                    // 19
    {"The camera spots you again!", "Die Kamera entdeckt dich wieder!"},                             // 20
    {"You broke the light beam!", "Du hast die Lichtschranke unterbrochen!"},                        // 21
    {"The beam again!", "Wieder die Lichtschranke!"},                                                // 22
    {"Something heard you.", "Etwas hat dich geh\xF6rt."},                                           // 23
    {"Heard again.", "Wieder geh\xF6rt."},                                                           // 24
    {"A magnetic field drains your implants.", "Ein Magnetfeld leert deine Implantate."},            // 25
    {"The magnetic field again.", "Wieder das Magnetfeld."},                                         // 26
    {"This field burns!", "Dieses Feld brennt!"},                                                    // 27
    {"The burning field again.", "Wieder das brennende Feld."},                                      // 28
    {"You reached the meeting point.", "Du hast den Treffpunkt erreicht."},                          // 29
    {"Back at the meeting point.", "Zur\xFC" "ck am Treffpunkt."},                                    // 30
    {"Checkpoint reached.", "Kontrollpunkt erreicht."},                                              // 31
    {"Checkpoint already taken.", "Kontrollpunkt schon erreicht."},                                  // 32
    {"The guard shift starts.", "Die Wachschicht beginnt."},                                         // 33
    {"The light beam switches off.", "Die Lichtschranke schaltet ab."},                              // 34
    {"Maintenance in progress.", "Wartung l\xE4uft."},                                               // 35
    {"The light beam is back.", "Die Lichtschranke ist zur\xFC" "ck."},                               // 36
    {"Objective done: the meeting point.", "Ziel erreicht: der Treffpunkt."},                        // 37
    {"Objective done: the plans.", "Ziel erreicht: die Pl\xE4ne."},                                  // 38
    {"Objective done: the data crystal.", "Ziel erreicht: der Datenkristall."},                      // 39
    {"Door C lifts.", "T\xFCr C hebt sich."},                                                      // 55
    {"Mind the guards' routes.", "Achte auf die Wege der Wachen."},                                  // 56
    {"The lever clicks into place.", "Der Hebel rastet ein."},                                       // 57
    {"The plans lie in one of room A's cupboards and desks.",
     "Die Pl\xE4ne liegen in einem der Schr\xE4nke und Tische in Raum A."},                        // 58
    {"Plans: room A. Crystal: room C. Way out: room D.",
     "Pl\xE4ne: Raum A. Kristall: Raum C. Ausgang: Raum D."},                                        // 59
    {"$61Control: Can you hear me? Keep to the shadows.", "$61Zentrale: H\xF6rst du mich? Bleib im Schatten."},  // 60
    {"$62Dorva: Loud and clear.", "$62Dorva: Laut und deutlich."},                                   // 61
    {"$63Control: The plans are in room A.", "$63Zentrale: Die Pl\xE4ne sind in Raum A."},           // 62
    {"$64Dorva: And the crystal?", "$64Dorva: Und der Kristall?"},                                   // 63
    {"$65Control: In room C. Mind the camera.", "$65Zentrale: In Raum C. Achte auf die Kamera."},  // 64
    {"$66Guard: Who goes there?", "$66Wache: Wer da?"},                                              // 65
    {"$67Dorva: Nobody. Keep walking.", "$67Dorva: Niemand. Geh weiter."},                           // 66
    {"$68Control: Three buttons open room B.", "$68Zentrale: Drei Kn\xF6pfe \xF6" "ffnen Raum B."},  // 67
    {"$69Control: Two levers free room C.", "$69Zentrale: Zwei Hebel geben Raum C frei."},           // 68
    {"$00Control: Good work. Get out.", "$00Zentrale: Gute Arbeit. Raus da."},                       // 69
    {"Press the action key to use things.", "Benutze Dinge mit der Aktionstaste."},                  // 70
    {"Sneak to make less noise.", "Schleiche, um leiser zu sein."},                                  // 71
    {"Search cupboards and desks.", "Durchsuche Schr\xE4nke und Schreibtische."},                    // 72
    {"The map shows what you can use.", "Die Karte zeigt, was du benutzen kannst."},                  // 73
    {"You got out.", "Du bist drau\xDF" "en."},                                                       // 74
    {"Objective done: out of the offices.", "Ziel erreicht: raus aus den B\xFCros."},                 // 75
};
// clang-format on

constexpr int kMainMissionText = 59;

struct Mission {
  const char* english;
  const char* german;
};

// Lines with "@NN" are objectives, bound to message NN, in the objectives'
// order: the way out first (reaching it ends the level), then the plans
// (the objective a furniture search's mission item completes), the meeting
// point and the crystal. A blank follows the number: the mission list
// writes an objective from its second digit on (turned into a blank) beside
// its check box, and the box covers the first of those blanks.
const Mission kMissions[] = {
    {"Offices of the Volde company", "B\xFCros der Firma Volde"},
    {"@75 Get out by room D, the last door on the left", "@75 Entkomme durch Raum D, die letzte T\xFCr links"},
    {"@38 Find the plans in room A", "@38 Finde die Pl\xE4ne in Raum A"},
    {"@37 Reach the meeting point", "@37 Erreiche den Treffpunkt"},
    {"@39 Take the data crystal", "@39 Nimm den Datenkristall"},
};

std::string TextFile(bool english) {
  std::string text = "# Texts of level01.\n[TEXTS]\n";
  char key[32];
  text += MessageLines(english, kMessages, kMessageCount);
  text += ImplantMessageLines(english, kMessageCount);
  int n = 0;
  for (const Mission& mission : kMissions) {
    std::snprintf(key, sizeof key, "MISSION%02d", n++);
    text += std::string(key) + " = \"" + (english ? mission.english : mission.german) + "\"\n";
  }
  text += "MISSION_OBJECTIVES = " + std::to_string(kMissionObjectives) + "\n";
  text += english ? "BRIEFING = \"Level 1: the offices. Take the plans and the crystal; leave by the last door on "
                    "the left.\"\n"
                  : "BRIEFING = \"Level 1: die B\xFCros. Nimm Pl\xE4ne und Kristall; raus durch die letzte T\xFCr "
                    "links.\"\n";
  text += "MAINMISSIONTEXT = " + std::to_string(kMainMissionText) + "\n";
  return text;
}

}  // namespace

void WriteTexts(DataFolder& data) {
  data.WriteText(std::string(kTextsPrefix) + "_eng.txt", TextFile(true));
  data.WriteText(std::string(kTextsPrefix) + "_d.txt", TextFile(false));
}

}  // namespace level01
}  // namespace demo
