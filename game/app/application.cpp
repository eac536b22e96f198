// The application holder, its creation and destruction at engine start-up
// and shut-down, and the read progress it passes to the loading screen.
#include "game/app/application.h"

#include <new>

#include "game/app/app_hooks.h"
#include "game/app/pak_file.h"
#include "game/app/screens/screen_stack.h"

cApplication* gApplication = nullptr;

namespace {

// Both buffers of the swap chain show the new bar.
constexpr int kProgressPresents = 2;

cApplication::tGameMaker sGameMaker = nullptr;

void PushScreen(cScreen* screen) {
  if (gScreenStack != nullptr) {
    gScreenStack->Push(screen);
  }
}

}  // namespace

cApplication::cApplication(tGameMaker makeGame) : mGame(nullptr) {
  Init();
  if (makeGame != nullptr) {
    mGame = makeGame();
  }
  PushScreen(mGame);
}

cApplication::~cApplication() {
  PushScreen(nullptr);
  // The game leaves the stack's active slot while it still exists.
  if (gScreenStack != nullptr) {
    gScreenStack->Sync();
  }
  delete mGame;
  mGame = nullptr;
  // Release stops this owner's current track before the table may go.
  Release();
}

// The loading screens belong to the game.
cScreen_Loader* cApplication::FindLoadingScreen() const {
  return mGame != nullptr ? mGame->FindLoadingScreen() : nullptr;
}

void SetGameMaker(cApplication::tGameMaker makeGame) { sGameMaker = makeGame; }

void CreateApplication() {
  if (gApplication == nullptr) {
    gApplication = new (std::nothrow) cApplication(sGameMaker);
  }
}

void DestroyApplication() {
  delete gApplication;
  gApplication = nullptr;
}

void OnFileRead(u32 bytes) {
  if (gApplication == nullptr) {
    return;
  }
  cScreen_Loader* loader = gApplication->FindLoadingScreen();
  if (loader != nullptr) {
    ShowReadProgress(loader, bytes);
  }
}

void ShowReadProgress(cScreen_Loader* loader, u32 bytes) {
  if (!loader->AddBytesRead(bytes)) {
    return;
  }
  for (int i = 0; i < kProgressPresents; i++) {
    loader->GetProgressWidget().Render();
    PresentScreen();
  }
}

void CreateApplicationHolder() {
  // Reads while the game is made already count.
  SetReadProgressHook(OnFileRead);
  CreateApplication();
}

void ShutDownApplicationHolder() {
  DestroyApplication();
  SetReadProgressHook(nullptr);
}
