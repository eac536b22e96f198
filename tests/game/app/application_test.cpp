// The application holder: what it pushes on the screen stack and in which
// order it goes, the music table it holds, reads that reach no loading
// screen, and byte progress drawing the loading bar and presenting twice.
#include "game/app/application.h"

#include <string>
#include <vector>

#include "game/app/app_hooks.h"
#include "tests/game/app/audio/music_fixture.h"
#include "tests/support/screen_engine.h"

namespace {

using Log = std::vector<std::string>;

// A game that notes its deactivation and, when deleted, what the stack and
// the music table look like at that moment.
class LoggingGame : public cScreen {
 public:
  ~LoggingGame() override {
    sLog.push_back("delete: top " + std::to_string(gScreenStack->GetTopIndex()) +
                   (gScreenStack->GetTopScreen() == nullptr ? " null" : " screen") + ", active " +
                   (gScreenStack->GetActiveScreen() == nullptr ? "none" : "set") + ", music users " +
                   std::to_string(MusicEngine::GetReferenceCount()));
  }
  void OnActivate() override { sLog.push_back("activate"); }
  void OnDeactivate() override { sLog.push_back("deactivate"); }

  static cScreen* Make() { return new LoggingGame(); }
  static Log sLog;
};

Log LoggingGame::sLog;

class ApplicationScreenTest : public ScreenTextTest {
 protected:
  void SetUp() override {
    ScreenTextTest::SetUp();
    LoggingGame::sLog.clear();
  }
  void TearDown() override {
    DestroyApplication();
    SetReadProgressHook(nullptr);
    EXPECT_EQ(0, MusicEngine::GetReferenceCount());
    EXPECT_EQ(0u, cSndEngWin::GetEngineLockCount());
    ScreenTextTest::TearDown();
  }
};

TEST_F(ApplicationScreenTest, TheGameIsPushedAndDeletedOnlyAfterNullTookItsPlace) {
  cApplication* holder = new cApplication(LoggingGame::Make);
  EXPECT_EQ(1, MusicEngine::GetReferenceCount());
  EXPECT_EQ(kNoMusicTrack, holder->GetCurrentTrack());
  ASSERT_NE(nullptr, holder->GetGame());
  EXPECT_EQ(1u, gScreenStack->GetTopIndex());
  EXPECT_EQ(holder->GetGame(), gScreenStack->GetTopScreen());
  gScreenStack->Sync();
  EXPECT_EQ(holder->GetGame(), gScreenStack->GetActiveScreen());

  delete holder;
  // Null is pushed and made active before the game goes, while the music
  // table is still held.
  EXPECT_EQ((Log{"activate", "deactivate", "delete: top 2 null, active none, music users 1"}), LoggingGame::sLog);
  EXPECT_EQ(2u, gScreenStack->GetTopIndex());
  EXPECT_EQ(0, MusicEngine::GetReferenceCount());
}

TEST_F(ApplicationScreenTest, ReadsReachNoLoadingScreenBeforeDuringOrAfterTheHolder) {
  cScreen_Loader loader(nullptr, 0);
  loader.SetExpectedBytes(100);
  gScreenStack->Push(&loader);
  gScreenStack->Sync();
  SetReadProgressHook(OnFileRead);
  Record();
  for (int stage = 0; stage < 3; stage++) {
    SCOPED_TRACE(stage == 0 ? "before creation" : stage == 1 ? "no game yet" : "after destruction");
    if (stage == 1) {
      // The engine start-up's hook: no game yet, so null is pushed.
      CreateApplicationHolder();
      ASSERT_NE(nullptr, gApplication);
      EXPECT_EQ(2u, gScreenStack->GetTopIndex());
      EXPECT_EQ(nullptr, gScreenStack->GetTopScreen());
    }
    if (stage == 2) {
      ShutDownApplicationHolder();
      EXPECT_EQ(nullptr, gApplication);
      EXPECT_EQ(3u, gScreenStack->GetTopIndex());
      SetReadProgressHook(OnFileRead);
    }
    void* file = RwEngineGetFileInterface()->rwfopen("data/screens/level00.bmp", "rb");
    ASSERT_NE(nullptr, file);
    char bytes[64];
    EXPECT_EQ(sizeof(bytes), RwEngineGetFileInterface()->rwfread(bytes, 1, sizeof(bytes), file));
    RwEngineGetFileInterface()->rwfclose(file);
    OnFileRead(1000);
    EXPECT_EQ(0u, Calls("Present"));
    EXPECT_EQ(0u, loader.GetBytesRead());
  }
}

TEST_F(ApplicationScreenTest, ByteProgressDrawsTheLoadingBarAndPresentsTwice) {
  cScreen_Loader loader(nullptr, 0);
  loader.SetExpectedBytes(1000);
  gScreenStack->Push(&loader);
  gScreenStack->Sync();
  Record();
  // Below the redraw step nothing is drawn.
  ShowReadProgress(&loader, 1);
  EXPECT_EQ(0u, Calls("Present"));

  ShowReadProgress(&loader, 499);
  EXPECT_FLOAT_EQ(0.5f, loader.GetProgress());
  EXPECT_EQ(2u, Calls("Present"));
  // The bar runs from 0.15 of the width across half of 0.69, at 0.91 to
  // 0.93 down; the rest of the screen was never drawn.
  const int barY = PixelY(0.92f);
  EXPECT_EQ(kBarColour, BackBufferPixel(PixelX(0.16f), barY));
  EXPECT_EQ(kBarColour, BackBufferPixel(PixelX(0.48f), barY));
  EXPECT_EQ(0u, BackBufferPixel(PixelX(0.51f), barY));
  EXPECT_EQ(0u, BackBufferPixel(PixelX(0.5f), PixelY(0.5f)));

  ShowReadProgress(&loader, 250);
  EXPECT_EQ(4u, Calls("Present"));
  EXPECT_EQ(kBarColour, BackBufferPixel(PixelX(0.65f), barY));
  // Reads past the expected total stop short of completion, undrawn.
  ShowReadProgress(&loader, 1000);
  EXPECT_EQ(4u, Calls("Present"));
  EXPECT_EQ(1750u, loader.GetBytesRead());
}

// The holder as a music owner among others.
class ApplicationMusicTest : public MusicTest {
 protected:
  void SetUp() override {
    MusicTest::SetUp();
    const std::string bytes = OggWriter::Vorbis(2, 22050, ToneSamples(22050, 2, 440.0, 8000.0)).Build();
    MountMusic({{"INTRO", bytes}});
  }
  void TearDown() override {
    DestroyApplication();
    EXPECT_EQ(0, MusicEngine::GetReferenceCount());
    EXPECT_EQ(0u, MusicEngine::GetTrackCount());
    MusicTest::TearDown();
  }
};

TEST_F(ApplicationMusicTest, DestroyingTheHolderStopsItsTrack) {
  CreateApplication();
  ASSERT_NE(nullptr, gApplication);
  gApplication->Play("INTRO");
  ASSERT_EQ(0u, gApplication->GetCurrentTrack());
  EXPECT_FALSE(MusicEngine::GetTrack(0)->IsSilent());
  EXPECT_EQ(1u, CSoundEngine::GetBufferCount());
  DestroyApplication();
  EXPECT_EQ(0u, CSoundEngine::GetBufferCount());
  EXPECT_FALSE(CSoundEngine::HasDevice());
}

}  // namespace

namespace {

cScreen_Loader* sGameLoader = nullptr;

// A game whose loading screen is sGameLoader.
class LoadingGame : public cScreen {
 public:
  cScreen_Loader* FindLoadingScreen() override { return sGameLoader; }
  static cScreen* Make() { return new LoadingGame(); }
};

}  // namespace

TEST_F(ApplicationScreenTest, TheInstalledMakersGameAnswersWhereReadsAreShown) {
  cScreen_Loader loader(nullptr, 0);
  SetGameMaker(LoadingGame::Make);
  CreateApplicationHolder();
  SetGameMaker(nullptr);
  ASSERT_NE(nullptr, gApplication->GetGame());
  for (cScreen_Loader* answer : {static_cast<cScreen_Loader*>(nullptr), &loader}) {
    sGameLoader = answer;
    EXPECT_EQ(answer, gApplication->FindLoadingScreen());
    OnFileRead(1000);
  }
  EXPECT_EQ(1000u, loader.GetBytesRead());
}
