// The level messages the player's search shows by fixed indexes, the same
// on every level: what a body without a pass gives, the bag's memos, what
// its health, pizza and energy give, and a body's card and key. Each
// level's texts hold them there in both languages and number their own
// messages around them.
#pragma once

#include <string>
#include <vector>

namespace demo {

// Indexes from 0; a property file names message index + 1.
constexpr int kFirstSearchMessage = 39;  // a body that gives nothing
constexpr int kSearchMessageEnd = 54;    // one past the key's
constexpr int kSearchMessageCount = kSearchMessageEnd - kFirstSearchMessage;

struct LevelText {
  const char* english;
  const char* german;  // Windows-1252
};

// The text of an index of the search's block; indexes the search never
// shows hold the filler.
const LevelText& SearchText(int index);
// "MESSAGEnn" lines for indexes 0 to count - 1: the search's block holds the
// search's texts, every other index the level's own texts in order, the
// filler once they run out.
std::string MessageLines(bool english, const std::vector<LevelText>& own, int count);

}  // namespace demo
