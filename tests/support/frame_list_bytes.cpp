// Frame list chunks in memory (see frame_list_bytes.h).
#include "tests/support/frame_list_bytes.h"

#include <gtest/gtest.h>

#include "tests/support/chunk_bytes.h"

std::vector<uint8_t> WriteFrameList(RwFrame* root) {
  RwFrameList list;
  EXPECT_NE(RwFrameListInitialize(&list, root), nullptr);
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(WriteToMemory([&list](RwStream* stream) { return RwFrameListStreamWrite(&list, stream); }, &bytes));
  RwFrameListDeinitialize(&list);
  return bytes;
}

RwFrameList* ReadFrameList(const std::vector<uint8_t>& bytes, RwFrameList* list) {
  RwStream* stream = OpenMemoryRead(bytes);
  RwFrameList* result = nullptr;
  if (RwStreamFindChunk(stream, kRwChunkFrameList, nullptr, nullptr)) {
    result = RwFrameListStreamRead(stream, list);
  }
  RwStreamClose(stream, nullptr);
  return result;
}
