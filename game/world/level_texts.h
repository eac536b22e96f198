// A level's text file in one language: its group "TEXTS" with the numbered
// messages ("MESSAGE00" on; a text starting with '$' and two digits is a
// dialogue entry of that number), the mission lines ("MISSION00" on), the
// number of mission objectives, the briefing and the main mission text.
#pragma once

#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"
#include "game/render/record_array.h"

// More objectives than this are taken as this many.
constexpr u32 kMaxMissionObjectives = 256;
constexpr s32 kPlainMessage = -1;
constexpr s32 kNoMarker = -1;

// One leading and one trailing double quote gone, when present.
cString StripQuotes(const cString& text);
// "MESSAGE" or "MISSION" and the number with at least two digits.
cString NumberedKey(const char* prefix, u32 number);

class cLevelTexts {
 public:
  cLevelTexts() : mObjectiveCount(0), mHasObjectives(false), mHasBriefing(false) {}

  // Every key of the group; numbered keys up to the first number missing.
  void Read(const cPropertyGroup* group);

  u32 GetMessageCount() const { return mMessages.GetCount(); }
  // Quotes and a dialogue's prefix removed.
  const cString& GetMessage(u32 index) const { return mMessages[index]; }
  // kPlainMessage, or the number after a dialogue's '$'.
  s32 GetDialogue(u32 index) const { return mDialogues[index]; }
  // The first '@' of the message, or kNoMarker.
  s32 GetMarker(u32 index) const { return mMarkers[index]; }
  u32 GetMissionLineCount() const { return mMissionLines.GetCount(); }
  // As the file gives it (the mission list strips it).
  const cString& GetMissionLine(u32 index) const { return mMissionLines[index]; }
  bool HasObjectives() const { return mHasObjectives; }
  u32 GetObjectiveCount() const { return mObjectiveCount; }
  bool HasBriefing() const { return mHasBriefing; }
  // Quotes removed.
  const cString& GetBriefing() const { return mBriefing; }
  // Message MAINMISSIONTEXT (from 1); without one, or one beyond the
  // messages, the first mission line as the mission list shows it.
  const cString& GetMainMissionText() const { return mMainMissionText; }

 private:
  cStringArray mMessages;
  cStringArray mMissionLines;
  cRecordArray<s32> mDialogues;
  cRecordArray<s32> mMarkers;
  cString mBriefing;
  cString mMainMissionText;
  u32 mObjectiveCount;
  bool mHasObjectives;
  bool mHasBriefing;
};
