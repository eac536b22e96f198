// cLevelTexts: the keys of a level's text group.
#include "game/world/level_texts.h"

#include <cstdio>

#include "game/foundation/fatal_error.h"

namespace {

constexpr u32 kDialoguePrefixLength = 3;  // '$' and two digits
constexpr u32 kKeySize = 32;

const cString* FindValue(const cPropertyGroup* group, const cString& key) {
  const cProperty* property = group->FindProperty(key);
  return property != nullptr ? &property->GetValue() : nullptr;
}

// How many numbered keys of the prefix follow one another from 0.
u32 CountNumbered(const cPropertyGroup* group, const char* prefix) {
  u32 count = 0;
  while (FindValue(group, NumberedKey(prefix, count)) != nullptr) {
    count++;
  }
  return count;
}

// A mission line as the mission list shows it: an objective line ('@' and
// two digits) from its second digit on, that digit made a blank.
cString MissionLineText(const cString& line) {
  const cString text = StripQuotes(line);
  const char* data = text.Data();
  if (text.Length() >= 3 && data[0] == '@' && data[1] >= '0' && data[1] <= '9' && data[2] >= '0' && data[2] <= '9') {
    return cString(" ") + text.Slice(3, text.Length() - 3);
  }
  return text;
}

}  // namespace

cString StripQuotes(const cString& text) {
  u32 start = 0;
  u32 length = text.Length();
  const char* data = text.Data();
  if (length > 0 && data[0] == '"') {
    start = 1;
    length--;
  }
  if (length > 0 && data[start + length - 1] == '"') {
    length--;
  }
  return text.Slice(start, length);
}

cString NumberedKey(const char* prefix, u32 number) {
  char key[kKeySize];
  std::snprintf(key, sizeof(key), "%s%02u", prefix, number);
  return cString(key);
}

void cLevelTexts::Read(const cPropertyGroup* group) {
  const u32 messages = CountNumbered(group, "MESSAGE");
  mMessages.Allocate(messages);
  mDialogues.Fill(messages, kPlainMessage);
  mMarkers.Fill(messages, kNoMarker);
  for (u32 i = 0; i < messages; i++) {
    const cString text = StripQuotes(*FindValue(group, NumberedKey("MESSAGE", i)));
    if (text.Length() > 0 && text.Data()[0] == '$') {
      // A prefix cut short leaves an empty dialogue with what number it has.
      const u32 skip = text.Length() < kDialoguePrefixLength ? text.Length() : kDialoguePrefixLength;
      mDialogues[i] = TextToS32(text.Slice(1, text.Length() - 1));
      mMessages[i] = text.Slice(skip, text.Length() - skip);
    } else {
      mMessages[i] = text;
    }
    mMarkers[i] = mMessages[i].FindChar('@');
  }

  const u32 lines = CountNumbered(group, "MISSION");
  mMissionLines.Allocate(lines);
  for (u32 i = 0; i < lines; i++) {
    mMissionLines[i] = *FindValue(group, NumberedKey("MISSION", i));
  }

  const cString* objectives = FindValue(group, cString("MISSION_OBJECTIVES"));
  mHasObjectives = objectives != nullptr;
  mObjectiveCount = 0;
  if (objectives != nullptr) {
    const s32 count = TextToS32(*objectives);
    if (count < 0 || count > static_cast<s32>(kMaxMissionObjectives)) {
      DebugTrace("MISSION_OBJECTIVES %d taken as %u\n", static_cast<int>(count),
                 count < 0 ? 0u : kMaxMissionObjectives);
    }
    mObjectiveCount =
        count < 0 ? 0
                  : (count > static_cast<s32>(kMaxMissionObjectives) ? kMaxMissionObjectives : static_cast<u32>(count));
  }

  const cString* briefing = FindValue(group, cString("BRIEFING"));
  mHasBriefing = briefing != nullptr;
  mBriefing = briefing != nullptr ? StripQuotes(*briefing) : cString();

  const cString* main = FindValue(group, cString("MAINMISSIONTEXT"));
  const s32 number = main != nullptr ? TextToS32(*main) : 0;
  if (number >= 1 && static_cast<u32>(number) <= messages) {
    mMainMissionText = mMessages[static_cast<u32>(number) - 1];
  } else {
    mMainMissionText = lines > 0 ? MissionLineText(mMissionLines[0]) : cString();
  }
}
