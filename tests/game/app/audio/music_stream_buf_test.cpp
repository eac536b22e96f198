// Tests of CMusicStreamBuf: reading, seeking and telling through the pack
// and through the folder, with read-ahead given back before a seek.
#include "game/app/audio/music_stream_buf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "tests/game/app/audio/music_fixture.h"
#include "tests/support/scratch_path.h"

namespace {

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; i++) {
    bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  }
  return bytes;
}

// Reads, seeks and tells across the reserve area's edges.
void ExpectStreamOver(CMusicStreamBuf* buffer, const std::string& bytes) {
  std::istream stream(buffer);
  char head[10];
  ASSERT_TRUE(stream.read(head, sizeof(head)));
  EXPECT_EQ(bytes.substr(0, 10), std::string(head, sizeof(head)));
  // The rest of the first 4096 bytes are read ahead; the position is 10.
  EXPECT_EQ(10, stream.tellg());
  std::string middle(5000, '\0');
  ASSERT_TRUE(stream.seekg(3000).read(&middle[0], middle.size()));
  EXPECT_EQ(bytes.substr(3000, 5000), middle);
  EXPECT_EQ(8000, stream.tellg());
  std::string tail(20, '\0');
  ASSERT_TRUE(stream.seekg(-20, std::ios_base::end).read(&tail[0], tail.size()));
  EXPECT_EQ(bytes.substr(bytes.size() - 20), tail);
  EXPECT_EQ(EOF, stream.get());
  EXPECT_TRUE(stream.eof());
  stream.clear();
  EXPECT_EQ(EOF, buffer->sputc('x'));
  buffer->Close();
  EXPECT_EQ(-1, stream.tellg());
}

class MusicStreamBufTest : public MusicTest {};

TEST_F(MusicStreamBufTest, ReadsAndSeeksThroughThePack) {
  const std::string bytes = Pattern(10000);
  MountMusic({{"DATA", bytes}});
  CMusicStreamBuf buffer;
  EXPECT_FALSE(buffer.Open(MusicPath("MISSING").c_str(), false));
  ASSERT_TRUE(buffer.Open(MusicPath("DATA").c_str(), false));
  ExpectStreamOver(&buffer, bytes);
  EXPECT_EQ(0u, cPakFile::GetMounted()->GetOpenHandleCount());
}

TEST_F(MusicStreamBufTest, ReadsAndSeeksThroughTheFolder) {
  const std::string root = ScratchPath("music_root");
  const std::string music = root + "/data/media/music";
  ASSERT_EQ(0, mkdir(root.c_str(), 0700));
  ASSERT_EQ(0, mkdir((root + "/data").c_str(), 0700));
  ASSERT_EQ(0, mkdir((root + "/data/media").c_str(), 0700));
  ASSERT_EQ(0, mkdir(music.c_str(), 0700));
  const std::string bytes = Pattern(9000);
  ASSERT_TRUE(WriteWholeFile(music + "/DATA.ogg", bytes));
  char previous[PATH_MAX];
  ASSERT_NE(nullptr, getcwd(previous, sizeof(previous)));
  ASSERT_EQ(0, chdir(root.c_str()));
  CMusicStreamBuf buffer;
  if (buffer.Open(MusicPath("DATA").c_str(), false)) {
    ExpectStreamOver(&buffer, bytes);
  } else {
    ADD_FAILURE() << "not opened from the folder";
  }
  EXPECT_EQ(0, chdir(previous));
  remove((music + "/DATA.ogg").c_str());
  for (const std::string& folder : {music, root + "/data/media", root + "/data", root}) {
    rmdir(folder.c_str());
  }
}

}  // namespace
