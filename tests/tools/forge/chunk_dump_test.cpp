// The forge's chunk listing: nesting, names and versions, and headers that
// claim more than their parent holds.
#include <gtest/gtest.h>

#include "tools/forge/forge.h"

namespace {

std::vector<RwUInt8> Header(RwUInt32 type, RwUInt32 length, RwUInt32 version = kRwLibraryVersion) {
  std::vector<RwUInt8> bytes(12);
  RwWriteLittleEndianUInt32(bytes.data(), type);
  RwWriteLittleEndianUInt32(bytes.data() + 4, length);
  RwWriteLittleEndianUInt32(bytes.data() + 8, RwChunkStampEncode(version, kRwLibraryBuild));
  return bytes;
}

std::vector<RwUInt8> Join(std::initializer_list<std::vector<RwUInt8>> parts) {
  std::vector<RwUInt8> bytes;
  for (const std::vector<RwUInt8>& part : parts) {
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  return bytes;
}

TEST(ForgeDumpTest, ContainersOpenAndBrokenHeadersEndTheListing) {
  const std::vector<RwUInt8> world = Join({Header(kRwChunkWorld, 12 + 4 + 12 + 12),
                                           Header(kRwChunkStruct, 4, 0x34000),
                                           {1, 2, 3, 4},
                                           Header(kRwChunkExtension, 12),
                                           Header(0x11D, 0)});
  EXPECT_EQ(ForgeDumpChunks(world),
            "0xB world, 40 bytes, version 0x34005\n"
            "  0x1 struct, 4 bytes, version 0x34000\n"
            "  0x3 extension, 12 bytes, version 0x34005\n"
            "    0x11D collision, 0 bytes, version 0x34005\n");

  std::vector<RwUInt8> overrun = Join({Header(kRwChunkClump, 30), Header(kRwChunkStruct, 20)});
  overrun.resize(overrun.size() + 18);
  EXPECT_EQ(ForgeDumpChunks(overrun),
            "0x10 clump, 30 bytes, version 0x34005\n"
            "  0x1 struct, 20 bytes, version 0x34005\n"
            "    (the body runs 2 bytes past its parent)\n");
  bool whole = true;
  EXPECT_EQ(ForgeDumpChunks({1, 2, 3}, &whole), "(3 bytes left over)\n");
  EXPECT_FALSE(whole);
  EXPECT_TRUE(ForgeIsChunkFile(world));
  EXPECT_FALSE(ForgeIsChunkFile({'#', ' ', 'a', ' ', 's', 'c', 'e', 'n', 'e', '\n', 'b', 'o'}));
  EXPECT_EQ(ForgeDumpChunks({}), "");
}

}  // namespace
