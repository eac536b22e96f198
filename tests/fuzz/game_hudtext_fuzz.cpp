// Fuzz target for the HUD's texts: every line of the input is added to a
// mission list and shown by a framed and a plain message box, as message
// and as side text, with the widgets laid out on an offscreen target and
// rendered through their fades.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/render/text/font.h"
#include "tests/fuzz/d3d8_fuzz_engine.h"

namespace {

constexpr u32 kTargetSize = 256;

cRenderTarget* Target() {
  static cRenderTarget* target = nullptr;
  if (target == nullptr) {
    if (!d3d8fuzz::Start()) {
      std::abort();
    }
    target = new cRenderTarget;
    if (!target->Create(tTargetSize{kTargetSize, kTargetSize})) {
      std::abort();
    }
  }
  return target;
}

void RenderTimes(cWgWidget& widget, int times) {
  for (int i = 0; i < times; i++) {
    widget.Render();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) {
    return 0;
  }
  cRenderTarget* target = Target();
  const RwRect screen = {0, 0, static_cast<RwInt32>(kTargetSize), static_cast<RwInt32>(kTargetSize)};
  cString text(static_cast<u32>(size));
  if (size != 0) {
    memcpy(text.SharedData(), data, size);
  }
  // Without a readable font the boxes step and draw their sprites; the
  // font's own reader has a target of its own.
  cFont font;
  const u32 rect[4] = {0, 16, 200, 100};
  cWgMessageBox framed(tWgPlacement(rect, 0, 1, 1, 0), true, kDialoguePromptTexture);
  cWgMessageBox plain(tWgPlacement::Fractions(0, 0, 1, 1), false, nullptr);
  cWgMissionList list(tWgPlacement::Fractions(0, 0, 1, 1));
  list.SetIcons(&font, kMissionOpenTexture, kMissionDoneTexture);
  list.SetVisible(true);
  cWgMessageBox* boxes[2] = {&framed, &plain};
  for (cWgMessageBox* box : boxes) {
    box->SetFont(&font);
    box->Layout(screen, *target);
  }
  list.Layout(screen, *target);

  u32 start = 0;
  u32 line = 0;
  for (u32 i = 0; i <= text.Length(); i++) {
    if (i != text.Length() && text.Data()[i] != '\n') {
      continue;
    }
    const cString piece = text.Slice(start, i - start);
    start = i + 1;
    list.AddLine(piece);
    list.AddObjective(line % 7);
    const s32 lines = static_cast<s32>(line % 9) - 2;
    for (cWgMessageBox* box : boxes) {
      if (line % 3 == 2) {
        box->SetSideText(&piece);
      } else {
        box->SetMessage(&piece, lines, (line & 1) != 0);
      }
      RenderTimes(*box, 3);
      if (line % 4 == 3) {
        box->SetMessage(nullptr, 0, (line & 8) != 0);
        RenderTimes(*box, 33);
      }
    }
    line++;
  }
  RenderTimes(list, 1);
  for (const tMissionRow& row : list.GetRows()) {
    (void)row.text->CStr();
  }
  // The lines are private copies: the input is as it came.
  if (size != 0 && memcmp(text.Data(), data, size) != 0) {
    __builtin_trap();
  }
  return 0;
}
