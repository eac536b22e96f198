// Per-frame update clients and the walk over an owner's client list, which
// lets a client delete itself or any other client of the list mid-walk.
#pragma once

#include "game/foundation/list.h"
#include "game/foundation/types.h"

class cUpdatable : public cListElement {
 public:
  // Moves the running walk's cursor past this client before unlinking it.
  ~cUpdatable() override;

  // dt in seconds; true asks the owner to delete this client.
  virtual bool Update(f32 dt);
  virtual bool PostUpdate(f32 dt);
};

// The client that the running update walk visits next (null when none).
extern cListNode* gUpdateCursor;

// Calls Update (or PostUpdate) of every client of list once, in list order,
// deleting each client whose call returns true. A call may delete other
// clients of the list, the next one included.
void UpdateClients(cList& list, f32 dt);
void PostUpdateClients(cList& list, f32 dt);

// Accumulates the time it is updated with, in milliseconds. Its users keep
// a start mark (the count when something began) and a second word of their
// own beside the count.
class cTimer : public cUpdatable {
 public:
  cTimer() : mStartMark(0.0f), mSecondWord(0), mMilliseconds(0.0f) {}

  bool Update(f32 dt) override;

  f32 GetMilliseconds() const { return mMilliseconds; }
  void SetMilliseconds(f32 milliseconds) { mMilliseconds = milliseconds; }
  f32 GetStartMark() const { return mStartMark; }
  void SetStartMark(f32 mark) { mStartMark = mark; }
  u32 GetSecondWord() const { return mSecondWord; }
  void SetSecondWord(u32 word) { mSecondWord = word; }
  // Milliseconds since the start mark.
  f32 GetElapsed() const { return mMilliseconds - mStartMark; }

 private:
  f32 mStartMark;
  u32 mSecondWord;
  f32 mMilliseconds;
};
